// The two instruments share one phone and one lock, and handlers of one
// instrument run on several connections at once: a query blocked in the model
// must not hold up the others, and must see what they change.
#include <atomic>
#include <thread>
#include <vector>

#include "sim_fixture.h"

namespace gsmbench::sim::test {
namespace {

class Concurrency : public SimBench {
  protected:
    void SetUp() override {
        SimBench::SetUp();
        ts("SIM:TSC 0.01"); // real waits, a hundred times faster
    }
};

TEST_F(Concurrency, ArmedDetectorSeesTheCallTheSupplyBringsUp) {
    ts("CALL:CONNECTED:TIMEOUT 1000 S");
    ts("CALL:CONN:ARM");
    std::string answer;
    std::thread waiter([&] { answer = ts("CALL:CONN?"); });
    // Another client powers the phone; its registration and call follow.
    supply("VOLT 3.8");
    supply("OUTP ON");
    waiter.join();
    EXPECT_EQ(answer, "+1\n");
    EXPECT_EQ(trim(ts("CALL:CONN:ARM:STAT?")), "+0");
}

TEST_F(Concurrency, BlockedFetchDoesNotHoldUpOtherClients) {
    supply("VOLT 3.8");
    supply("OUTP ON");
    ts("CALL:CONNECTED:TIMEOUT 1000 S");
    ts("CALL:CONN:ARM");
    ASSERT_EQ(ts("CALL:CONN?"), "+1\n");
    ts("SET:BERR:COUN 20000");
    ts("INITIATE:BERR:ON");
    std::string result;
    std::thread fetcher([&] { result = ts("FETC:BERR:ALL?"); });
    std::vector<std::thread> clients;
    std::atomic<int> good{0};
    for (int c = 0; c < 4; ++c) {
        clients.emplace_back([&, c] {
            for (int i = 0; i < 200; ++i) {
                const std::string r = c % 2 ? supply("MEAS:VOLT?") : ts("CALL:STAT?");
                if (r == (c % 2 ? "+3.80000E+00\n" : "CONN\n"))
                    ++good;
            }
        });
    }
    for (auto &t : clients)
        t.join();
    fetcher.join();
    EXPECT_EQ(good.load(), 800);
    EXPECT_EQ(result.rfind("+0,+2.00000E+04,", 0), 0u) << result;
}

TEST_F(Concurrency, EndingTheCallWakesNewReportWaiters) {
    supply("VOLT 3.8");
    supply("OUTP ON");
    ts("CALL:CONNECTED:TIMEOUT 1000 S");
    ts("CALL:CONN:ARM");
    ASSERT_EQ(ts("CALL:CONN?"), "+1\n");
    std::vector<std::thread> readers;
    std::atomic<int> answered{0};
    for (int i = 0; i < 3; ++i) {
        readers.emplace_back([&] {
            for (int k = 0; k < 5; ++k) {
                if (!ts("CALL:MS:REP:RXL:NEW?").empty())
                    ++answered;
            }
        });
    }
    ts("CALL:END");
    for (auto &t : readers)
        t.join();
    EXPECT_EQ(answered.load(), 15);
    EXPECT_TRUE(no_error(error()));
}

} // namespace
} // namespace gsmbench::sim::test
