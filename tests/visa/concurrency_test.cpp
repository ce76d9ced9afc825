// Several threads at once: independent sessions, one shared session, and a
// close racing with calls on the same handle. Run under ThreadSanitizer.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "servers.h"
#include "visa_session.h"

using namespace gsmbench::test;

namespace {
constexpr int kThreads = 4;
constexpr int kRounds = 50;
} // namespace

TEST(Concurrency, IndependentSessionsOnSocketAndVxi11) {
    ScpiSocketServer socket_server;
    Vxi11Server vxi_server;
    use_portmapper(vxi_server.portmapper_port());
    ResourceManagerHandle rm;
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            const std::string name = (t % 2 == 0) ? socket_server.resource()
                                                  : std::string("TCPIP::127.0.0.1::inst0::INSTR");
            ViSession vi = VI_NULL;
            if (viOpen(rm.get(), name.c_str(), VI_NULL, 0, &vi) != VI_SUCCESS) {
                ++failures;
                return;
            }
            for (int i = 0; i < kRounds; ++i) {
                const std::string tag = "t" + std::to_string(t) + "-" + std::to_string(i);
                std::string reply;
                if (query(vi, "ECHO? " + tag + "\n", reply) != VI_SUCCESS || reply != tag + "\n") {
                    ++failures;
                }
            }
            if (viClose(vi) != VI_SUCCESS) {
                ++failures;
            }
        });
    }
    for (auto &th : threads) {
        th.join();
    }
    EXPECT_EQ(failures.load(), 0);
}

TEST(Concurrency, OneSessionSharedByThreadsNeverCorruptsItsState) {
    // Each call is atomic; pairing a write with its read is the callers' job,
    // so replies may go to the wrong thread, but every call must complete and
    // every reply must be whole.
    ScpiSocketServer server;
    ResourceManagerHandle rm;
    ViSession vi = VI_NULL;
    ASSERT_EQ(viOpen(rm.get(), server.resource().c_str(), VI_NULL, 0, &vi), VI_SUCCESS);
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < kRounds; ++i) {
                if (viPrintf(vi, "ECHO? whole-reply\n") != VI_SUCCESS) {
                    ++failures;
                }
                char buf[64] = {};
                if (viScanf(vi, "%63t", buf) != VI_SUCCESS || std::string(buf) != "whole-reply\n") {
                    ++failures;
                }
            }
        });
    }
    for (auto &th : threads) {
        th.join();
    }
    EXPECT_EQ(failures.load(), 0);
}

TEST(Concurrency, CloseWakesACallBlockedOnTheSameSession) {
    ScpiSocketServer server;
    ResourceManagerHandle rm;
    ViSession vi = VI_NULL;
    ASSERT_EQ(viOpen(rm.get(), server.resource().c_str(), VI_NULL, 0, &vi), VI_SUCCESS);
    ASSERT_EQ(viSetAttribute(vi, VI_ATTR_TMO_VALUE, VI_TMO_INFINITE), VI_SUCCESS);
    ASSERT_EQ(viPrintf(vi, "HOLD?\n"), VI_SUCCESS);
    std::atomic<ViStatus> blocked_status{VI_SUCCESS};
    std::thread reader([&] {
        char buf[32];
        blocked_status = viScanf(vi, "%31t", buf); // would wait for ever
    });
    // Close may run before or after the reader has started waiting; either
    // way the reader must come back with an error, never hang or crash.
    ASSERT_EQ(viClose(vi), VI_SUCCESS);
    reader.join();
    const ViStatus st = blocked_status.load();
    EXPECT_TRUE(st == VI_ERROR_INV_OBJECT || st == VI_ERROR_CONN_LOST || st == VI_ERROR_IO) << st;
    EXPECT_EQ(viPrintf(vi, "*IDN?\n"), VI_ERROR_INV_OBJECT);
}

TEST(Concurrency, HandlesChurnWhileOtherThreadsUseStaleOnes) {
    ScpiSocketServer server;
    ResourceManagerHandle rm;
    std::atomic<ViSession> latest{VI_NULL};
    std::atomic<bool> done{false};
    std::atomic<int> bad_status{0};
    std::thread churn([&] {
        for (int i = 0; i < 40; ++i) {
            ViSession vi = VI_NULL;
            if (viOpen(rm.get(), server.resource().c_str(), VI_NULL, 0, &vi) == VI_SUCCESS) {
                latest = vi;
                viClose(vi);
            }
        }
        done = true;
    });
    std::vector<std::thread> users;
    for (int t = 0; t < 2; ++t) {
        users.emplace_back([&] {
            while (!done) {
                const ViSession vi = latest.load();
                ViUInt32 tmo = 0;
                const ViStatus st = viGetAttribute(vi, VI_ATTR_TMO_VALUE, &tmo);
                if (st != VI_SUCCESS && st != VI_ERROR_INV_OBJECT) {
                    ++bad_status;
                }
                const ViStatus pst = viPrintf(vi, "ECHO? x\n");
                if (pst != VI_SUCCESS && pst != VI_ERROR_INV_OBJECT && pst != VI_ERROR_CONN_LOST) {
                    ++bad_status;
                }
                std::this_thread::yield(); // let the churning thread get the locks too
            }
        });
    }
    churn.join();
    for (auto &u : users) {
        u.join();
    }
    EXPECT_EQ(bad_status.load(), 0);
}
