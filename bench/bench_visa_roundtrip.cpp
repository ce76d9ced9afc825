// Round trips through our VISA layer over a loopback SOCKET session, beside the
// same exchanges through a plain blocking socket with TCP_NODELAY (the floor):
//   query:             "MEAS?" then read the reply
//   command_then_query: "SET 1" (no reply) then "MEAS?" and its reply, the
//                       set-then-get pattern the driver's callers use; a
//                       client that leaves Nagle's algorithm on stalls here.
// Client and server threads are pinned to one core where the system allows,
// so the figures measure our code path rather than cross-core wake-ups.
// Figures only: nothing here asserts a timing. bench/pyvisa_roundtrip.py
// measures the same two exchanges through pyvisa-py, when it is installed.
#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>
#if defined(__linux__)
#include <sched.h>
#endif

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <visa.h>

namespace {

constexpr const char *kReply = "+1.234567E+00\n";

void pin_to_first_cpu() {
#if defined(__linux__)
    cpu_set_t allowed;
    if (sched_getaffinity(0, sizeof allowed, &allowed) != 0) {
        return;
    }
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
        if (CPU_ISSET(cpu, &allowed)) {
            cpu_set_t one;
            CPU_ZERO(&one);
            CPU_SET(cpu, &one);
            sched_setaffinity(0, sizeof one, &one);
            return;
        }
    }
#endif
}

void set_nodelay(int fd) {
    int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

// Answers every line ending in '?' with kReply; other lines are commands.
class LoopbackInstrument {
  public:
    LoopbackInstrument() {
        listen_fd_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listen_fd_, reinterpret_cast<sockaddr *>(&a), sizeof a);
        listen(listen_fd_, 8);
        socklen_t len = sizeof a;
        getsockname(listen_fd_, reinterpret_cast<sockaddr *>(&a), &len);
        port_ = ntohs(a.sin_port);
        acceptor_ = std::thread([this] { accept_loop(); });
    }
    ~LoopbackInstrument() {
        shutdown(listen_fd_, SHUT_RDWR);
        acceptor_.join();
        close(listen_fd_);
        for (auto &t : connections_) {
            t.join();
        }
    }
    std::uint16_t port() const { return port_; }

  private:
    void accept_loop() {
        pin_to_first_cpu();
        for (;;) {
            const int fd = accept(listen_fd_, nullptr, nullptr);
            if (fd < 0) {
                return;
            }
            set_nodelay(fd);
            connections_.emplace_back([fd] { serve(fd); });
        }
    }
    static void serve(int fd) {
        pin_to_first_cpu();
        char buf[4096];
        std::string pending;
        for (;;) {
            const ssize_t n = recv(fd, buf, sizeof buf, 0);
            if (n <= 0) {
                break;
            }
            pending.append(buf, static_cast<std::size_t>(n));
            std::size_t eol;
            while ((eol = pending.find('\n')) != std::string::npos) {
                const bool is_query = eol > 0 && pending[eol - 1] == '?';
                pending.erase(0, eol + 1);
                if (is_query) {
                    send(fd, kReply, std::strlen(kReply), MSG_NOSIGNAL);
                }
            }
        }
        close(fd);
    }

    int listen_fd_ = -1;
    std::uint16_t port_ = 0;
    std::thread acceptor_;
    std::vector<std::thread> connections_;
};

LoopbackInstrument &instrument() {
    static LoopbackInstrument server;
    return server;
}

struct VisaSession {
    VisaSession() {
        viOpenDefaultRM(&rm);
        const std::string name =
            "TCPIP0::127.0.0.1::" + std::to_string(instrument().port()) + "::SOCKET";
        ok = viOpen(rm, name.c_str(), VI_NULL, 0, &vi) == VI_SUCCESS;
    }
    ~VisaSession() { viClose(rm); }
    ViSession rm = VI_NULL;
    ViSession vi = VI_NULL;
    bool ok = false;
};

bool visa_query(ViSession vi) {
    char reply[64] = {};
    return viPrintf(vi, "%s", "MEAS?\n") == VI_SUCCESS && viScanf(vi, "%63t", reply) == VI_SUCCESS;
}

void BM_Visa_Query(benchmark::State &state) {
    pin_to_first_cpu();
    VisaSession s;
    if (!s.ok) {
        state.SkipWithError("cannot open the loopback session");
        return;
    }
    for (auto _ : state) {
        if (!visa_query(s.vi)) {
            state.SkipWithError("query failed");
            break;
        }
    }
}

void BM_Visa_CommandThenQuery(benchmark::State &state) {
    pin_to_first_cpu();
    VisaSession s;
    if (!s.ok) {
        state.SkipWithError("cannot open the loopback session");
        return;
    }
    for (auto _ : state) {
        if (viPrintf(s.vi, "%s", "SET 1\n") != VI_SUCCESS || !visa_query(s.vi)) {
            state.SkipWithError("exchange failed");
            break;
        }
    }
}

struct RawSocket {
    RawSocket() {
        fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(instrument().port());
        ok = connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0;
        set_nodelay(fd);
    }
    ~RawSocket() { close(fd); }
    bool send_line(const char *line) const {
        return send(fd, line, std::strlen(line), MSG_NOSIGNAL) ==
               static_cast<ssize_t>(std::strlen(line));
    }
    bool read_line() {
        char buf[64];
        for (;;) {
            const ssize_t n = recv(fd, buf, sizeof buf, 0);
            if (n <= 0) {
                return false;
            }
            if (std::memchr(buf, '\n', static_cast<std::size_t>(n)) != nullptr) {
                return true;
            }
        }
    }
    int fd = -1;
    bool ok = false;
};

void BM_Floor_Query(benchmark::State &state) {
    pin_to_first_cpu();
    RawSocket s;
    if (!s.ok) {
        state.SkipWithError("cannot connect");
        return;
    }
    for (auto _ : state) {
        if (!s.send_line("MEAS?\n") || !s.read_line()) {
            state.SkipWithError("query failed");
            break;
        }
    }
}

void BM_Floor_CommandThenQuery(benchmark::State &state) {
    pin_to_first_cpu();
    RawSocket s;
    if (!s.ok) {
        state.SkipWithError("cannot connect");
        return;
    }
    for (auto _ : state) {
        if (!s.send_line("SET 1\n") || !s.send_line("MEAS?\n") || !s.read_line()) {
            state.SkipWithError("exchange failed");
            break;
        }
    }
}

} // namespace

BENCHMARK(BM_Visa_Query)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_Floor_Query)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_Visa_CommandThenQuery)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_Floor_CommandThenQuery)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
