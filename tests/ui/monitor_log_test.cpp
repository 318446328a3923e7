// The monitor's context menu and its saved log: the file is the text as shown, UTF-8 with
// CR LF, replaced whole; a failed write says why and changes neither the file nor the monitor.

#include "ui/monitor_log.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QMenu>
#include <QPlainTextEdit>

#include "form1_harness.h"

namespace pelta::ui::testing {
namespace {

constexpr uid_t kNobody = 65534;

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(absent)");
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// SaveWhole in a child process that runs as nobody, since root may write anywhere. Returns the
// child's reason text, or "(child failed)" when it could not drop its rights.
QString SaveAsNobody(const QString& path, const QByteArray& bytes) {
    int fds[2];
    if (pipe(fds) != 0) {
        return "(no pipe)";
    }
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        if (setgroups(0, nullptr) != 0 || setresgid(kNobody, kNobody, kNobody) != 0 ||
            setresuid(kNobody, kNobody, kNobody) != 0) {
            _exit(2);
        }
        const QByteArray reason = SaveWhole(path, bytes).toUtf8();
        const bool sent = write(fds[1], reason.constData(), reason.size()) == reason.size();
        _exit(sent ? 0 : 3);
    }
    close(fds[1]);
    QByteArray reason;
    char buffer[256];
    for (ssize_t got = 0; (got = read(fds[0], buffer, sizeof buffer)) > 0;) {
        reason.append(buffer, got);
    }
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    const bool ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return ok ? QString::fromUtf8(reason) : QStringLiteral("(child failed)");
}

TEST(MonitorLog, replacesTheFileWholeOrLeavesItAsItWas) {
    const QByteArray log = "12:00:00: 3\t:Tx >-- 01 32 BE \r\nПелта\r\n";
    const struct {
        const char* name;
        const char* target;  // in a fresh folder; "file/x": below a regular file
        bool asNobody;       // written by a child that runs as nobody
        bool folderOpen;     // the folder is open to everyone
        QByteArray before;   // the target's contents before, empty: none
        bool written;
    } cases[] = {
        {"new file", "log.txt", false, false, "", true},
        {"longer file replaced", "log.txt", false, false, QByteArray(500, 'x'), true},
        {"folder is a file", "file/log.txt", false, false, "", false},
        {"nobody in an open folder", "log.txt", true, true, "old", true},
        {"nobody in a closed folder", "log.txt", true, false, "old", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        Write(dir.filePath("file"), "a regular file");
        const QString target = dir.filePath(c.target);
        if (!c.before.isEmpty()) {
            Write(target, c.before);
            QFile::setPermissions(target, QFile::Permissions(0x6666));  // rw for everyone
        }
        QFile::setPermissions(
            dir.path(), c.folderOpen ? QFile::Permissions(0x7777) : QFile::Permissions(0x7700));
        const QString reason = c.asNobody ? SaveAsNobody(target, log) : SaveWhole(target, log);
        EXPECT_EQ(reason.isEmpty(), c.written) << reason.toStdString();
        EXPECT_NE(reason, "(child failed)");
        const QByteArray expected = c.written            ? log
                                    : c.before.isEmpty() ? QByteArray("(absent)")
                                                         : c.before;
        EXPECT_EQ(Contents(target), expected);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(),
                  c.before.isEmpty() && !c.written ? 1 : 2)
            << "no temporary file left behind";
    }
}

// The menu on the real window: its items, copy, select all, and the save path.
TEST(MonitorLog, contextMenuCopiesSelectsAllAndSavesTheTextAsShown) {
    Form1Harness harness;
    auto* monitor = harness.Find<QPlainTextEdit>("TextBox1");
    harness.Window().MonitorView().TextBox1Insert("12:00:00: 3\t:Tx >-- 01 32 BE \r\n");
    harness.Window().MonitorView().TextBox1Insert("12:00:01: 0\t:Rx <-- \r\n");
    const QString shown = monitor->toPlainText();
    // Opens the menu, runs `item` (when given) and closes the menu; returns the items, "-"
    // marking a disabled one.
    const auto useMenu = [&](const QString& item) {
        emit monitor->customContextMenuRequested({5, 5});
        QMenu* menu = monitor->findChildren<QMenu*>().last();
        QStringList items;
        for (QAction* action : menu->actions()) {
            items << (action->isSeparator() ? "|"
                                            : action->text() + (action->isEnabled() ? "" : "-"));
            if (action->text() == item) {
                action->trigger();
            }
        }
        menu->close();
        return items.join(' ');
    };
    EXPECT_EQ(useMenu("Выделить всё"), "Копировать- Выделить всё | Сохранить журнал…");
    EXPECT_EQ(useMenu("Копировать"), "Копировать Выделить всё | Сохранить журнал…");
    EXPECT_EQ(QApplication::clipboard()->text(), shown);

    QTemporaryDir dir;
    Write(dir.filePath("file"), "a regular file");
    const struct {
        QString path;  // empty: the operator cancels
        QByteArray saved;
        QString message;
    } saves[] = {
        {dir.filePath("log.txt"), "12:00:00: 3\t:Tx >-- 01 32 BE \r\n12:00:01: 0\t:Rx <-- \r\n",
         ""},
        {"", "", ""},
        {dir.filePath("file/log.txt"), "(absent)",
         "Журнал не сохранён в " + dir.filePath("file/log.txt") + ": "},
    };
    for (const auto& s : saves) {
        SCOPED_TRACE(s.path.toStdString());
        harness.messages.clear();
        harness.Window().SetSavePathChooser([&] { return s.path; });
        useMenu("Сохранить журнал…");
        if (!s.path.isEmpty()) {
            EXPECT_EQ(Contents(s.path), s.saved);
        }
        ASSERT_EQ(harness.messages.size(), s.message.isEmpty() ? 0U : 1U);
        if (!s.message.isEmpty()) {
            EXPECT_TRUE(harness.messages[0].first.startsWith(s.message));
            EXPECT_GT(harness.messages[0].first.size(), s.message.size()) << "and says why";
            EXPECT_EQ(harness.messages[0].second, link::MessageIcon::Exclamation);
        }
        EXPECT_EQ(monitor->toPlainText(), shown) << "the monitor loses nothing";
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"file", "log.txt"}));
}

}  // namespace
}  // namespace pelta::ui::testing
