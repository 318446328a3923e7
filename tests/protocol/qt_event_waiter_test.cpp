#include "protocol/qt_event_waiter.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

namespace pelta::protocol {
namespace {

using namespace std::chrono_literals;

QCoreApplication& Application() {
    static int argc = 1;
    static char name[] = "protocol_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

TEST(QtEventWaiter, runsWindowEventsDuringTheWaitAndLastsAtLeastTheSpan) {
    Application();
    QtEventWaiter waiter;
    const struct {
        std::chrono::microseconds span;
        int timerMs;
    } cases[] = {{30ms, 0}, {40ms, 10}, {1500us, 0}};
    for (const auto& c : cases) {
        int fired = 0;
        QTimer::singleShot(c.timerMs, [&] { ++fired; });
        QElapsedTimer clock;
        clock.start();
        waiter.WaitProcessingEvents(c.span);
        EXPECT_GE(clock.nsecsElapsed(), c.span.count() * 1000) << c.span.count();
        EXPECT_EQ(fired, 1) << "an event due inside the wait ran inside it";
    }
}

TEST(QtEventWaiter, processEventsRunsWhatIsPending) {
    Application();
    QtEventWaiter waiter;
    int ran = 0;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&] { ++ran; }, Qt::QueuedConnection);
    waiter.ProcessEvents();
    EXPECT_EQ(ran, 1);
    waiter.WaitProcessingEvents(0us);
    EXPECT_EQ(ran, 1);
}

}  // namespace
}  // namespace pelta::protocol
