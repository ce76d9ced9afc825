// Shared fixture for the driver's unit tests: a fresh fake VISA and one open
// test-set session per test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_visa.h"
#include "gsmbench.h"

namespace gsmbench::test {

inline constexpr ViStatus kSystemError = static_cast<ViStatus>(VI_ERROR_SYSTEM_ERROR);
// A VISA completion code (warning): positive, so it must still end an exchange.
inline constexpr ViStatus kWarning = VI_SUCCESS_MAX_CNT;

class DriverTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fake().reset();
        vi = fake().open_session();
    }

    static FakeVisa &fake() { return FakeVisa::instance(); }
    std::vector<std::string> lines() const { return fake().lines(vi); }
    void reply(const std::string &text) { fake().queue_reply(vi, text); }
    void fail_write(ViStatus status, int nth = 0) {
        fake().fail_call(VisaCall::printf, status, nth);
    }
    void fail_read(ViStatus status, int nth = 0) { fake().fail_call(VisaCall::scanf, status, nth); }
    std::size_t reads() const { return fake().call_count(VisaCall::scanf); }

    ViSession vi = 0;
};

} // namespace gsmbench::test
