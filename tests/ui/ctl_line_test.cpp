#include <gtest/gtest.h>

#include <QImage>

#include "ui/ctl_line.h"
#include "ui/twips.h"

namespace {

enum class Ink { Shadow, White, Black, Back };

struct Probe {
    int x;
    int y;
    Ink ink;
};

QColor InkColor(const ctlLine& line, Ink ink) {
    switch (ink) {
        case Ink::Shadow:
            return line.palette().color(QPalette::Dark);
        case Ink::White:
            return Qt::white;
        case Ink::Black:
            return Qt::black;
        case Ink::Back:
            break;
    }
    return line.BackColor();
}

QImage Render(ctlLine& line, int style, int type, QSize size) {
    line.resize(size);
    line.SetLineStyleType(type);
    line.SetLineStyle(style);
    line.Refresh();
    return line.grab().toImage();
}

void ExpectProbes(const ctlLine& line, const QImage& image, const std::vector<Probe>& probes) {
    for (const Probe& p : probes) {
        EXPECT_EQ(QColor(image.pixel(p.x, p.y)).name().toStdString(),
                  InkColor(line, p.ink).name().toStdString())
            << "pixel (" << p.x << ", " << p.y << ")";
    }
}

class LineControl : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(line.logicalDpiX(), 96) << "probes below assume 15 twips per pixel";
        line.SetBackColor(QColor(10, 200, 30));
    }
    ctlLine line;
};

TEST(Twips, ConvertsAtFifteenTwipsPerPixel) {
    const struct {
        int twips;
        int pixels;
    } cases[] = {{0, 0}, {15, 1}, {30, 2}, {80, 5}, {90, 6}, {100, 7}, {300, 20}, {-10, -1}};
    for (const auto& c : cases) {
        EXPECT_EQ(TwipsToPixels(c.twips, nullptr), c.pixels) << c.twips;
    }
    EXPECT_EQ(TwipsRect(120, 600, 6015, 4095, nullptr), QRect(8, 40, 401, 273));
}

TEST_F(LineControl, NewControlKeepsDefaultStyles) {
    EXPECT_EQ(line.LineStyle(), 2);
    EXPECT_EQ(line.LineStyleType(), 0);
}

TEST_F(LineControl, HorizontalLineIsThirtyTwipsHighWhateverItIsGiven) {
    const QImage image = Render(line, 1, 0, {40, 50});
    EXPECT_EQ(line.size(), QSize(40, 2));
    ExpectProbes(
        line, image,
        {{0, 0, Ink::Shadow}, {39, 0, Ink::Shadow}, {0, 1, Ink::White}, {39, 1, Ink::White}});
}

TEST_F(LineControl, VerticalLineIsThirtyTwipsWide) {
    const QImage image = Render(line, 0, 0, {50, 40});
    EXPECT_EQ(line.size(), QSize(2, 40));
    ExpectProbes(
        line, image,
        {{0, 0, Ink::Shadow}, {0, 39, Ink::Shadow}, {1, 0, Ink::White}, {1, 39, Ink::White}});
}

TEST_F(LineControl, StyleTypeChoosesStrokeColours) {
    const struct {
        int type;
        Ink first;
        Ink second;
    } cases[] = {{0, Ink::Shadow, Ink::White},
                 {1, Ink::White, Ink::Shadow},
                 {5, Ink::Black, Ink::Black},
                 {-1, Ink::Black, Ink::Black}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        const QImage image = Render(line, 1, c.type, {30, 2});
        ExpectProbes(line, image, {{10, 0, c.first}, {10, 1, c.second}});
    }
}

TEST_F(LineControl, UnknownStyleLeavesPlainBackground) {
    Render(line, 2, 0, {60, 60});  // a figure first, to see that it is wiped
    const QImage image = Render(line, 3, 0, {60, 60});
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            ASSERT_EQ(QColor(image.pixel(x, y)).rgb(), line.BackColor().rgb()) << x << "," << y;
        }
    }
}

TEST_F(LineControl, FrameEdgesLieOnExpectedPixels) {
    // 100 x 80 pixels = 1500 x 1200 twips.
    const QImage image = Render(line, 2, 0, {100, 80});
    ExpectProbes(
        line, image,
        {
            {3, 5, Ink::Shadow},   {95, 5, Ink::Shadow}, {97, 6, Ink::Shadow}, {2, 6, Ink::White},
            {96, 6, Ink::White},   {10, 4, Ink::Back},   {0, 8, Ink::Shadow},  {0, 76, Ink::Shadow},
            {0, 77, Ink::Back},    {1, 7, Ink::White},   {1, 76, Ink::White},  {2, 78, Ink::Shadow},
            {96, 78, Ink::Shadow}, {3, 79, Ink::White},  {95, 79, Ink::White}, {98, 7, Ink::Shadow},
            {98, 76, Ink::Shadow}, {99, 8, Ink::White},  {50, 40, Ink::Back},  {1, 6, Ink::Shadow},
            {2, 5, Ink::Shadow},   {97, 5, Ink::Back},
        });
}

TEST_F(LineControl, SeparatorHeightFrameShowsOnlyItsLowerStrokes) {
    // The window's separators are frames only 30 twips high.
    const QImage image = Render(line, 2, 0, {100, 2});
    ExpectProbes(line, image,
                 {{0, 0, Ink::Shadow},
                  {0, 1, Ink::Shadow},
                  {1, 0, Ink::White},
                  {1, 1, Ink::White},
                  {50, 0, Ink::Shadow},
                  {50, 1, Ink::White},
                  {98, 0, Ink::Shadow},
                  {99, 1, Ink::White}});
}

TEST_F(LineControl, ContainedControlListsChildWidgets) {
    QWidget a(&line);
    QWidget b(&line);
    QWidget grandChild(&a);
    EXPECT_EQ(line.ContainedControl(), (QList<QWidget*>{&a, &b}));
}

}  // namespace
