// errors.log: one stamped line per error, appended, in the right folder, and silence when it
// cannot be written anywhere.

#include "protocol/error_log.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>

#include "tests/support/as_nobody.h"

namespace pelta::protocol {
namespace {

QDateTime FixedTime() {
    return QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9));
}

QString ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Lets that user write in `folder` or, for one who owns it already, forbids it.
void LetWrite(const QString& folder, bool write) {
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(folder.toLocal8Bit().constData(), write ? 65534 : 0, 0), 0);
    } else {
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner |
                                          (write ? QFile::WriteOwner : QFile::Permissions()));
    }
}

TEST(ErrorLog, createsItsFileOnTheFirstErrorAndAppendsStampedLinesInOrder) {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    QTemporaryDir folder;
    ErrorLog log{folder.path(), &FixedTime};
    log.ReportDetail(1, QString::fromUtf8("Ошибка данных"), QString(), QStringLiteral("x"));
    EXPECT_FALSE(QFile::exists(log.FilePath())) << "a detail report writes nothing";
    log.WriteErrorLog(QString::fromUtf8("Ошибка: Дривел1.Form2.ComPortInit =  D: "));
    log.WriteErrorLog(QStringLiteral("second"));
    EXPECT_EQ(
        ReadAll(folder.filePath(QStringLiteral("errors.log"))),
        QString::fromUtf8("05.03.2024 14:07:09:  --> Ошибка: Дривел1.Form2.ComPortInit =  D: \r\n"
                          "05.03.2024 14:07:09:  --> second\r\n"));
    QLocale::setDefault(QLocale::system());
    // Other locales: their short date, and their time with seconds but without a zone.
    const std::pair<QLocale, const char*> stamps[] = {
        {QLocale(QLocale::English, QLocale::UnitedStates), "3/5/24 2:07:09 PM"},
        {QLocale(QLocale::Japanese, QLocale::Japan), "2024/03/05 14時07分09秒"},
        {QLocale(QLocale::Persian, QLocale::Iran), "۲۰۲۴/۳/۵ ۱۴:۰۷:۰۹"},  // "H:mm:ss (t)"
    };
    for (const auto& [locale, stamp] : stamps) {
        EXPECT_EQ(ErrorLog::Stamp(FixedTime(), locale).toStdString(), stamp);
    }
}

TEST(ErrorLog, writesInTheStateFolderWhenTheProgramFolderIsNotWritable) {
    QTemporaryDir root;
    ASSERT_TRUE(QFile::setPermissions(
        root.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeOther));
    const QString program = root.filePath(QStringLiteral("program"));
    const QString home = root.filePath(QStringLiteral("home"));
    const QString state = home + QStringLiteral("/.local/state/pelta");
    ASSERT_TRUE(QDir().mkpath(program) && QDir().mkpath(home));
    LetWrite(home, true);
    LetWrite(program, false);
    const auto writeAsNobody = [&](const char* line) {
        return pelta::testing::AsNobody([&] {
            ErrorLog(program, &FixedTime, state).WriteErrorLog(line);
            return std::string();
        });
    };
    EXPECT_EQ(writeAsNobody("moved"), "");
    EXPECT_FALSE(QFile::exists(program + QStringLiteral("/errors.log")));
    EXPECT_TRUE(ReadAll(state + QStringLiteral("/errors.log")).endsWith(":  --> moved\r\n"));
    EXPECT_EQ(QFileInfo(state).permissions() & 0x0077, 0) << "made private to the user";
    // The same user writes beside a program whose folder it may write in.
    LetWrite(program, true);
    EXPECT_EQ(writeAsNobody("beside"), "");
    EXPECT_TRUE(ReadAll(program + QStringLiteral("/errors.log")).endsWith(":  --> beside\r\n"));
    EXPECT_FALSE(ReadAll(state + QStringLiteral("/errors.log")).contains("beside"));
}

TEST(ErrorLog, losesTheLineSilentlyWhenNoFolderCanBeWritten) {
    QTemporaryDir folder;
    QFile blocker(folder.filePath(QStringLiteral("program")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    for (const char* path : {"program/bin", "missing"}) {
        ErrorLog(folder.filePath(QString::fromLatin1(path)), &FixedTime,
                 folder.filePath(QStringLiteral("program/state")))
            .WriteErrorLog("lost");
    }
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList({"program"}));
}

TEST(ErrorLog, keepsAnInstalledProgramsLogInTheStateFolder) {
    QTemporaryDir root;
    ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("usr/bin")) &&
                QDir(root.path()).mkpath(QStringLiteral("usr/share/pelta")));
    EXPECT_TRUE(ErrorLog::IsInstalled(root.filePath(QStringLiteral("usr/bin"))));
    const QString folder = ErrorLog::ProgramFolder();
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("/protocol_tests")));
    EXPECT_EQ(ErrorLog().FilePath(), folder + QStringLiteral("/errors.log")) << "a build tree";
    const QByteArray saved = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", "/var/lib/someone");
    EXPECT_EQ(ErrorLog::StateFolder(), QStringLiteral("/var/lib/someone/pelta"));
    qputenv("XDG_STATE_HOME", "");
    EXPECT_EQ(ErrorLog::StateFolder(), QDir::homePath() + QStringLiteral("/.local/state/pelta"));
    qputenv("XDG_STATE_HOME", saved);
}

}  // namespace
}  // namespace pelta::protocol
