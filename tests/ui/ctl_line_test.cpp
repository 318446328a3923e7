#include <gtest/gtest.h>

#include "pixel_probes.h"

#include "ui/ctl_line.h"

namespace {

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
        {2,
         0,
         {100, 80},
         {100, 80},
         "S3,5 S95,5 W2,6 W96,6 B10,4 S0,8 B0,77 W1,76 B97,5 S2,78 W95,79 S98,76 W99,8 B50,40"},
        {2, 0, {100, 2}, {100, 2}, "S0,0 W1,0 S50,0 W50,1 S98,0 W99,1"},        // separator height
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
