// Eight clients at once against one simulator, each running thousands of exchanges on both
// instruments; every reply must be the one its own query asked for.
#include "sim_client.h"
#include "sim_test_instrument.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {
using namespace gsmbench::sim;
using simtest::ScpiClient;

TEST(Concurrency, EightClientsThousandsOfExchangesEach) {
    Bench bench(simtest::test_options());
    bench.start();
    constexpr int clients = 8;
    constexpr int exchanges = 3000;
    std::atomic<int> wrong{0}, done{0};
    std::vector<std::thread> threads;
    for (int k = 0; k < clients; ++k) {
        threads.emplace_back([&, k] {
            ScpiClient t(bench.test_set_port()), s(bench.supply_port());
            if (!t.ok() || !s.ok()) {
                wrong += exchanges;
                return;
            }
            for (int i = 0; i < exchanges; ++i) {
                int v = k * 1000000 + i;
                std::string expect = "+" + std::to_string(v);
                bool ok;
                switch (i % 4) {
                case 0: // compound query: both answers in one reply, in order
                    ok = t.query("ECHO? " + std::to_string(v) + ";*OPC?") == expect + ";+1";
                    break;
                case 1:
                    ok = s.query("ECHO? " + std::to_string(v)) == expect;
                    break;
                case 2: // shared state touched by every client
                    ok = t.query("OUTP " + std::to_string(i & 8 ? 1 : 0) + ";*IDN?") ==
                         "GSMBENCH,TEST-testset,0,1";
                    break;
                default:
                    ok = t.query("SYST:ERR?") == "+0,\"No error\"";
                    break;
                }
                if (!ok && ++wrong > 10)
                    return; // each wrong reply may have cost a read time-out: stop early
                if (ok)
                    ++done;
            }
        });
    }
    for (auto &th : threads)
        th.join();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(done.load(), clients * exchanges);
}

} // namespace
