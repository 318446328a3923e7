#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include "ui/date_time.h"

namespace {

// Types each character of `keys` into the field as a key click.
void Type(DateTime& field, const char* keys) {
    for (const char* k = keys; *k != '\0'; ++k) {
        QTest::keyClick(field.Field(), *k);
    }
}

struct TypingCase {
    const char* name;
    int layout;
    const char* start;  // nullptr: the layout's mask
    int selStart;
    const char* keys;
    const char* text;
    int selStartAfter;
    int selLengthAfter;
};

void PrintTo(const TypingCase& c, std::ostream* os) {
    *os << c.name;
}

class Typing : public ::testing::TestWithParam<TypingCase> {};

TEST_P(Typing, AcceptsOnlyAllowedDigits) {
    const TypingCase& c = GetParam();
    DateTime field;
    field.SetLayout(c.layout);
    if (c.start != nullptr) {
        field.SetText(QString::fromLatin1(c.start));
    }
    field.SetSelStart(c.selStart);
    Type(field, c.keys);
    EXPECT_EQ(field.Text().toStdString(), c.text);
    EXPECT_EQ(field.SelStart(), c.selStartAfter);
    EXPECT_EQ(field.SelLength(), c.selLengthAfter);
}

INSTANTIATE_TEST_SUITE_P(
    DateTimeField, Typing,
    ::testing::Values(
        // Times.
        TypingCase{"hour_two", 1, nullptr, 0, "2", "20:00", 1, 1},
        TypingCase{"hour_25_refused", 1, nullptr, 0, "25", "20:00", 1, 1},
        TypingCase{"colon_stepped_over", 1, nullptr, 0, "253", "23:00", 3, 1},
        TypingCase{"hour_tens_3_refused", 1, nullptr, 0, "3", "00:00", 0, 1},
        TypingCase{"two_resets_units", 2, "27:15:00", 0, "2", "20:15:00", 1, 1},
        TypingCase{"one_keeps_units", 2, "17:15:00", 0, "1", "17:15:00", 1, 1},
        TypingCase{"two_keeps_three", 2, "13:15:00", 0, "2", "23:15:00", 1, 1},
        TypingCase{"two_resets_four", 2, "14:15:00", 0, "2", "20:15:00", 1, 1},
        TypingCase{"minute_tens", 2, nullptr, 3, "6594", "00:59:40", 7, 1},
        TypingCase{"second_tens", 2, nullptr, 6, "75", "00:00:50", 7, 1},
        TypingCase{"layout_7_is_2", 7, "27:15:00", 0, "2", "20:15:00", 1, 1},
        TypingCase{"layout_minus_1_is_2", -1, nullptr, 6, "6", "00:00:00", 6, 1},
        TypingCase{"end_of_field", 1, nullptr, 3, "591", "00:59", 5, 0},
        TypingCase{"end_of_long_time", 2, nullptr, 7, "12", "00:00:01", 8, 0},
        // Dates.
        TypingCase{"day_three_resets_units", 0, "29.05.24", 0, "3", "30.05.24", 1, 1},
        TypingCase{"day_three_keeps_one", 0, "21.05.24", 0, "3", "31.05.24", 1, 1},
        TypingCase{"day_three_resets_two", 0, "22.05.24", 0, "3", "30.05.24", 1, 1},
        TypingCase{"day_tens_4_refused", 0, nullptr, 0, "4", "00.00.00", 0, 1},
        TypingCase{"day_units_after_3", 0, "30.05.24", 1, "51", "31.05.24", 3, 1},
        TypingCase{"month", 0, nullptr, 3, "2132", "00.12.00", 6, 1},
        TypingCase{"month_units_free_below_10", 0, nullptr, 4, "9", "00.09.00", 6, 1},
        TypingCase{"short_year_any", 0, nullptr, 6, "99", "00.00.99", 8, 0},
        TypingCase{"zero_day_and_month", 0, "11.11.11", 0, "0000", "00.00.11", 6, 1},
        TypingCase{"long_year_first", 3, nullptr, 6, "031", "00.00.1000", 7, 1},
        TypingCase{"long_year_19", 3, nullptr, 6, "1089", "00.00.1900", 8, 1},
        TypingCase{"long_year_20", 3, nullptr, 6, "2290", "00.00.2000", 8, 1},
        TypingCase{"long_year_21", 3, nullptr, 6, "21", "00.00.2100", 8, 1},
        TypingCase{"long_year_last_digits", 3, "00.00.2000", 8, "795", "00.00.2079", 10, 0},
        // Keys that never change the text.
        TypingCase{"letters_and_separators", 2, nullptr, 0, "a.:-x ", "00:00:00", 0, 1},
        TypingCase{"unchecked_text_is_start", 1, "ab:cd:ef:gh", 0, "1", "1b:cd:ef:gh", 1, 1}),
    [](const auto& info) { return std::string(info.param.name); });

class Field : public ::testing::Test {
  protected:
    DateTime field;
};

TEST_F(Field, NewFieldShowsShortTimeMask) {
    EXPECT_EQ(field.Layout(), 1);
    EXPECT_EQ(field.Text(), "00:00");
}

TEST_F(Field, LayoutShowsItsMaskEvenAfterTyping) {
    const struct {
        int layout;
        const char* mask;
    } cases[] = {
        {0, "00.00.00"}, {1, "00:00"}, {2, "00:00:00"}, {3, "00.00.0000"}, {7, "00:00:00"}};
    for (const auto& c : cases) {
        field.SetSelStart(0);
        Type(field, "12");
        field.SetLayout(c.layout);
        EXPECT_EQ(field.Text().toStdString(), c.mask);
        EXPECT_EQ(field.Layout(), c.layout);
    }
}

TEST_F(Field, TextSetterShowsAnyString) {
    QSignalSpy changes(&field, &DateTime::onChange);
    field.SetText("long text, not a time");
    EXPECT_EQ(field.Text(), "long text, not a time");
    EXPECT_EQ(changes.count(), 1);
}

TEST_F(Field, KeysThatEditAreUndone) {
    const struct {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int changes;
    } cases[] = {
        {"backspace", Qt::Key_Backspace, Qt::NoModifier, 0},
        {"undo", Qt::Key_Z, Qt::ControlModifier, 0},
        {"cut", Qt::Key_X, Qt::ControlModifier, 0},
        {"paste", Qt::Key_V, Qt::ControlModifier, 0},
        {"delete", Qt::Key_Delete, Qt::NoModifier, 2},
        {"shift_delete", Qt::Key_Delete, Qt::ShiftModifier, 2},
        {"paste_by_insert", Qt::Key_Insert, Qt::ShiftModifier, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QApplication::clipboard()->setText("99");
        field.SetText("12:34");
        field.SetSelStart(1);
        QSignalSpy changes(&field, &DateTime::onChange);
        QTest::keyClick(field.Field(), c.key, c.modifiers);
        EXPECT_EQ(field.Text(), "12:34");
        EXPECT_EQ(changes.count(), c.changes);
    }
}

TEST_F(Field, ContextMenuEditsAreUndoneWithTwoChanges) {
    // What the line edit's own context menu does, after a digit was typed.
    const struct {
        const char* name;
        std::function<void(QLineEdit&)> edit;
    } cases[] = {
        {"paste", [](QLineEdit& e) { e.paste(); }}, {"undo", [](QLineEdit& e) { e.undo(); }},
        {"cut", [](QLineEdit& e) { e.cut(); }},     {"delete", [](QLineEdit& e) { e.del(); }},
        {"clear", [](QLineEdit& e) { e.clear(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QApplication::clipboard()->setText("99:99");
        field.SetLayout(1);
        field.SetSelStart(0);
        Type(field, "1");
        field.Field()->selectAll();
        QSignalSpy changes(&field, &DateTime::onChange);
        c.edit(*field.Field());
        EXPECT_EQ(field.Text(), "10:00");
        EXPECT_EQ(changes.count(), 2);
    }
}

TEST_F(Field, EmptyKeptTextDoesNotRollBack) {
    field.SetText("");
    field.Field()->insert("7");
    EXPECT_EQ(field.Text(), "7");
}

TEST_F(Field, AcceptedDigitRaisesOneChange) {
    field.SetSelStart(0);
    QSignalSpy changes(&field, &DateTime::onChange);
    Type(field, "1");
    EXPECT_EQ(changes.count(), 1);
}

TEST_F(Field, CaretKeysMoveWithoutSelecting) {
    field.SetSelStart(0);
    QTest::keyClick(field.Field(), Qt::Key_End);
    EXPECT_EQ(field.SelStart(), 5);
    EXPECT_EQ(field.SelLength(), 0);
    QTest::keyClick(field.Field(), Qt::Key_Left);
    Type(field, "7");
    EXPECT_EQ(field.Text(), "00:07");
}

TEST_F(Field, HeightFollowsInnerField) {
    field.show();
    field.resize(120, 80);
    EXPECT_EQ(field.height(), field.Field()->height());
    EXPECT_EQ(field.Field()->geometry(), QRect(0, 0, 120, field.height()));
}

TEST(FieldFocus, LosingFocusIsReported) {
    QWidget window;
    DateTime field(&window);
    QLineEdit other(&window);
    other.move(0, 40);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    other.setFocus();
    QSignalSpy lost(&field, &DateTime::LostFocus);
    field.SetSelStart(2);
    field.setFocus();
    // Focus selects the current position, stepping over the colon.
    EXPECT_EQ(field.SelStart(), 3);
    EXPECT_EQ(field.SelLength(), 1);
    other.setFocus();
    EXPECT_EQ(lost.count(), 1);
}

}  // namespace
