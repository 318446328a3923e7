// Window benchmarks. Each measurement runs in a fresh child process (this program started
// with --child), because a process holds one QApplication and start-up is what is measured:
//   StartUpToFirstFrame: from just before the child is started, and from the construction of
//     QApplication, to the first paint of the main window.
//   IdleProcessorTime: processor time (user + system, getrusage) of the shown window left
//     alone for 10 s; the image buttons must not poll, so this stays near zero.
//   ReadRememberedSettings: reading a pelta.conf with eight remembered ports, which start-up
//     adds (in process; it must stay well under 5 ms).
// The window runs on the platform QT_QPA_PLATFORM names (offscreen when unset).

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "link/remembered_settings.h"
#include "ui/window_app.h"

namespace {

std::int64_t MonotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

double ProcessorSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Notes the moment of the first paint of the watched widget.
class FirstPaint : public QObject {
  public:
    std::int64_t At = 0;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && At == 0) {
            At = MonotonicNs();
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }
};

pelta::ui::WindowAppOptions ScratchOptions(const QTemporaryDir& scratch) {
    pelta::ui::WindowAppOptions options;
    const std::string root = scratch.path().toStdString();
    options.MapRoots = pelta::link::SerialMapRoots{root + "/map", root + "/sys", "/dev"};
    options.ErrorLogFolder = scratch.path();
    options.PictureFolders = {QStringLiteral(PELTA_ASSETS_DIR)};
    options.RememberedSettingsPath = scratch.filePath(QStringLiteral("pelta.conf"));
    return options;
}

// Child: prints "<first paint, monotonic ns> <ns from QApplication to first paint>
// <processor seconds while idle>".
int RunChild(int argc, char** argv, double idleSeconds) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    const std::int64_t beforeApplication = MonotonicNs();
    QApplication application(argc, argv);
    QTemporaryDir scratch;
    pelta::ui::WindowApp program(ScratchOptions(scratch));
    FirstPaint firstPaint;
    program.Window().installEventFilter(&firstPaint);
    program.Start();
    program.Window().show();
    QApplication::exec();
    double idle = 0.0;
    if (idleSeconds > 0) {
        const double before = ProcessorSeconds();
        QTimer::singleShot(static_cast<int>(idleSeconds * 1000), qApp, &QCoreApplication::quit);
        QApplication::exec();
        idle = ProcessorSeconds() - before;
    }
    std::printf("%lld %lld %.6f\n", static_cast<long long>(firstPaint.At),
                static_cast<long long>(firstPaint.At - beforeApplication), idle);
    return firstPaint.At > 0 ? 0 : 1;
}

struct ChildResult {
    bool ok = false;
    std::int64_t firstPaint = 0;
    std::int64_t fromApplication = 0;
    double idleSeconds = 0;
};

ChildResult SpawnChild(double idleSeconds) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        return {};
    }
    const std::string idle = std::to_string(idleSeconds);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        close(pipeFds[0]);
        execl("/proc/self/exe", "window_bench", "--child", idle.c_str(), nullptr);
        _exit(127);
    }
    close(pipeFds[1]);
    char buffer[256] = {};
    std::size_t used = 0;
    ssize_t got = 0;
    while (used < sizeof buffer - 1 &&
           (got = read(pipeFds[0], buffer + used, sizeof buffer - 1 - used)) > 0) {
        used += static_cast<std::size_t>(got);
    }
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    ChildResult result;
    long long paint = 0;
    long long fromApp = 0;
    result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 &&
                std::sscanf(buffer, "%lld %lld %lf", &paint, &fromApp, &result.idleSeconds) == 3;
    result.firstPaint = paint;
    result.fromApplication = fromApp;
    return result;
}

void StartUpToFirstFrame(benchmark::State& state) {
    double fromApplicationMs = 0;
    for (auto _ : state) {
        const std::int64_t spawned = MonotonicNs();
        const ChildResult child = SpawnChild(0);
        if (!child.ok) {
            state.SkipWithError("the child did not show the window");
            return;
        }
        state.SetIterationTime(static_cast<double>(child.firstPaint - spawned) / 1e9);
        fromApplicationMs += static_cast<double>(child.fromApplication) / 1e6;
    }
    state.counters["from_QApplication_ms"] =
        benchmark::Counter(fromApplicationMs, benchmark::Counter::kAvgIterations);
}
BENCHMARK(StartUpToFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void IdleProcessorTime(benchmark::State& state) {
    constexpr double kIdleSeconds = 10.0;
    double cpu = 0;
    for (auto _ : state) {
        const ChildResult child = SpawnChild(kIdleSeconds);
        if (!child.ok) {
            state.SkipWithError("the child did not show the window");
            return;
        }
        cpu += child.idleSeconds;
    }
    state.counters["cpu_s_per_10s_idle"] =
        benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
}
BENCHMARK(IdleProcessorTime)->Unit(benchmark::kSecond)->Iterations(1);

void ReadRememberedSettings(benchmark::State& state) {
    QTemporaryDir scratch;
    const QString path = scratch.filePath(QStringLiteral("pelta.conf"));
    pelta::link::RememberedSettings remembered;
    remembered.ChosenPort = 3;
    for (int number = 1; number <= 8; ++number) {
        remembered.Ports[number].Speed = QStringLiteral("19200");
    }
    remembered.WindowPosition = QPoint(100, 80);
    if (!pelta::link::SaveRememberedSettings(path, remembered)) {
        state.SkipWithError("the file could not be written");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(pelta::link::LoadRememberedSettings(path));
    }
}
BENCHMARK(ReadRememberedSettings)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--child") == 0) {
        return RunChild(argc, argv, std::atof(argv[2]));
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
