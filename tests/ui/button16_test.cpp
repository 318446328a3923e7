#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTest>
#include <cstring>

#include "pixel_probes.h"
#include "ui/button16.h"

namespace {

// Inks: F face, S shadow, L light, D dark shadow, R red, G grey, W white, and N a near-white
// that is not the transparent white, so it must show.
const QHash<QChar, QColor> kInks = {
    {'F', {200, 200, 200}}, {'S', {100, 100, 100}}, {'L', {250, 240, 230}}, {'D', {10, 20, 30}},
    {'R', {255, 0, 0}},     {'N', {254, 255, 255}}, {'G', {129, 129, 129}}, {'W', Qt::white}};

// Pixels that tell each look apart: frame corners, background and picture offset. The
// picture has red at (0, 0) and near-white at (5, 5) on white.
const char* const kResting = "F0,0 S1,0 S18,0 F19,0 S19,18 R2,2 F3,3 N7,7";
const char* const kHovered = "L0,0 L18,0 D19,0 D0,18 F0,19 R2,2 N7,7 F10,10";
const char* const kPressed = "D0,0 D17,0 L18,0 D0,18 L0,19 L19,19 R3,3 N8,8 L4,4";
const char* const kDisabled = "S0,0 S19,0 S18,19 F19,19 G2,2 W3,3 G7,7 F10,10";
const char* const kLatchedHover = "L0,0 S1,0 L19,19 R2,2 L3,3";  // resting frame on light

void ExpectPixels(Button16& button, const char* probes) {
    const QImage image = button.grab().toImage();
    ASSERT_EQ(image.size(), QSize(20, 20));
    ExpectProbes(image, probes, kInks);
}

// A button with a palette of distinct colours and the test picture; events are recorded.
struct ButtonRig {
    ButtonRig() {
        QPalette palette;
        palette.setColor(QPalette::Button, kInks['F']);
        palette.setColor(QPalette::Dark, kInks['S']);
        palette.setColor(QPalette::Light, kInks['L']);
        palette.setColor(QPalette::Shadow, kInks['D']);
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
    }

    // Steps, one letter each: i move in, p/P press left/right, r/R release left/right there,
    // x release left outside, o/O drag out with left/right held, l leave, v/V latch/unlatch,
    // e/E disable/enable.
    void Run(const char* steps) {
        for (const char* step = steps; *step != 0; ++step) {
            const char c = *step;
            if (c == 'v' || c == 'V') {
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
    Button16 button;
    QString events;
};

TEST(ImageButton, drawsAndReportsEachMouseAndStateSequence) {
    const QPoint mid(8, 8);
    const struct {
        const char* steps;
        QPoint at;
        const char* drawn;
        const char* events;
    } cases[] = {
        {"", mid, kResting, ""},
        {"i", mid, kHovered, ""},
        {"ip", mid, kPressed, "d1"},
        {"ipol", mid, kPressed, "d1"},  // dragged off, still pressed
        {"ipoxl", mid, kResting, "d1u1"},
        {"ipri", mid, kHovered, "d1u1c"},
        {"il", mid, kResting, ""},
        {"iPR", mid, kResting, "d2u2"},
        {"iPO", mid, kResting, "d2"},
        {"ipr", {16, 16}, kResting, "d1u1c"},  // the last reacting pixel
        {"ipr", {17, 5}, kResting, ""},        // the margins take no mouse
        {"ipr", {5, 17}, kResting, ""},
        {"v", mid, kPressed, ""},
        {"vi", mid, kLatchedHover, ""},
        {"vil", mid, kPressed, ""},
        {"vV", mid, kResting, ""},
        {"ve", mid, kDisabled, ""},  // embossed
        {"eipr", mid, kDisabled, ""},
        {"veE", mid, kResting, ""},  // enabled again rests, though latched
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.steps);
        ButtonRig rig;
        rig.at = c.at;
        rig.Run(c.steps);
        ExpectPixels(rig.button, c.drawn);
        EXPECT_EQ(rig.events.toStdString(), c.events);
    }
}

TEST(ImageButton, showsOnlyTopLeftSixteenPixelsAndStaysTwentySquare) {
    ButtonRig rig;
    QImage big(20, 20, QImage::Format_RGB32);
    big.fill(kInks['R']);
    rig.button.SetPictureByValue(big);
    ExpectPixels(rig.button, "R17,17 F18,18 F1,1");
    for (QSize size : {QSize(50, 50), QSize(5, 40), QSize(0, 0)}) {
        rig.button.resize(size);
        EXPECT_EQ(rig.button.size(), QSize(20, 20));
    }
}

// A focused button: a dotted rectangle one pixel inside the frame, over the resting look.
const char* const kFocused = "K1,1 F2,1 K17,1 K1,17 K17,17 F2,17 S1,0 R2,2";

// The button beside a text field in an active window, so focus really moves.
TEST(ImageButton, takesTheFocusFromTabAndItsHotSquareAndClicksOnSpaceOrEnter) {
    const struct {
        Qt::Key key;  // Tab from the field, another key on the focused button, none: a click
        QPoint click;
        bool focused;
        const char* events;
    } cases[] = {
        {Qt::Key_Tab, {}, true, ""},
        {Qt::Key_unknown, {8, 8}, true, "d1u1c"},
        {Qt::Key_unknown, {18, 18}, false, ""},  // the margin takes no mouse
        {Qt::Key_Space, {}, true, "c"},
        {Qt::Key_Return, {}, true, "c"},
        {Qt::Key_Enter, {}, true, "c"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        QWidget host;
        auto* field = new QLineEdit(&host);
        ButtonRig rig;
        rig.button.setParent(&host);
        rig.button.move(0, 30);
        host.show();
        QApplication::setActiveWindow(&host);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
        field->setFocus();
        if (c.key == Qt::Key_Tab) {
            QTest::keyClick(field, Qt::Key_Tab);
        } else if (c.key == Qt::Key_unknown) {
            QTest::mouseClick(&rig.button, Qt::LeftButton, {}, c.click);
        } else {
            rig.button.setFocus();
            QTest::keyClick(&rig.button, c.key);
        }
        EXPECT_EQ(rig.button.hasFocus(), c.focused);
        EXPECT_EQ(field->hasFocus(), !c.focused);
        EXPECT_EQ(rig.events.toStdString(), c.events);
        QHash<QChar, QColor> inks = kInks;
        inks['K'] = rig.button.palette().color(QPalette::WindowText);
        ExpectProbes(rig.button.grab().toImage(), c.focused ? kFocused : kResting, inks);
    }
}

}  // namespace
