// The window's layout: names, containers, positions (twips / 15 at 96 dpi), fonts and texts of
// a sample of controls from every region.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QPushButton>

#include "form1_harness.h"

namespace pelta::ui::testing {
namespace {

struct Placement {
    const char* name;
    const char* container;
    int left, top, width, height;  // twips
};

TEST(Form1Layout, clientAreaIs404By519PixelsAt96Dpi) {
    Form1Harness harness;
    ASSERT_EQ(harness.Window().logicalDpiX(), 96);
    EXPECT_EQ(harness.Window().size(), QSize(404, 519));
    EXPECT_EQ(harness.Window().windowTitle(), "Пелта");
    EXPECT_EQ(harness.Window().objectName(), "Form1");
}

TEST(Form1Layout, controlsSitWhereTheirTwipsPutThemInTheirContainers) {
    Form1Harness harness;
    const Placement sample[] = {
        {"ctlLine1", "Form1", 0, 0, 6015, 495},
        {"Button161", "ctlLine1", 120, 120, 300, 300},
        {"Button164", "ctlLine1", 1560, 120, 300, 300},
        {"ctlLine2", "Form1", 0, 600, 6015, 4095},
        {"ctlLine3", "Form1", 0, 600, 6015, 4095},
        {"ctlLine6", "Form1", 0, 600, 6015, 4095},
        {"ctlLine7", "Form1", 0, 600, 6015, 4095},
        {"LabelCOM", "Form1", 0, 4800, 6135, 255},
        {"TextBox1", "Form1", 0, 5160, 6015, 1935},
        {"Label1", "Form1", 0, 7200, 6375, 255},
        {"Label2_0", "Form1", 0, 7440, 6375, 255},
        {"cboPort", "ctlLine2", 1200, 240, 1545, 315},
        {"cmbHandShake", "ctlLine2", 4200, 720, 1500, 315},
        {"CmdDefault_0", "ctlLine2", 4200, 1680, 1455, 285},
        {"Text1_3", "ctlLine2", 2520, 2520, 3255, 285},
        {"Command6", "ctlLine2", 4080, 3480, 1695, 375},
        {"Label7", "ctlLine3", 105, 720, 5790, 435},
        {"Label4", "ctlLine3", 120, 1200, 5775, 240},
        {"Label5", "ctlLine4", 120, 360, 2700, 285},
        {"Label16", "ctlLine4", 240, 0, 495, 240},
        {"Label14_0", "ctlLine5", 2880, 360, 2700, 285},
        {"Command5", "ctlLine3", 3240, 3600, 2295, 375},
        {"Button165", "ctlLine6", 1680, 240, 300, 300},
        {"DateTime1", "ctlLine6", 2040, 240, 1575, 285},
        {"Button167_1", "ctlLine6", 5280, 1800, 300, 300},
        {"DateTime6_2", "ctlLine6", 1200, 3480, 1095, 285},
        {"Combo5", "ctlLine6", 3120, 3120, 1815, 315},
        {"Check3", "ctlLine6", 240, 3740, 3375, 195},
        {"ctlLine9", "ctlLine6", 120, 1320, 5775, 30},
        {"Line1_0", "ctlLine6", 3360, 2760, 480, 15},
        {"Text2_1", "ctlLine7", 2160, 960, 3495, 285},
        {"DateTime5", "ctlLine7", 3480, 1320, 1335, 285},
        {"Button168", "ctlLine7", 5040, 1320, 300, 300},
        {"Command7", "Form1", 9360, 5880, 1455, 375},
    };
    for (const Placement& p : sample) {
        const QWidget* widget = harness.Find<QWidget>(p.name);
        ASSERT_NE(widget, nullptr) << p.name;
        EXPECT_EQ(widget->parentWidget()->objectName(), p.container) << p.name;
        EXPECT_EQ(widget->geometry(), QRect(p.left / 15, p.top / 15, p.width / 15, p.height / 15))
            << p.name;
    }
}

struct FontCase {
    const char* name;
    QString family;
    double points;
};

TEST(Form1Layout, measurementLabelsUseTheirBoldFonts) {
    Form1Harness harness;
    const FontCase fonts[] = {
        {"Label3", "MS Sans Serif", 13.5}, {"Label7", "MS Sans Serif", 18},
        {"Label4", "Arial Narrow", 9},     {"Label16", "MS Sans Serif", 9.75},
        {"Label5", "Arial", 12},           {"Label14_0", "Arial", 12},
    };
    for (const FontCase& f : fonts) {
        const QFont font = harness.Find<QLabel>(f.name)->font();
        EXPECT_EQ(font.family(), f.family) << f.name;
        EXPECT_DOUBLE_EQ(font.pointSizeF(), f.points) << f.name;
        EXPECT_TRUE(font.bold()) << f.name;
    }
    EXPECT_EQ(harness.Find<QLabel>("Label3")->alignment() & Qt::AlignHorizontal_Mask,
              Qt::AlignHCenter);
}

TEST(Form1Layout, command7LiesOutsideTheClientAreaButTakesTheFocusByTab) {
    Form1Harness harness;
    auto* hidden = harness.Find<QPushButton>("Command7");
    EXPECT_GE(hidden->x(), harness.Window().width());
    EXPECT_TRUE(hidden->focusPolicy() & Qt::TabFocus);
    EXPECT_TRUE(hidden->isVisibleTo(&harness.Window()));
    bool inChain = false;
    for (QWidget* w = harness.Window().nextInFocusChain(); w != &harness.Window();
         w = w->nextInFocusChain()) {
        inChain = inChain || w == hidden;
    }
    EXPECT_TRUE(inChain);
}

}  // namespace
}  // namespace pelta::ui::testing
