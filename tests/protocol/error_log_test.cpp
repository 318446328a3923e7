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

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class ErrorLogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        ASSERT_TRUE(folder.isValid());
    }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }

    QTemporaryDir folder;
    ErrorLog log{folder.path(), &FixedTime};
};

TEST_F(ErrorLogTest, shouldCreateTheFileWithOneStampedLine) {
    ASSERT_FALSE(QFile::exists(log.FilePath()));
    log.WriteErrorLog(QString::fromUtf8("Ошибка: Дривел1.Form2.ComPortInit =  D: "));
    EXPECT_EQ(log.FilePath(), folder.filePath(QStringLiteral("errors.log")));
    EXPECT_EQ(
        QString::fromUtf8(Contents(log.FilePath())),
        QString::fromUtf8("05.03.2024 14:07:  --> Ошибка: Дривел1.Form2.ComPortInit =  D: \r\n"));
}

TEST_F(ErrorLogTest, shouldAppendInOrderKeepingEarlierContent) {
    QFile earlier(log.FilePath());
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier\r\n");
    earlier.close();
    for (const char* message : {"first", "second", "third"}) {
        log.WriteErrorLog(QString::fromLatin1(message));
    }
    EXPECT_EQ(Contents(log.FilePath()),
              "earlier\r\n"
              "05.03.2024 14:07:  --> first\r\n"
              "05.03.2024 14:07:  --> second\r\n"
              "05.03.2024 14:07:  --> third\r\n");
}

TEST_F(ErrorLogTest, shouldLoseTheLineSilentlyWhenTheFolderCannotBeWritten) {
    QFile blocker(folder.filePath(QStringLiteral("program")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString unwritable[] = {folder.filePath(QStringLiteral("program/bin")),
                                  folder.filePath(QStringLiteral("missing"))};
    for (const QString& path : unwritable) {
        ErrorLog lost(path, &FixedTime);
        lost.WriteErrorLog(QStringLiteral("lost"));
        lost.ReportDetail(1, QString::fromUtf8("Ошибка данных"), QString(), QStringLiteral("x"));
        EXPECT_FALSE(QFileInfo::exists(lost.FilePath())) << path.toStdString();
    }
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList({"program"}));
}

TEST_F(ErrorLogTest, shouldWriteNothingForADetailReport) {
    log.ReportDetail(1, QString::fromUtf8("Ошибка данных"), QString(),
                     QStringLiteral("err.Description=x module = y"));
    EXPECT_FALSE(QFile::exists(log.FilePath()));
}

TEST(ErrorLogPlaceTest, shouldSitBesideTheRunningProgram) {
    const QString folder = ErrorLog::ProgramFolder();
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("/protocol_tests")))
        << folder.toStdString();
    EXPECT_EQ(ErrorLog().FilePath(), folder + QStringLiteral("/errors.log"));
}

}  // namespace
}  // namespace pelta::protocol
