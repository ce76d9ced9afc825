// The bench simulator's speed: the SCPI engine's own cost per simple query (no transport),
// queries per second over one loopback connection, and the resident memory with eight clients
// connected. Figures are printed, never asserted.
#include "gsmbench/sim/bench.h"

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {
using gsmbench::sim::Bench;
using gsmbench::sim::BenchOptions;

std::unique_ptr<Bench> &bench() {
    static std::unique_ptr<Bench> b = [] {
        BenchOptions o;
        o.time_scale = 0;
        o.warning = [](std::string_view) {};
        auto p = std::make_unique<Bench>(o);
        p->start();
        return p;
    }();
    return b;
}

int connect_loopback(std::uint16_t port) {
    int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(s, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0) {
        ::close(s);
        return -1;
    }
    int one = 1;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return s;
}

bool query(int s, const std::string &q, std::string &reply) {
    if (::send(s, q.data(), q.size(), MSG_NOSIGNAL) != ssize_t(q.size()))
        return false;
    reply.clear();
    char buf[4096];
    while (reply.empty() || reply.back() != '\n') {
        ssize_t n = ::recv(s, buf, sizeof buf, 0);
        if (n <= 0)
            return false;
        reply.append(buf, std::size_t(n));
    }
    return true;
}

// The engine alone: parse, resolve in the command tree, run the handler, format the reply.
void BM_EngineSimpleQuery(benchmark::State &state, const char *message) {
    Bench &b = *bench();
    for (auto _ : state)
        benchmark::DoNotOptimize(b.execute("testset", message));
}
BENCHMARK_CAPTURE(BM_EngineSimpleQuery, opc, "*OPC?");
BENCHMARK_CAPTURE(BM_EngineSimpleQuery, call_state, "CALL:STATUS?");
BENCHMARK_CAPTURE(BM_EngineSimpleQuery, system_error, "SYSTem:ERRor?");
BENCHMARK_CAPTURE(BM_EngineSimpleQuery, compound_relative, "CALL:MS:REP:RXQ:NEW?;NEW?;NEW?");

// One loopback connection, one query at a time (round trips).
void BM_LoopbackQueries(benchmark::State &state) {
    int s = connect_loopback(bench()->test_set_port());
    if (s < 0) {
        state.SkipWithError("connect failed");
        return;
    }
    std::string reply;
    for (auto _ : state)
        if (!query(s, "CALL:STAT?\n", reply)) {
            state.SkipWithError("exchange failed");
            break;
        }
    state.SetItemsProcessed(state.iterations());
    ::close(s);
}
BENCHMARK(BM_LoopbackQueries)->UseRealTime();

long resident_kib() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

// Resident memory of the whole process (simulator plus this benchmark's clients) before and
// with eight clients connected and each having made a few exchanges on both instruments.
void report_memory() {
    Bench &b = *bench();
    long before = resident_kib();
    std::vector<int> clients;
    std::string reply;
    for (int i = 0; i < 8; ++i) {
        for (std::uint16_t port : {b.test_set_port(), b.supply_port()}) {
            int s = connect_loopback(port);
            if (s < 0)
                continue;
            for (int k = 0; k < 10; ++k)
                query(s, "*IDN?\n", reply);
            clients.push_back(s);
        }
    }
    long with = resident_kib();
    std::printf("resident memory: %ld KiB before, %ld KiB with %zu connections (8 clients x 2 "
                "instruments)\n",
                before, with, clients.size());
    for (int s : clients)
        ::close(s);
}

} // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    report_memory();
    benchmark::RunSpecifiedBenchmarks();
    bench()->stop();
    benchmark::Shutdown();
    return 0;
}
