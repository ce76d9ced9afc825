// The driver library talking to the in-process bench simulator through our
// VISA layer: SOCKET sessions by default, VXI-11 on request.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "gsmbench.h"
#include "gsmbench/sim/bench.h"

namespace gsmbench::integration {

class BenchSession : public ::testing::Test {
  protected:
    void open(bool vxi11, double time_scale = 0.0) {
        sim::BenchOptions options;
        options.time_scale = time_scale;
        options.seed = 5;
        options.vxi11 = vxi11;
        options.warning = [](std::string_view) {};
        sim_ = std::make_unique<sim::Bench>(options);
        sim_->start();
        std::string ts_name;
        std::string supply_name;
        if (vxi11) {
            ASSERT_NE(sim_->portmapper_port(), 0) << sim_->portmapper_error();
            // Our VISA layer asks this port instead of 111 (read by viOpenDefaultRM).
            const std::string port = std::to_string(sim_->portmapper_port());
#ifdef _WIN32
            _putenv_s("GSMBENCH_PORTMAPPER_PORT", port.c_str());
#else
            setenv("GSMBENCH_PORTMAPPER_PORT", port.c_str(), 1);
#endif
            ts_name = "TCPIP0::127.0.0.1::inst0::INSTR";
            supply_name = "TCPIP0::127.0.0.1::inst1::INSTR";
        } else {
            ts_name = "TCPIP0::127.0.0.1::" + std::to_string(sim_->test_set_port()) + "::SOCKET";
            supply_name = "TCPIP0::127.0.0.1::" + std::to_string(sim_->supply_port()) + "::SOCKET";
        }
        ASSERT_EQ(CreateGPIBDefaultRM(&rm_), 1);
        ASSERT_EQ(OpenGPIB(rm_, &ts_, ts_name.c_str(), 1), 1);
        ASSERT_EQ(OpenInstrument(rm_, &supply_, supply_name.c_str(), 1), 1);
    }
    void SetUp() override {
        open(false);
    }
    void TearDown() override {
        if (supply_ != 0)
            CloseInstrument(supply_);
        if (rm_ != 0)
            CloseGPIB(rm_, ts_);
        if (sim_)
            sim_->stop();
    }

    // The instrument's oldest error, read on the library's own session so that
    // every line sent before has been executed.
    static std::string session_error(ViSession vi) {
        ViChar text[256] = {};
        if (BS_Get_Error(vi, text) != VI_SUCCESS)
            return "(no reply)";
        std::string e(text);
        while (!e.empty() && (e.back() == '\n' || e.back() == '\r'))
            e.pop_back();
        return e;
    }
    std::string sim_error() {
        return session_error(ts_);
    }
    std::string supply_error() {
        return session_error(supply_);
    }
    static bool is_no_error(const std::string &e) {
        return e.rfind("+0,", 0) == 0;
    }

    std::unique_ptr<sim::Bench> sim_;
    ViSession rm_ = 0;
    ViSession ts_ = 0;
    ViSession supply_ = 0;
};

} // namespace gsmbench::integration
