// errors.log: one stamped line per error, appended, and silence when it cannot be written.

#include "protocol/error_log.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>

namespace pelta::protocol {
namespace {

QDateTime FixedTime() {
    return QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9));
}

TEST(ErrorLogTest, shouldCreateTheFileOnTheFirstErrorAndAppendInOrder) {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    QTemporaryDir folder;
    ErrorLog log{folder.path(), &FixedTime};
    log.ReportDetail(1, QString::fromUtf8("Ошибка данных"), QString(), QStringLiteral("x"));
    EXPECT_FALSE(QFile::exists(log.FilePath())) << "a detail report writes nothing";
    log.WriteErrorLog(QString::fromUtf8("Ошибка: Дривел1.Form2.ComPortInit =  D: "));
    log.WriteErrorLog(QStringLiteral("second"));
    QFile file(folder.filePath(QStringLiteral("errors.log")));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(
        QString::fromUtf8(file.readAll()),
        QString::fromUtf8("05.03.2024 14:07:  --> Ошибка: Дривел1.Form2.ComPortInit =  D: \r\n"
                          "05.03.2024 14:07:  --> second\r\n"));
    QLocale::setDefault(QLocale::system());
}

TEST(ErrorLogTest, shouldLoseTheLineSilentlyWhenTheFolderCannotBeWritten) {
    QTemporaryDir folder;
    QFile blocker(folder.filePath(QStringLiteral("program")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    for (const char* path : {"program/bin", "missing"}) {
        ErrorLog(folder.filePath(QString::fromLatin1(path)), &FixedTime).WriteErrorLog("lost");
    }
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList({"program"}));
}

TEST(ErrorLogTest, shouldSitBesideTheRunningProgram) {
    const QString folder = ErrorLog::ProgramFolder();
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("/protocol_tests")));
    EXPECT_EQ(ErrorLog().FilePath(), folder + QStringLiteral("/errors.log"));
}

}  // namespace
}  // namespace pelta::protocol
