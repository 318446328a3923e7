// The controls that draw themselves: the image button and the line control, checked by pixels.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <cstring>

#include "ui/button16.h"
#include "ui/ctl_line.h"

namespace {

// Expected pixels written compactly: "S3,5 W2,6" is ink 'S' at (3, 5) and ink 'W' at (2, 6).
void ExpectProbes(const QImage& image, const char* probes, const QHash<QChar, QColor>& inks) {
    for (const QString& probe : QString::fromLatin1(probes).split(' ')) {
        const QStringList xy = probe.mid(1).split(',');
        ASSERT_TRUE(inks.contains(probe[0])) << probe.toStdString();
        EXPECT_EQ(image.pixelColor(xy[0].toInt(), xy[1].toInt()).name().toStdString(),
                  inks[probe[0]].name().toStdString())
            << probe.toStdString();
    }
}

// Inks: F face, S shadow, L light, D dark shadow, K text, R red, G grey, W white, and N a
// near-white that is not the transparent white, so it must show.
const QHash<QChar, QColor> kInks = {
    {'F', {200, 200, 200}}, {'S', {100, 100, 100}}, {'L', {250, 240, 230}},
    {'D', {10, 20, 30}},    {'R', {255, 0, 0}},     {'N', {254, 255, 255}},
    {'G', {129, 129, 129}}, {'W', Qt::white},       {'K', {0, 0, 90}}};

// Pixels that tell each look apart: frame corners, background and picture offset. The
// picture has red at (0, 0) and near-white at (5, 5) on white.
const char* const kResting = "F0,0 S1,0 S18,0 F19,0 S19,18 R2,2 F3,3 N7,7 F1,1";
const char* const kHovered = "L0,0 L18,0 D19,0 D0,18 F0,19 R2,2 N7,7 F10,10";
const char* const kPressed = "D0,0 D17,0 L18,0 D0,18 L0,19 L19,19 R3,3 N8,8 L4,4";
const char* const kDisabled = "S0,0 S19,0 S18,19 F19,19 G2,2 W3,3 G7,7 F10,10";
const char* const kLatchedHover = "L0,0 S1,0 L19,19 R2,2 L3,3";  // resting frame on light
// Focused: a dotted rectangle one pixel inside the frame, over the resting look.
const char* const kFocused = "K1,1 F2,1 K17,1 K1,17 K17,17 F2,17 S1,0 R2,2";

// A button with a palette of distinct colours and the test picture, beside a field in an active
// window so that the focus really moves; events are recorded.
struct ButtonRig {
    ButtonRig() {
        QPalette palette;
        palette.setColor(QPalette::Button, kInks['F']);
        palette.setColor(QPalette::Dark, kInks['S']);
        palette.setColor(QPalette::Light, kInks['L']);
        palette.setColor(QPalette::Shadow, kInks['D']);
        palette.setColor(QPalette::WindowText, kInks['K']);
        button.setPalette(palette);
        QImage picture(16, 16, QImage::Format_RGB32);
        picture.fill(Qt::white);
        picture.setPixelColor(0, 0, kInks['R']);
        picture.setPixelColor(5, 5, kInks['N']);
        button.SetPictureByValue(picture);
        // "d1" MouseDown with button code 1, "u2" MouseUp with code 2, "c" Click.
        QObject::connect(&button, &Button16::MouseDown,
                         [&](short b) { events += 'd' + QString::number(b); });
        QObject::connect(&button, &Button16::MouseUp,
                         [&](short b) { events += 'u' + QString::number(b); });
        QObject::connect(&button, &Button16::Click, [&] { events += 'c'; });
        button.move(0, 30);
        host.show();
        QApplication::setActiveWindow(&host);
        active = QTest::qWaitForWindowActive(&host);
        field.setFocus();
    }

    // Steps, one letter each: i move in, p/P press left/right, r/R release left/right there,
    // x release left outside, o/O drag out with left/right held, l leave, v/V latch/unlatch,
    // e/E disable/enable, f focus, on the button the keys s Space, n Return, N Enter, b a
    // red picture larger than 16 pixels, z a resize to 50 by 40.
    void Run(const char* steps) {
        for (const char* step = steps; *step != 0; ++step) {
            const char c = *step;
            if (c == 'b') {
                QImage big(20, 20, QImage::Format_RGB32);
                big.fill(kInks['R']);
                button.SetPictureByValue(big);
            } else if (c == 'z') {
                button.resize(50, 40);
            } else if (std::strchr("fsnN", c)) {
                c == 'f' ? button.setFocus()
                         : QTest::keyClick(&button, c == 's'   ? Qt::Key_Space
                                                    : c == 'n' ? Qt::Key_Return
                                                               : Qt::Key_Enter);
            } else if (c == 'v' || c == 'V') {
                button.SetValue(c == 'v');
            } else if (c == 'e' || c == 'E') {
                button.setEnabled(c == 'E');
            } else if (c == 'l') {
                QEvent leave(QEvent::Leave);
                QApplication::sendEvent(&button, &leave);
            } else {
                const Qt::MouseButton which =
                    std::strchr("PRO", c) ? Qt::RightButton : Qt::LeftButton;
                const QEvent::Type type = std::strchr("pP", c)    ? QEvent::MouseButtonPress
                                          : std::strchr("rRx", c) ? QEvent::MouseButtonRelease
                                                                  : QEvent::MouseMove;
                const QPoint pos = std::strchr("xoO", c) ? QPoint(40, 40) : at;
                QMouseEvent event(type, pos, button.mapToGlobal(pos),
                                  type == QEvent::MouseMove ? Qt::NoButton : which,
                                  std::strchr("pPoO", c) ? which : Qt::NoButton, Qt::NoModifier);
                QApplication::sendEvent(&button, &event);
            }
        }
    }

