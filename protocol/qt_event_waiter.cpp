#include "protocol/qt_event_waiter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>

namespace pelta::protocol {
namespace {
// QTimer takes an int of milliseconds; longer waits take several rounds.
constexpr qint64 kLongestTimerMs = 1'000'000'000;
}  // namespace

void QtEventWaiter::ProcessEvents() {
    QCoreApplication::processEvents();
}

void QtEventWaiter::WaitProcessingEvents(std::chrono::microseconds span) {
    QElapsedTimer clock;  // monotonic
    clock.start();
    const qint64 total = span.count() * 1000;  // nanoseconds
    const std::uint64_t cutsAtStart = cuts_;
    QCoreApplication::processEvents();
    // The nested loop sleeps until an event or the timer; a nested exchange run from an event
    // may return late, so the remaining time is measured again each round.
    for (qint64 left = total - clock.nsecsElapsed(); left > 0 && cuts_ == cutsAtStart;
         left = total - clock.nsecsElapsed()) {
        QEventLoop loop;
        running_.push_back(&loop);
        QTimer timer;
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        const qint64 ms = std::min<qint64>((left + 999'999) / 1'000'000, kLongestTimerMs);
        timer.start(static_cast<int>(ms));
        loop.exec();
        running_.pop_back();
    }
}

void QtEventWaiter::CutShort() {
    ++cuts_;
    // An outer loop told to quit leaves as soon as the inner ones have returned to it.
    for (QEventLoop* loop : running_) {
        loop->quit();
    }
}

}  // namespace pelta::protocol
