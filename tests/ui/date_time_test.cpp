#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "ui/date_time.h"

namespace {

TEST(DateTimeField, acceptsOnlyTheDigitsThatKeepAValidValue) {
    const struct {
        int layout;
        const char* start;  // nullptr: the layout's mask
        int selStart;
        const char* keys;
        const char* text;
        int selStartAfter, selLengthAfter;
    } cases[] = {
        // Times.
        {1, nullptr, 0, "253", "23:00", 3, 1},  // no 5 after a 2; the colon is stepped over
        {1, nullptr, 0, "3", "00:00", 0, 1},
        {2, "13:15:00", 0, "2", "23:15:00", 1, 1},
        {2, nullptr, 3, "6594", "00:59:40", 7, 1},
        {2, nullptr, 6, "75", "00:00:50", 7, 1},
        {7, "27:15:00", 0, "2", "20:15:00", 1, 1},  // unknown layouts act as 2; a 2 resets 7
        {1, nullptr, 3, "591", "00:59", 5, 0},      // nothing beyond the end
        // Dates.
        {0, "29.05.24", 0, "3", "30.05.24", 1, 1},  // a 3 resets units above 1
        {0, "21.05.24", 0, "3", "31.05.24", 1, 1},
        {0, "30.05.24", 1, "51", "31.05.24", 3, 1},
        {0, nullptr, 3, "2132", "00.12.00", 6, 1},
        {0, nullptr, 6, "99", "00.00.99", 8, 0},
        {0, "11.11.11", 0, "0000", "00.00.11", 6, 1},
        {3, nullptr, 6, "031", "00.00.1000", 7, 1},  // four-digit years: 1000-2199
        {3, nullptr, 6, "1089", "00.00.1900", 8, 1},
        {3, nullptr, 6, "2290", "00.00.2000", 8, 1},
        {3, "00.00.2000", 8, "795", "00.00.2079", 10, 0},
        // Keys that never change the text.
        {2, nullptr, 0, "a.:-x ", "00:00:00", 0, 1},
        {1, "ab:cd:ef:gh", 0, "1", "1b:cd:ef:gh", 1, 1},  // text set from outside is not checked
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.start ? c.start : "mask") + " + " + c.keys);
        DateTime field;
        field.SetLayout(c.layout);
        if (c.start != nullptr) {
            field.SetText(QString::fromLatin1(c.start));
        }
        field.SetSelStart(c.selStart);
        QTest::keyClicks(field.Field(), c.keys);
        EXPECT_EQ(field.Text().toStdString(), c.text);
        EXPECT_EQ(field.SelStart(), c.selStartAfter);
        EXPECT_EQ(field.SelLength(), c.selLengthAfter);
    }
}

// Edits other than typing a digit, from keys or the context menu, are rolled back; a rolled-back
// edit reports the change and its undoing. (Character keys, with Control or not, end in the
// field's own handler, other keys and menu slots in the one roll-back: a row for each way.) An
// empty text has nothing to roll back to.
TEST(DateTimeField, undoesEditingKeysAndMenuEditsUnlessTheTextWasEmpty) {
    using Edit = void (*)(QLineEdit&);
    const std::pair<Edit, int> cases[] = {
        {[](QLineEdit& e) { QTest::keyClick(&e, Qt::Key_Backspace); }, 0},
        {[](QLineEdit& e) { QTest::keyClick(&e, Qt::Key_Z, Qt::ControlModifier); }, 0},
        // A Control key whose event carries no text is the field's own key too.
        {[](QLineEdit& e) {
             QTest::sendKeyEvent(QTest::Press, &e, Qt::Key_V, "", Qt::ControlModifier);
         },
         0},
        {[](QLineEdit& e) { QTest::keyClick(&e, Qt::Key_Delete); }, 2},
        {[](QLineEdit& e) { e.paste(); }, 2},
    };
    int index = 0;
    for (const auto& [edit, changes] : cases) {
        SCOPED_TRACE(index++);
        DateTime field;
        QApplication::clipboard()->setText("99:99");
        field.SetSelStart(0);
        QTest::keyClicks(field.Field(), "1");
        QSignalSpy changed(&field, &DateTime::onChange);
        edit(*field.Field());
        EXPECT_EQ(field.Text(), "10:00");
        EXPECT_EQ(changed.count(), changes);
    }
    DateTime field;
    field.SetText("");
    field.Field()->insert("7");
    EXPECT_EQ(field.Text(), "7");
}

}  // namespace