    QPoint at{8, 8};  // where the steps point
    QWidget host;
    QLineEdit field{&host};  // has the focus at first
    Button16 button{&host};
    bool active = false;
    QString events;
};

TEST(ImageButton, drawsAndReportsEachMouseKeyFocusAndStateSequence) {
    const struct {
        const char* steps;
        const char* drawn;
        const char* events;
        QPoint at = {8, 8};  // where the steps point
    } cases[] = {
        {"", kResting, ""},
        {"i", kHovered, ""},
        {"ip", kPressed, "d1"},
        {"ipol", kPressed, "d1"},     // dragged off, still pressed
        {"ipoxl", kFocused, "d1u1"},  // a press gives the focus
        {"ipri", kHovered, "d1u1c"},
        {"il", kResting, ""},
        {"iPR", kFocused, "d2u2"},
        {"iPO", kFocused, "d2"},
        {"ipr", kFocused, "d1u1c", {16, 16}},  // the last reacting pixel
        {"ipr", kResting, "", {17, 5}},        // the margins take neither mouse nor focus
        {"ipr", kResting, "", {5, 17}},
        {"v", kPressed, ""},
        {"vi", kLatchedHover, ""},
        {"vil", kPressed, ""},
        {"vV", kResting, ""},
        {"ve", kDisabled, ""},  // embossed
        {"eipr", kDisabled, ""},
        {"veE", kResting, ""},  // enabled again rests, though latched
        {"fs", kFocused, "c"},  // Tab is the window's test
        {"fn", kFocused, "c"},
        {"fN", kFocused, "c"},
        {"bz", "R17,17 F18,18 F1,1", ""},  // the picture's top left 16 pixels; 20 square
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.steps);
        ButtonRig rig;
        ASSERT_TRUE(rig.active);
        rig.at = c.at;
        rig.Run(c.steps);
        const QImage image = rig.button.grab().toImage();
        ASSERT_EQ(image.size(), QSize(20, 20));
        ExpectProbes(image, c.drawn, kInks);
        EXPECT_EQ(rig.events.toStdString(), c.events);
    }
}

// Inks: S shadow, W white, K black, B background.
TEST(LineControl, drawsEachFigureOnItsPixels) {
    const struct {
        int style, type;
        QSize given, kept;
        const char* probes;
    } cases[] = {
        {1, 0, {40, 50}, {40, 2}, "S0,0 S39,0 W0,1 W39,1"},  // horizontal: 30 twips high
        {0, 0, {50, 40}, {2, 40}, "S0,0 S0,39 W1,0 W1,39"},  // vertical: 30 twips wide
        {1, 1, {30, 2}, {30, 2}, "W10,0 S10,1"},             // type 1 swaps the colours
        {1, 5, {30, 2}, {30, 2}, "K10,0 K10,1"},
        {2, 0, {100, 80}, {100, 80}, "S3,5 S95,5 W2,6 W96,6 B10,4 S0,8 B0,77 W1,76 B97,5"},
        {2, 0, {100, 80}, {100, 80}, "S2,78 W95,79 S98,76 W99,8 B50,40"},  // the frame's corners
        {2, 0, {100, 2}, {100, 2}, "S0,0 W1,0 S50,0 W50,1 S98,0 W99,1"},   // separator height
        {3, 0, {100, 80}, {100, 80}, "B3,5 B2,6 B0,8 B1,76 B2,78 B99,8 B0,0"},  // wipes the frame
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.probes);
        ctlLine line;
        ASSERT_EQ(line.logicalDpiX(), 96) << "the probes assume 15 twips per pixel";
        line.SetBackColor(QColor(10, 200, 30));
        line.resize(c.given);
        line.Refresh();  // the default frame first, to see that other figures replace it
        line.SetLineStyleType(c.type);
        line.SetLineStyle(c.style);
        line.Refresh();
        EXPECT_EQ(line.size(), c.kept);
        ExpectProbes(line.grab().toImage(), c.probes,
                     {{'S', line.palette().color(QPalette::Dark)},
                      {'W', Qt::white},
                      {'K', Qt::black},
                      {'B', line.BackColor()}});
    }
}

}  // namespace
