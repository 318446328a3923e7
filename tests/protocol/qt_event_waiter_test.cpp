#include "protocol/qt_event_waiter.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

namespace pelta::protocol {
namespace {

using namespace std::chrono_literals;

TEST(QtEventWaiter, runsWindowEventsAtOnceAndDuringTheWait) {
    static int argc = 1;
    static char name[] = "protocol_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    QtEventWaiter waiter;
    int ran = 0;
    QMetaObject::invokeMethod(
        &app, [&] { ++ran; }, Qt::QueuedConnection);
    waiter.ProcessEvents();
    EXPECT_EQ(ran, 1) << "pending events run at once";

    QTimer::singleShot(10, [&] { ++ran; });
    waiter.WaitProcessingEvents(40ms);  // its length is shown by the end-to-end replies
    EXPECT_EQ(ran, 2) << "an event due inside the wait ran inside it";

    // An hour's wait with another nested in one of its events: cutting short ends both at once.
    QElapsedTimer clock;
    clock.start();
    QTimer::singleShot(5, [&] {
        QTimer::singleShot(5, [&] { waiter.CutShort(); });
        waiter.WaitProcessingEvents(std::chrono::hours(1));
        ++ran;
    });
    waiter.WaitProcessingEvents(std::chrono::hours(1));
    EXPECT_EQ(ran, 3) << "the nested wait ended first";
    EXPECT_LT(clock.elapsed(), 30'000);
    QTimer::singleShot(10, [&] { ++ran; });
    waiter.WaitProcessingEvents(30ms);
    EXPECT_EQ(ran, 4) << "the next wait lasts again";
}

}  // namespace
}  // namespace pelta::protocol
