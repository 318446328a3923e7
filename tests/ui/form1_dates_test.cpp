// Dates and weekdays of the clock row, and where the window looks for its pictures.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "form1_harness.h"
#include "ui/form1_dates.h"
#include "ui/form1_pictures.h"

namespace pelta::ui {
namespace {

struct DateCase {
    QString text;
    QDate date;  // null: not a date
};

TEST(Form1Dates, readsTwoAndFourDigitYearsAroundTheWindow) {
    const DateCase cases[] = {
        {"05.03.09", QDate(2009, 3, 5)},
        {"31.12.29", QDate(2029, 12, 31)},
        {"01.01.30", QDate(1930, 1, 1)},
        {"15.06.99", QDate(1999, 6, 15)},
        {"29.02.24", QDate(2024, 2, 29)},
        {"15.06.2031", QDate(2031, 6, 15)},
        {"29.02.23", QDate()},
        {"00.01.24", QDate()},
        {"01.13.24", QDate()},
        {"00.00.00", QDate()},
        {"1.1.1", QDate()},
        {"ab.cd.ef", QDate()},
        {"05:03:09", QDate()},
        {"", QDate()},
        {"05.03.-9", QDate()},
    };
    for (const DateCase& c : cases) {
        EXPECT_EQ(DateFromText(c.text), c.date) << c.text.toStdString();
    }
}

TEST(Form1Dates, weekdaysCountFromSunday) {
    const std::pair<QDate, int> cases[] = {
        {QDate(2024, 6, 2), 0},  // Sunday
        {QDate(2024, 6, 3), 1},
        {QDate(2024, 6, 8), 6},  // Saturday
        {QDate(2000, 1, 1), 6},
    };
    for (const auto& [date, index] : cases) {
        EXPECT_EQ(WeekdayIndex(date), index) << date.toString().toStdString();
    }
    const QStringList english = WeekdayNames(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(english, (QStringList{"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday",
                                    "Friday", "Saturday"}));
}

TEST(Form1Dates, fieldTextsHaveFixedShapes) {
    EXPECT_EQ(DateText(QDate(2009, 3, 5)), "05.03.09");
    EXPECT_EQ(DateText(QDate(1999, 12, 31)), "31.12.99");
    EXPECT_EQ(TimeText(QTime(7, 5, 9)), "07:05:09");
    EXPECT_EQ(TimeText(QTime(23, 59, 0)), "23:59:00");
}

struct LookupCase {
    const char* name;
    bool inFirst;
    bool inSecond;
    int expectedFolder;  // 0, 1, or -1 for none
};

TEST(Form1Pictures, currentFolderFirstThenBesideTheProgram) {
    const LookupCase cases[] = {
        {"both", true, true, 0},
        {"second only", false, true, 1},
        {"first only", true, false, 0},
        {"neither", false, false, -1},
    };
    for (const LookupCase& c : cases) {
        QTemporaryDir first;
        QTemporaryDir second;
        const QStringList folders = {first.path(), second.path()};
        if (c.inFirst) {
            testing::SamplePicture().save(first.filePath("CLOCK.bmp"), "BMP");
        }
        if (c.inSecond) {
            testing::SamplePicture().save(second.filePath("CLOCK.bmp"), "BMP");
        }
        const QString found = FindPicture("CLOCK.bmp", folders);
        if (c.expectedFolder < 0) {
            EXPECT_TRUE(found.isEmpty()) << c.name;
            EXPECT_TRUE(LoadPicture("CLOCK.bmp", folders).isNull()) << c.name;
        } else {
            EXPECT_EQ(QFileInfo(found).absolutePath(),
                      QFileInfo(folders[c.expectedFolder] + "/x").absolutePath())
                << c.name;
            EXPECT_EQ(LoadPicture("CLOCK.bmp", folders).size(), QSize(16, 16)) << c.name;
        }
    }
}

TEST(Form1Pictures, theDefaultFoldersAreTheCurrentOneThenTheProgramsOwn) {
    const QStringList folders = DefaultPictureFolders();
    ASSERT_FALSE(folders.isEmpty());
    EXPECT_EQ(folders.front(), QDir::currentPath());
    if (QDir(QCoreApplication::applicationDirPath()) != QDir::current()) {
        ASSERT_EQ(folders.size(), 2);
        EXPECT_EQ(folders[1], QCoreApplication::applicationDirPath());
    }
}

}  // namespace
}  // namespace pelta::ui
