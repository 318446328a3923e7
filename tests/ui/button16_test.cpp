#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include "ui/button16.h"

namespace {

using Look = Button16::Look;

const QColor kFace(200, 200, 200);
const QColor kShadow(100, 100, 100);
const QColor kHighlight(250, 240, 230);
const QColor kDarkShadow(10, 20, 30);
const QColor kRed(255, 0, 0);
const QColor kNearWhite(254, 255, 255);
const QColor kGrey(129, 129, 129);

// A picture with a red pixel at (0, 0), a near-white one at (5, 5), white elsewhere.
QImage TestPicture() {
    QImage picture(16, 16, QImage::Format_RGB32);
    picture.fill(Qt::white);
    picture.setPixelColor(0, 0, kRed);
    picture.setPixelColor(5, 5, kNearWhite);
    return picture;
}

struct Probe {
    int x;
    int y;
    QColor color;
};

// Pixels that tell each look apart: frame corners, background and picture offset.
std::vector<Probe> Signature(Look look) {
    switch (look) {
        case Look::Pressed:
            return {{0, 0, kDarkShadow},  {17, 0, kDarkShadow}, {18, 0, kHighlight},
                    {0, 18, kDarkShadow}, {0, 19, kHighlight},  {19, 19, kHighlight},
                    {2, 2, kHighlight},   {3, 3, kRed},         {8, 8, kNearWhite},
                    {4, 4, kHighlight}};
        case Look::Hovered:
            return {{0, 0, kHighlight},   {18, 0, kHighlight},   {19, 0, kDarkShadow},
                    {0, 18, kDarkShadow}, {19, 18, kDarkShadow}, {0, 19, kFace},
                    {19, 19, kFace},      {2, 2, kRed},          {7, 7, kNearWhite},
                    {10, 10, kFace}};
        case Look::Resting:
            return {{0, 0, kFace},   {1, 0, kShadow},   {18, 0, kShadow}, {19, 0, kFace},
                    {0, 1, kShadow}, {19, 18, kShadow}, {19, 19, kFace},  {2, 2, kRed},
                    {3, 3, kFace},   {7, 7, kNearWhite}};
        case Look::Disabled:
            return {{0, 0, kShadow},   {19, 0, kShadow}, {0, 19, kShadow},  {18, 19, kShadow},
                    {19, 19, kFace},   {2, 2, kGrey},    {3, 3, Qt::white}, {7, 7, kGrey},
                    {8, 8, Qt::white}, {10, 10, kFace}};
        case Look::None:
            break;
    }
    return {};
}

// The hovered look of a latched button: resting frame on the highlight colour.
std::vector<Probe> LatchedHoverSignature() {
    return {{0, 0, kHighlight},
            {1, 0, kShadow},
            {19, 19, kHighlight},
            {2, 2, kRed},
            {3, 3, kHighlight}};
}

void ExpectPixels(Button16& button, const std::vector<Probe>& probes) {
    const QImage image = button.grab().toImage();
    ASSERT_EQ(image.size(), QSize(20, 20));
    for (const Probe& p : probes) {
        EXPECT_EQ(QColor(image.pixel(p.x, p.y)).name().toStdString(), p.color.name().toStdString())
            << "pixel (" << p.x << ", " << p.y << ")";
    }
}

// A button with a palette of distinct colours and the test picture, and mouse helpers that
// deliver events straight to it.
struct ButtonRig {
    ButtonRig() {
        QPalette palette;
        palette.setColor(QPalette::Button, kFace);
        palette.setColor(QPalette::Dark, kShadow);
        palette.setColor(QPalette::Light, kHighlight);
        palette.setColor(QPalette::Shadow, kDarkShadow);
        button.setPalette(palette);
        button.SetPictureByValue(TestPicture());
    }

