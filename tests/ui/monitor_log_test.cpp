// The monitor's context menu and its saved log: the file is the text as shown, UTF-8 with
// CR LF, replaced whole; a failed write says why and changes neither the file nor the monitor.

#include "ui/monitor_log.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QMenu>
#include <QPlainTextEdit>

#include "form1_harness.h"
#include "tests/support/as_nobody.h"

namespace pelta::ui::testing {
namespace {

// Nobody cannot enter the root-only scratch folder, so the file is beyond its reach. (A file
// replaced whole: the menu's test.)
TEST(MonitorLog, saysWhyWhenItCannotReplaceTheFile) {
    QTemporaryDir dir;
    const QString target = dir.filePath("log.txt");
    ASSERT_TRUE(WriteFile(target, QByteArray(500, 'x')));
    const auto save = [&] {
        return SaveWhole(target, "12:00:00: 3\t:Tx >-- 01 32 BE \r\n").toStdString();
    };
    EXPECT_EQ(pelta::testing::AsNobody(save), "Permission denied");
}

// The menu on the real window: its items, copy, select all, and the save path.
TEST(MonitorLog, copiesSelectsAllAndSavesTheTextAsShownFromItsMenu) {
    Form1Harness harness;
    auto* monitor = harness.Find<QPlainTextEdit>("TextBox1");
    harness.Window().MonitorView().TextBox1Insert("12:00:00: 3\t:Tx >-- 01 32 BE \r\n");
    harness.Window().MonitorView().TextBox1Insert("Пелта\r\n");
    const QString shown = monitor->toPlainText();
    // Opens the menu (with the mouse or with Shift+F10), runs `item` and closes it; returns the
    // items, "-" marking a disabled one.
    const auto useMenu = [&](const QString& item, bool byKeyboard = false) {
        if (byKeyboard) {
            QTest::keyClick(monitor, Qt::Key_F10, Qt::ShiftModifier);
        } else {
            emit monitor->customContextMenuRequested({5, 5});
        }
        const QList<QMenu*> menus = monitor->findChildren<QMenu*>();
        if (menus.isEmpty()) {
            return QString("(no menu)");
        }
        QMenu* menu = menus.last();
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
    EXPECT_EQ(useMenu("Выделить всё", true), "Копировать- Выделить всё | Сохранить журнал…");
    EXPECT_EQ(useMenu("Копировать"), "Копировать Выделить всё | Сохранить журнал…");
    EXPECT_EQ(QApplication::clipboard()->text(), shown);

    QTemporaryDir dir;
    QFile(dir.filePath("file")).open(QIODevice::WriteOnly);  // a file where a folder should be
    ASSERT_TRUE(WriteFile(dir.filePath("log.txt"), QByteArray(500, 'x')));  // replaced whole
    const std::pair<QString, QString> saves[] = {
        // the path chosen (empty: cancelled), and the warning's beginning
        {dir.filePath("log.txt"), ""},
        {"", ""},
        {dir.filePath("file/log.txt"), "Журнал не сохранён в " + dir.filePath("file/log.txt")},
    };
    for (const auto& [path, warning] : saves) {
        SCOPED_TRACE(path.toStdString());
        harness.messages.clear();
        harness.Window().SetSavePathChooser([&] { return path; });
        useMenu("Сохранить журнал…");
        ASSERT_EQ(harness.messages.size(), warning.isEmpty() ? 0U : 1U);
        if (!warning.isEmpty()) {
            EXPECT_TRUE(harness.messages[0].first.startsWith(warning + ": "));
            EXPECT_GT(harness.messages[0].first.size(), warning.size() + 2) << "and says why";
        }
        EXPECT_EQ(monitor->toPlainText(), shown) << "the monitor loses nothing";
    }
    EXPECT_EQ(Contents(dir.filePath("log.txt")), "12:00:00: 3\t:Tx >-- 01 32 BE \r\nПелта\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"file", "log.txt"}));
}

}  // namespace
}  // namespace pelta::ui::testing
