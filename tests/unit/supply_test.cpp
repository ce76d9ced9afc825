// The bench DC supply: voltage and output lines.
#include <string>
#include <vector>

#include "driver_test.h"

namespace gsmbench::test {
namespace {

using Lines = std::vector<std::string>;

class Supply : public DriverTest {};

TEST_F(Supply, LinesSent) {
    const struct {
        const char *name;
        ViStatus (*call)(ViSession);
        Lines expected;
    } cases[] = {
        {"4.2 V, on",
         [](ViSession s) { return Power_Set_Voltage(s, 4.2f, 1); },
         {"VOLT 4.200000\n", "OUTP ON\n"}},
        {"3.8 V, switch -1 is on",
         [](ViSession s) { return Power_Set_Voltage(s, 3.8f, -1); },
         {"VOLT 3.800000\n", "OUTP ON\n"}},
        {"3.8 V, off",
         [](ViSession s) { return Power_Set_Voltage(s, 3.8f, 0); },
         {"VOLT 3.800000\n", "OUTP OFF\n"}},
        {"voltage only, 0",
         [](ViSession s) { return Power_SetVoltage(s, 0.0f); },
         {"VOLT 0.000000\n"}},
        {"voltage only, negative",
         [](ViSession s) { return Power_SetVoltage(s, -1.5f); },
         {"VOLT -1.500000\n"}},
        {"turn on", [](ViSession s) { return Power_Turn_On(s); }, {"OUTP ON\n"}},
        {"turn off", [](ViSession s) { return Power_Turn_Off(s); }, {"OUTP OFF\n"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        EXPECT_EQ(c.call(vi), VI_SUCCESS);
        EXPECT_EQ(lines(), c.expected);
    }
}

// The output is never switched on after a failed voltage line (the phone
// would run at the previous voltage), and success is never reported for it.
TEST_F(Supply, SetVoltageWithAFailingLine) {
    constexpr ViStatus kNone = VI_SUCCESS;
    const struct {
        const char *name;
        ViInt32 output;
        ViStatus voltage_write; // injected on the voltage line
        ViStatus output_write;  // injected on the output line
        ViStatus expected_status;
        Lines expected_lines;
    } cases[] = {
        {"voltage fails, on: nothing more",
         1,
         VI_ERROR_TMO,
         kNone,
         VI_ERROR_TMO,
         {"VOLT 5.000000\n"}},
        {"voltage warns, on: nothing more", 1, kWarning, kNone, kWarning, {"VOLT 5.000000\n"}},
        {"voltage fails, off: still switched off",
         0,
         VI_ERROR_TMO,
         kNone,
         VI_ERROR_TMO,
         {"VOLT 5.000000\n", "OUTP OFF\n"}},
        {"voltage and off both fail: the first failure",
         0,
         VI_ERROR_TMO,
         VI_ERROR_IO,
         VI_ERROR_TMO,
         {"VOLT 5.000000\n", "OUTP OFF\n"}},
        {"output line fails, on",
         1,
         kNone,
         VI_ERROR_IO,
         VI_ERROR_IO,
         {"VOLT 5.000000\n", "OUTP ON\n"}},
        {"output line warns, off", 0, kNone, kWarning, kWarning, {"VOLT 5.000000\n", "OUTP OFF\n"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        if (c.voltage_write != kNone) {
            fail_write(c.voltage_write, 0);
        }
        if (c.output_write != kNone) {
            fail_write(c.output_write, 1);
        }
        EXPECT_EQ(Power_Set_Voltage(vi, 5.0f, c.output), c.expected_status);
        EXPECT_EQ(lines(), c.expected_lines);
    }
}

TEST_F(Supply, SingleLineFailuresPassThrough) {
    for (const ViStatus injected : {ViStatus{VI_ERROR_TMO}, kWarning}) {
        SetUp();
        fail_write(injected);
        EXPECT_EQ(Power_SetVoltage(vi, 1.0f), injected);
        fail_write(injected);
        EXPECT_EQ(Power_Turn_On(vi), injected);
        fail_write(injected);
        EXPECT_EQ(Power_Turn_Off(vi), injected);
    }
}

} // namespace
} // namespace gsmbench::test
