// errors.log: one stamped line per error, appended, in the right folder, and silence when it
// cannot be written anywhere.

#include "protocol/error_log.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>
#include <functional>

namespace pelta::protocol {
namespace {

QDateTime FixedTime() {
    return QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9));
}

QString ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Runs `work` as an unprivileged user, for whom permissions hold (they do not for root).
void AsAnotherUser(const std::function<void()>& work) {
    if (::geteuid() != 0) {
        work();
        return;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        const bool dropped = ::setresgid(65534, 65534, 65534) == 0 &&
                             ::setgroups(0, nullptr) == 0 && ::setresuid(65534, 65534, 65534) == 0;
        if (dropped) {
            work();
        }
        ::_exit(dropped ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "could not drop to nobody";
}

TEST(ErrorLog, createsItsFileOnTheFirstErrorAndAppendsInOrder) {
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
}

TEST(ErrorLog, stampsTheLocalesShortDateAndTimeWithSeconds) {
    const struct {
        QLocale::Language language;
        QLocale::Territory territory;
        const char* stamp;
    } cases[] = {
        {QLocale::English, QLocale::UnitedStates, "3/5/24 2:07:09 PM"},
        {QLocale::Japanese, QLocale::Japan, "2024/03/05 14時07分09秒"},
        {QLocale::Persian, QLocale::Iran, "۲۰۲۴/۳/۵ ۱۴:۰۷:۰۹"},  // time format "H:mm:ss (t)"
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ErrorLog::Stamp(FixedTime(), QLocale(c.language, c.territory)).toStdString(),
                  c.stamp);
    }
}

TEST(ErrorLog, writesInTheStateFolderWhenTheProgramFolderIsNotWritable) {
    QTemporaryDir root;
    ASSERT_TRUE(QFile::setPermissions(
        root.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeOther));
    QDir(root.path()).mkdir(QStringLiteral("program"));
    QDir(root.path()).mkdir(QStringLiteral("home"));
    const QString program = root.filePath(QStringLiteral("program"));
    const QString home = root.filePath(QStringLiteral("home"));
    const QString state = home + QStringLiteral("/.local/state/pelta");
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(home.toLocal8Bit().constData(), 65534, 65534), 0);
    } else {
        QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner);
    }
    AsAnotherUser([&] { ErrorLog(program, &FixedTime, state).WriteErrorLog("moved"); });
    EXPECT_FALSE(QFile::exists(program + QStringLiteral("/errors.log")));
    EXPECT_TRUE(ReadAll(state + QStringLiteral("/errors.log")).endsWith(":  --> moved\r\n"));
    EXPECT_EQ(QFileInfo(state).permissions() & 0x0077, 0) << "made private to the user";
    // The same user writes beside a program whose folder it may write in.
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(program.toLocal8Bit().constData(), 65534, 65534), 0);
    } else {
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    AsAnotherUser([&] { ErrorLog(program, &FixedTime, state).WriteErrorLog("beside"); });
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
    QDir(root.path()).mkpath(QStringLiteral("usr/bin"));
    QDir(root.path()).mkpath(QStringLiteral("usr/share/pelta"));
    QDir(root.path()).mkpath(QStringLiteral("portable"));
    EXPECT_TRUE(ErrorLog::IsInstalled(root.filePath(QStringLiteral("usr/bin"))));
    EXPECT_FALSE(ErrorLog::IsInstalled(root.filePath(QStringLiteral("portable"))));
    const QString folder = ErrorLog::ProgramFolder();
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("/protocol_tests")));
    EXPECT_EQ(ErrorLog().FilePath(), folder + QStringLiteral("/errors.log")) << "a build tree";
    const QByteArray saved = qgetenv("XDG_STATE_HOME");
    const struct {
        const char* variable;
        QString folder;
    } cases[] = {
        {"/var/lib/someone", QStringLiteral("/var/lib/someone/pelta")},
        {"", QDir::homePath() + QStringLiteral("/.local/state/pelta")},
        {"relative/state", QDir::homePath() + QStringLiteral("/.local/state/pelta")},
    };
    for (const auto& c : cases) {
        qputenv("XDG_STATE_HOME", c.variable);
        EXPECT_EQ(ErrorLog::StateFolder(), c.folder) << c.variable;
    }
    qputenv("XDG_STATE_HOME", saved);
}

}  // namespace
}  // namespace pelta::protocol
