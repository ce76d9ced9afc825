// Session functions: success flags, reset sequences, the settle wait and the
// close rules.
#include <chrono>
#include <string>

#include "driver_test.h"

namespace gsmbench::test {
namespace {

class SessionsTest : public DriverTest {
  protected:
    ViSession rm = 0;
    void SetUp() override {
        DriverTest::SetUp();
        ASSERT_EQ(CreateGPIBDefaultRM(&rm), 1);
    }
};

TEST_F(SessionsTest, CreateAndFreeReportVisaOutcome) {
    ViSession other = 0;
    fake().fail_call(VisaCall::open_default_rm, VI_ERROR_SYSTEM_ERROR);
    EXPECT_EQ(CreateGPIBDefaultRM(&other), 0);
    EXPECT_EQ(CreateGPIBDefaultRM(nullptr), 0);
    EXPECT_EQ(FreeGPIBDefaultRM(rm), 1);
    EXPECT_EQ(FreeGPIBDefaultRM(rm), 0) << "a closed handle is rejected by VISA";
    EXPECT_EQ(FreeGPIBDefaultRM(0xDEAD), 0);
}

TEST_F(SessionsTest, ResetSequences) {
    const struct {
        bool gpib;
        ViBoolean reset;
        std::vector<std::string> expected;
    } cases[] = {
        {true, 1, {"*CLS\n", "*RST\n"}},
        {true, 0, {}},
        {true, static_cast<ViBoolean>(0x10000), {}}, // only the low 16 bits count
        {true, 0x8000, {"*CLS\n", "*RST\n"}},
        {false, 1, {"*RST\n"}},
        {false, 0, {}},
    };
    for (const auto &c : cases) {
        ViSession session = 0;
        const ViInt32 ok = c.gpib ? OpenGPIB(rm, &session, "GPIB0::14::INSTR", c.reset)
                                  : OpenInstrument(rm, &session, "GPIB0::5::INSTR", c.reset);
        EXPECT_EQ(ok, 1);
        ASSERT_NE(session, 0u);
        EXPECT_EQ(fake().lines(session), c.expected);
    }
}

TEST_F(SessionsTest, OpenGpibWaitsTwentyMillisecondsAfterReset) {
    ViSession session = 0;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(OpenGPIB(rm, &session, "GPIB0::14::INSTR", 1), 1);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(20));
}

TEST_F(SessionsTest, FailuresAtEachStep) {
    const struct {
        bool gpib;
        VisaCall call;
        int nth;
        std::size_t lines_attempted;
    } cases[] = {
        {true, VisaCall::open, 0, 0},    {true, VisaCall::printf, 0, 1},
        {true, VisaCall::printf, 1, 2},  {false, VisaCall::open, 0, 0},
        {false, VisaCall::printf, 0, 1},
    };
    for (const auto &c : cases) {
        for (ViStatus status : {static_cast<ViStatus>(VI_ERROR_TMO), kWarning}) {
            ViSession session = 0;
            fake().fail_call(c.call, status, c.nth);
            const ViInt32 ok = c.gpib ? OpenGPIB(rm, &session, "GPIB0::14::INSTR", 1)
                                      : OpenInstrument(rm, &session, "GPIB0::14::INSTR", 1);
            EXPECT_EQ(ok, 0);
            if (c.call != VisaCall::open) {
                EXPECT_EQ(fake().lines(session).size(), c.lines_attempted);
                EXPECT_TRUE(fake().is_open(session)) << "the caller closes it";
            }
        }
    }
}

TEST_F(SessionsTest, ResourceNameLengthIsBounded) {
    ViSession session = 0;
    const std::string longest(255, 'A');
    EXPECT_EQ(OpenInstrument(rm, &session, longest.c_str(), 0), 1);
    EXPECT_EQ(fake().opened_names().back(), longest);
    const std::size_t opens = fake().call_count(VisaCall::open);
    const std::string too_long(256, 'A');
    EXPECT_EQ(OpenGPIB(rm, &session, too_long.c_str(), 1), 0);
    EXPECT_EQ(OpenInstrument(rm, &session, too_long.c_str(), 1), 0);
    EXPECT_EQ(OpenGPIB(rm, &session, nullptr, 1), 0);
    EXPECT_EQ(OpenGPIB(rm, nullptr, "GPIB0::1::INSTR", 1), 0);
    EXPECT_EQ(fake().call_count(VisaCall::open), opens) << "refused before VISA is called";
}

TEST_F(SessionsTest, CloseFunctions) {
    ViSession session = 0;
    ASSERT_EQ(OpenInstrument(rm, &session, "GPIB0::5::INSTR", 0), 1);
    EXPECT_EQ(CloseInstrument(0), 1);
    EXPECT_EQ(fake().call_count(VisaCall::close), 0u);
    EXPECT_EQ(CloseGPIB(0, 0), 1);
    EXPECT_EQ(fake().call_count(VisaCall::close), 0u);

    EXPECT_EQ(CloseInstrument(session), 1);
    EXPECT_EQ(CloseInstrument(session), 0);

    ViSession second = 0;
    ASSERT_EQ(OpenInstrument(rm, &second, "GPIB0::6::INSTR", 0), 1);
    EXPECT_EQ(CloseGPIB(rm, second), 1);
    const auto closed = fake().closed_handles();
    ASSERT_GE(closed.size(), 2u);
    EXPECT_EQ(closed[closed.size() - 2], second) << "the session closes before its manager";
    EXPECT_EQ(closed.back(), rm);
}

TEST_F(SessionsTest, CloseGpibAttemptsBothAndReportsAFailure) {
    ViSession session = 0;
    ASSERT_EQ(OpenInstrument(rm, &session, "GPIB0::5::INSTR", 0), 1);
    fake().fail_call(VisaCall::close, VI_ERROR_INV_OBJECT, 0);
    EXPECT_EQ(CloseGPIB(rm, session), 0);
    EXPECT_FALSE(fake().is_open(rm)) << "the manager is closed even after a failed session close";

    ViSession rm2 = 0, session2 = 0;
    ASSERT_EQ(CreateGPIBDefaultRM(&rm2), 1);
    ASSERT_EQ(OpenInstrument(rm2, &session2, "GPIB0::5::INSTR", 0), 1);
    fake().fail_call(VisaCall::close, VI_ERROR_INV_OBJECT, 1);
    EXPECT_EQ(CloseGPIB(rm2, session2), 0);
    EXPECT_FALSE(fake().is_open(session2));
}

TEST_F(SessionsTest, Test8960ChangesNothing) {
    Test_8960();
    EXPECT_TRUE(lines().empty());
    EXPECT_EQ(fake().call_count(VisaCall::printf), 0u);
}

} // namespace
} // namespace gsmbench::test
