#include <gtest/gtest.h>

#include <QImage>

namespace {

QImage Asset(const char* name) {
    return QImage(QStringLiteral(PELTA_ASSETS_DIR "/") + QString::fromLatin1(name));
}

// The buttons show the top-left 16x16 pixels of their 20x20 pictures; white is transparent.
TEST(Assets, ButtonPicturesKeepTheirArtInTheShownSquareOnWhite) {
    for (const char* name : {"button_ok.bmp", "connect_established.bmp", "CLOCK.bmp",
                             "configure.bmp", "kdevelop_down.bmp"}) {
        SCOPED_TRACE(name);
        const QImage image = Asset(name);
        ASSERT_EQ(image.size(), QSize(20, 20));
        EXPECT_EQ(image.depth(), 32) << "true colour";
        int inked = 0;
        for (int y = 0; y < 20; ++y) {
            for (int x = 0; x < 20; ++x) {
                const bool ink = (image.pixel(x, y) & 0xFFFFFFu) != 0xFFFFFFu;
                EXPECT_FALSE(ink && (x >= 16 || y >= 16)) << "ink outside at " << x << "," << y;
                inked += ink ? 1 : 0;
            }
        }
        EXPECT_GT(inked, 20);
    }
    const QImage icon = Asset("pelta.png");
    EXPECT_EQ(icon.size(), QSize(32, 32));
    EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
}

}  // namespace
