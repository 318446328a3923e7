// What a network port adds to one read: open, configure (9600 8N1), purge, write the 3-byte
// request, read the 22-byte reply, close, through the port layer the program uses. Once on a
// pseudo-terminal, once through Debian's ser2net on 127.0.0.1 in front of the same pty with
// RFC 2217 and once raw (both with chardelay: false). A peer thread answers on the pty's
// master side at once. The target: RFC 2217 at most 20 ms more than the pty.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <QCoreApplication>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "link/routing_port_api.h"
#include "tests/support/network_peers.h"

namespace {

using namespace pelta;

constexpr std::uint32_t ReplyLength = 22;

// Answers every request with 22 bytes, as a controller answers ReadState.
void Peer(int master, const std::atomic<bool>& stop) {
    const std::string reply(ReplyLength, '\x05');
    char buffer[64];
    while (!stop) {
        pollfd ready{master, POLLIN, 0};
        if (::poll(&ready, 1, 50) > 0 && ::read(master, buffer, sizeof buffer) > 0) {
            (void)!::write(master, reply.data(), reply.size());
        }
    }
}

struct PtyPeer {
    PtyPeer() {
        char name[256] = {};
        ::openpty(&master, &slave, name, nullptr, nullptr);
        termios raw{};
        ::tcgetattr(slave, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(slave, TCSANOW, &raw);
        device = name;
        thread = std::thread(Peer, master, std::cref(stop));
    }
    ~PtyPeer() {
        stop = true;
        thread.join();
        ::close(slave);
        ::close(master);
    }
    int master = -1;
    int slave = -1;
    std::string device;
    std::atomic<bool> stop{false};
    std::thread thread;
};

// One read; false when the reply did not come whole.
bool OneRead(link::PortApi& api, const std::string& device) {
    const link::PortHandleValue handle = api.CreateFile(device);
    if (handle == link::InvalidHandleValue) {
        return false;
    }
    link::Dcb dcb;
    dcb.BaudRate = 9600;
    dcb.ByteSize = 8;
    const std::uint8_t request[] = {0x01, 0x32, 0xBE};
    std::uint8_t reply[ReplyLength];
    std::uint32_t moved = 0;
    const bool done = api.SetCommTimeouts(handle, {0, 0, 1000, 10, 40}) &&
                      api.SetCommState(handle, dcb) && api.PurgeComm(handle, link::PURGE_RXCLEAR) &&
                      api.WriteFile(handle, request, sizeof request, &moved) &&
                      api.ReadFile(handle, reply, ReplyLength, &moved) && moved == ReplyLength;
    api.CloseHandle(handle);
    return done;
}

void Read(benchmark::State& state, int mode) {
    static int argc = 1;
    static char name[] = "network_read_bench";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    PtyPeer peer;
    std::optional<e2e::Ser2net> server;
    std::string device = peer.device;
    if (mode != 0) {
        server.emplace(QString::fromStdString(peer.device), mode == 1);
        device = server->Url().toStdString();
    }
    link::RoutingPortApi api;
    int failed = 0;
    for (auto _ : state) {
        failed += OneRead(api, device) ? 0 : 1;
        // Exchanges are seconds apart in the program: the server has closed the line before
        // the next one, as it would have then.
        state.PauseTiming();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        state.ResumeTiming();
    }
    state.counters["failed_reads"] = failed;
}

BENCHMARK_CAPTURE(Read, pty, 0)->Iterations(50)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Read, rfc2217_ser2net, 1)
    ->Iterations(50)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(Read, raw_ser2net, 2)
    ->Iterations(50)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