    void Send(QEvent::Type type, QPoint pos, Qt::MouseButton which, Qt::MouseButtons held) {
        QMouseEvent event(type, pos, button.mapToGlobal(pos), which, held, Qt::NoModifier);
        QApplication::sendEvent(&button, &event);
    }
    void Move(QPoint pos, Qt::MouseButtons held = Qt::NoButton) {
        Send(QEvent::MouseMove, pos, Qt::NoButton, held);
    }
    void Press(QPoint pos, Qt::MouseButton which = Qt::LeftButton) {
        Send(QEvent::MouseButtonPress, pos, which, which);
    }
    void Release(QPoint pos, Qt::MouseButton which = Qt::LeftButton) {
        Send(QEvent::MouseButtonRelease, pos, which, Qt::NoButton);
    }
    void Leave() {
        QEvent event(QEvent::Leave);
        QApplication::sendEvent(&button, &event);
    }

    Button16 button;
};

class ImageButton : public ::testing::Test, public ButtonRig {};

TEST_F(ImageButton, StartsRestingWithDefaults) {
    EXPECT_EQ(button.CurrentLook(), Look::Resting);
    EXPECT_FALSE(button.Value());
    EXPECT_EQ(button.MaskColor(), 16711935);
    ExpectPixels(button, Signature(Look::Resting));
}

enum class Act { In, Press, PressRight, DragOut, DragOutRight, Release, ReleaseOut, Leave, Margin };

void Apply(ButtonRig& rig, Act act) {
    const QPoint in(8, 8);
    const QPoint out(40, 40);
    switch (act) {
        case Act::In:
            return rig.Move(in);
        case Act::Press:
            return rig.Press(in);
        case Act::PressRight:
            return rig.Press(in, Qt::RightButton);
        case Act::DragOut:
            return rig.Move(out, Qt::LeftButton);
        case Act::DragOutRight:
            return rig.Move(out, Qt::RightButton);
        case Act::Release:
            return rig.Release(in);
        case Act::ReleaseOut:
            return rig.Release(out);
        case Act::Leave:
            return rig.Leave();
        case Act::Margin:
            return rig.Move({18, 18});
    }
}

TEST(ImageButtonLooks, MouseSequencesGiveLooks) {
    using enum Act;
    const struct {
        const char* name;
        std::vector<Act> acts;
        Look drawn;
        Look remembered;
    } cases[] = {
        {"hover", {In}, Look::Hovered, Look::Hovered},
        {"press", {In, Press}, Look::Pressed, Look::Pressed},
        {"drag off keeps pressed", {In, Press, DragOut, Leave}, Look::Pressed, Look::Pressed},
        {"release outside draws resting",
         {In, Press, DragOut, ReleaseOut, Leave},
         Look::Resting,
         Look::Pressed},
        {"release then hover", {In, Press, Release, In}, Look::Hovered, Look::Hovered},
        {"hover then leave", {In, Leave}, Look::Resting, Look::Resting},
        {"right-button drag off leaves",
         {In, PressRight, DragOutRight},
         Look::Resting,
         Look::Resting},
        {"move in the margin is no hover", {Margin}, Look::Resting, Look::Resting},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ButtonRig rig;
        for (Act act : c.acts) {
            Apply(rig, act);
        }
        EXPECT_EQ(rig.button.CurrentLook(), c.remembered);
        ExpectPixels(rig.button, Signature(c.drawn));
    }
}

TEST_F(ImageButton, ClickRaisesEventsWithButtonCodes) {
    QSignalSpy down(&button, &Button16::MouseDown);
    QSignalSpy up(&button, &Button16::MouseUp);
    QSignalSpy click(&button, &Button16::Click);
    Move({5, 5});
    Press({5, 5});
    Release({5, 5});
    Press({5, 5}, Qt::RightButton);
    Release({5, 5}, Qt::RightButton);
    ASSERT_EQ(down.count(), 2);
    ASSERT_EQ(up.count(), 2);
    EXPECT_EQ(down[0][0].value<short>(), 1);
    EXPECT_EQ(down[1][0].value<short>(), 2);
    EXPECT_EQ(up[1][0].value<short>(), 2);
    EXPECT_EQ(click.count(), 1);  // the right button does not click
}

TEST_F(ImageButton, ReleaseOutsideRaisesMouseUpButNoClick) {
    QSignalSpy up(&button, &Button16::MouseUp);
    QSignalSpy click(&button, &Button16::Click);
    Press({5, 5});
    Move({30, 5}, Qt::LeftButton);
    Release({30, 5});
    EXPECT_EQ(up.count(), 1);
    EXPECT_EQ(click.count(), 0);
}

TEST_F(ImageButton, BottomAndRightMarginRaiseNothing) {
    QSignalSpy down(&button, &Button16::MouseDown);
    QSignalSpy up(&button, &Button16::MouseUp);
    QSignalSpy click(&button, &Button16::Click);
    for (QPoint pos : {QPoint(17, 5), QPoint(5, 17), QPoint(19, 19), QPoint(18, 0)}) {
        Move(pos);
        Press(pos);
        Release(pos);
    }
    EXPECT_EQ(down.count() + up.count() + click.count(), 0);
    ExpectPixels(button, Signature(Look::Resting));
    Press({16, 16});  // the last pixel that reacts
    EXPECT_EQ(down.count(), 1);
}

TEST_F(ImageButton, DisabledIsEmbossedAndEnabledAgainRestsEvenWhenLatched) {
    button.SetValue(true);
    button.setEnabled(false);
    ExpectPixels(button, Signature(Look::Disabled));
    Press({5, 5});  // a disabled button takes no mouse
    ExpectPixels(button, Signature(Look::Disabled));
    button.setEnabled(true);
    ExpectPixels(button, Signature(Look::Resting));
}

TEST_F(ImageButton, ValueLatchesPressedLook) {
    button.SetValue(true);
    ExpectPixels(button, Signature(Look::Pressed));
    Move({5, 5});
    ExpectPixels(button, LatchedHoverSignature());
    Leave();
    ExpectPixels(button, Signature(Look::Pressed));
    button.SetValue(false);
    ExpectPixels(button, Signature(Look::Resting));
}

TEST_F(ImageButton, PictureByReferenceKeepsBackgroundUnderWhite) {
    const QColor blue(0, 0, 255);
    button.SetBackColor(blue);
    ExpectPixels(button, {{10, 10, blue}, {0, 0, blue}});
    button.SetPictureByReference(TestPicture());
    ExpectPixels(button, {{2, 2, kRed}, {3, 3, blue}, {7, 7, kNearWhite}, {0, 0, blue}});
    Move({5, 5});  // the next look replaces the host's colour
    ExpectPixels(button, Signature(Look::Hovered));
}

TEST_F(ImageButton, OnlyTopLeftSixteenPixelsOfPictureShow) {
    QImage big(20, 20, QImage::Format_RGB32);
    big.fill(kRed);
    button.SetPictureByValue(big);
    ExpectPixels(button, {{17, 17, kRed}, {18, 18, kFace}, {1, 1, kFace}});
}

TEST_F(ImageButton, NoPictureDrawsFrameOnly) {
    Button16 plain;
    plain.setPalette(button.palette());
    plain.setEnabled(false);
    ExpectPixels(plain, {{0, 0, kShadow}, {2, 2, kFace}, {3, 3, kFace}, {10, 10, kFace}});
}

TEST_F(ImageButton, StaysTwentyPixelsSquare) {
    for (QSize size : {QSize(50, 50), QSize(5, 40), QSize(0, 0)}) {
        button.resize(size);
        EXPECT_EQ(button.size(), QSize(20, 20));
    }
    button.setGeometry(3, 4, 100, 7);
    EXPECT_EQ(button.geometry(), QRect(3, 4, 20, 20));
}

}  // namespace
