// A bench simulator started in-process with instant time, and helpers to send
// it messages the way a connection would.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "gsmbench/sim/bench.h"

namespace gsmbench::sim::test {

inline std::unique_ptr<Bench> start_bench() {
    BenchOptions options;
    options.time_scale = 0;
    options.seed = 7;
    options.warning = [](std::string_view) {};
    auto bench = std::make_unique<Bench>(options);
    bench->start();
    return bench;
}

// A fresh bench for every test: for behaviour that depends on the history of
// the phone and the call.
class SimBench : public ::testing::Test {
  protected:
    void SetUp() override { bench_ = start_bench(); }
    void TearDown() override { bench_->stop(); }

    std::string ts(std::string_view message) { return bench_->execute("testset", message); }
    std::string supply(std::string_view message) { return bench_->execute("supply", message); }
    // The oldest entry of an instrument's error queue, line feed removed.
    std::string error(std::string_view instrument = "testset") {
        std::string e = bench_->execute(instrument, "SYST:ERR?");
        while (!e.empty() && (e.back() == '\n' || e.back() == '\r'))
            e.pop_back();
        return e;
    }
    static bool no_error(const std::string &e) {
        return e.rfind("+0,", 0) == 0 || e == "0,\"No error\"";
    }
    static std::string trim(std::string s) {
        while (!s.empty() && (s.back() == '\n' || s.back() == '\r'))
            s.pop_back();
        return s;
    }
    // Powers the phone and lets it register and set up its automatic call.
    void bring_up_call() {
        supply("VOLT 3.800000");
        supply("OUTP ON");
    }

    std::unique_ptr<Bench> bench_;
};

// One bench shared by every test of a suite (starting and stopping a bench
// costs a good part of a second): for the line tables, whose rows each begin
// with *RST.
class SharedSimBench : public SimBench {
  protected:
    static void SetUpTestSuite() { shared_ = start_bench(); }
    static void TearDownTestSuite() {
        shared_->stop();
        shared_.reset();
    }
    void SetUp() override { bench_.reset(shared_.get()); }
    void TearDown() override { (void)bench_.release(); }

    static inline std::unique_ptr<Bench> shared_;
};

} // namespace gsmbench::sim::test
