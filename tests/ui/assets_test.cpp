#include <gtest/gtest.h>

#include <QFile>
#include <QImage>

#include "ui/button16.h"

namespace {

QString AssetPath(const char* name) {
    return QStringLiteral(PELTA_ASSETS_DIR "/") + name;
}

bool IsWhite(QRgb pixel) {
    return (pixel & 0xFFFFFFu) == 0xFFFFFFu;
}

class ButtonPicture : public ::testing::TestWithParam<const char*> {};

TEST_P(ButtonPicture, IsTwentyPixelTrueColourBitmap) {
    QFile file(AssetPath(GetParam()));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << GetParam();
    const QByteArray header = file.read(30);
    ASSERT_EQ(header.size(), 30);
    EXPECT_EQ(header.left(2), "BM");
    EXPECT_EQ(static_cast<unsigned char>(header[28]), 24) << "bits per pixel";
    const QImage image(AssetPath(GetParam()));
    EXPECT_EQ(image.size(), QSize(20, 20));
}

TEST_P(ButtonPicture, ArtLiesInShownSquareOnWhite) {
    // The button shows the top-left 16x16 pixels; white is its transparent colour.
    const QImage image(AssetPath(GetParam()));
    ASSERT_FALSE(image.isNull());
    int inked = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const bool shown = x < 16 && y < 16;
            if (!IsWhite(image.pixel(x, y))) {
                EXPECT_TRUE(shown) << "ink outside the shown square at " << x << "," << y;
                ++inked;
            }
        }
    }
    EXPECT_GT(inked, 20);
    EXPECT_TRUE(IsWhite(image.pixel(19, 19)));
}

TEST_P(ButtonPicture, ShowsOnButtonAssignedByValue) {
    // The window assigns its pictures by value; they must show at once.
    const QImage picture(AssetPath(GetParam()));
    Button16 button;
    button.SetPictureByValue(picture);
    const QImage shown = button.grab().toImage();
    const QRgb face = button.palette().color(QPalette::Button).rgb();
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const QRgb expected = IsWhite(picture.pixel(x, y)) ? face : picture.pixel(x, y);
            ASSERT_EQ(shown.pixel(x + 2, y + 2) & 0xFFFFFFu, expected & 0xFFFFFFu) << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Assets, ButtonPicture,
                         ::testing::Values("button_ok.bmp", "connect_established.bmp", "CLOCK.bmp",
                                           "configure.bmp", "kdevelop_down.bmp"));

TEST(ProgramIcon, IsSquarePngWithTransparentCorners) {
    const QImage icon(AssetPath("pelta.png"));
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.size(), QSize(32, 32));
    EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(icon.pixel(16, 20)), 255);
}

}  // namespace
