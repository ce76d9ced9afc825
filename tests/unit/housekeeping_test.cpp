#include <climits>
#include <cstring>
#include <string>

#include "cell_exchange_checks.h"

namespace gsmbench::test {
namespace {

class HousekeepingTest : public ExchangeTest {};

std::vector<LineCase> single_line_commands() {
    return {
        {"debug off",
         [](ViSession vi) { return BS_SYST_TurnOn_Debugger(vi, 0); },
         {"SYST:COMM:GPIB:DEB:STAT OFF\n"}},
        {"debug 1",
         [](ViSession vi) { return BS_SYST_TurnOn_Debugger(vi, 1); },
         {"SYST:COMM:GPIB:DEB:STAT ON\n"}},
        {"debug 2 is on",
         [](ViSession vi) { return BS_SYST_TurnOn_Debugger(vi, 2); },
         {"SYST:COMM:GPIB:DEB:STAT ON\n"}},
        {"debug -1 is on",
         [](ViSession vi) { return BS_SYST_TurnOn_Debugger(vi, -1); },
         {"SYST:COMM:GPIB:DEB:STAT ON\n"}},
        {"clear error", [](ViSession vi) { return BS_Clear_Error(vi); }, {"*CLS\n"}},
        {"abort all", [](ViSession vi) { return BS_Abort_All(vi); }, {"ABORT:ALL\n"}},
        {"abort AAUD", [](ViSession vi) { return BS_Abort_Item(vi, 0); }, {"ABORT:AAUD\n"}},
        {"abort ORFS", [](ViSession vi) { return BS_Abort_Item(vi, 9); }, {"ABORT:ORFS\n"}},
        {"abort TXP", [](ViSession vi) { return BS_Abort_Item(vi, 13); }, {"ABORT:TXP\n"}},
        {"abort RXL", [](ViSession vi) { return BS_Abort_Item(vi, 14); }, {"ABORT:RXL\n"}},
    };
}

TEST_F(HousekeepingTest, CommandLines) {
    auto cases = single_line_commands();
    cases.push_back({"reset", [](ViSession vi) { return BS_ReSet(vi); }, {"*RST\n", "*CLS\n"}});
    // Codes outside the measurement table are refused, never looked up.
    for (ViInt32 code : {15, -1, INT_MAX, INT_MIN}) {
        cases.push_back({"abort " + std::to_string(code),
                         [code](ViSession vi) { return BS_Abort_Item(vi, code); },
                         {}});
    }
    expect_lines(cases);
}

TEST_F(HousekeepingTest, CommandsReturnTheWriteStatus) {
    expect_write_status_returned(single_line_commands());
}

TEST_F(HousekeepingTest, ResetSendsBothLinesAndReportsTheFirstFailure) {
    const struct {
        const char *name;
        int failing_line; // 0: *RST, 1: *CLS
        ViStatus injected;
    } cases[] = {
        {"reset fails", 0, kIoError},
        {"reset warns", 0, kWarning},
        {"clear fails", 1, kIoError},
        {"clear warns", 1, kWarning},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        fresh();
        fail_write(c.injected, c.failing_line);
        EXPECT_EQ(BS_ReSet(vi), c.injected);
        EXPECT_EQ(lines(), (std::vector<std::string>{"*RST\n", "*CLS\n"}));
    }
    fresh();
    fail_write(kIoError, 0);
    fail_write(kTimeout, 1);
    EXPECT_EQ(BS_ReSet(vi), kIoError) << "the reset's failure is the one reported";
}

TEST_F(HousekeepingTest, ErrorTextIsPaddedAndAlwaysTerminatedWithin255Bytes) {
    const struct {
        const char *name;
        std::string reply;
        std::string expected;
    } cases[] = {
        {"short", "+0,\"No error\"\n", "+0,\"No error\"\n"},
        {"empty", "", ""},
        {"254 characters fit", std::string(254, 'e'), std::string(254, 'e')},
        {"255 characters are cut to 254", std::string(255, 'e'), std::string(254, 'e')},
        {"600 characters are cut to 254", std::string(600, 'e'), std::string(254, 'e')},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        fresh();
        reply(c.reply);
        char error[300];
        std::memset(error, '#', sizeof error);
        ASSERT_EQ(BS_Get_Error(vi, error), VI_SUCCESS);
        EXPECT_EQ(lines(), std::vector<std::string>{"SYSTem:ERRor?\n"});
        EXPECT_EQ(std::string(error), c.expected);
        for (std::size_t i = c.expected.size(); i < 255; ++i) {
            ASSERT_EQ(error[i], '\0') << "byte " << i;
        }
        EXPECT_EQ(error[255], '#') << "the 256th byte is the caller's";
    }
}

TEST_F(HousekeepingTest, IdentityIsCopiedWithItsTerminatorOnly) {
    const struct {
        const char *name;
        std::string reply;
        std::string expected;
    } cases[] = {
        {"identity", "MAKER,E5515C,GB0000,A.01\n", "MAKER,E5515C,GB0000,A.01\n"},
        {"empty", "", ""},
        {"over-long reply keeps 255", std::string(400, 'i'), std::string(255, 'i')},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        fresh();
        reply(c.reply);
        char info[300];
        std::memset(info, '#', sizeof info);
        ASSERT_EQ(BS_Get_Testset_Info(vi, info), VI_SUCCESS);
        EXPECT_EQ(lines(), std::vector<std::string>{"*IDN?\n"});
        EXPECT_EQ(std::string(info), c.expected);
        EXPECT_EQ(info[c.expected.size() + 1], '#') << "nothing past the terminator";
    }
}

// The text queries through the shared failure checks: the buffer's first
// bytes stand in for the output.
TEST_F(HousekeepingTest, TextQueriesLeaveTheBufferOnFailure) {
    const struct {
        const char *name;
        ViStatus (*function)(ViSession, ViChar *);
    } queries[] = {{"error", BS_Get_Error}, {"identity", BS_Get_Testset_Info}};
    for (const auto &q : queries) {
        SCOPED_TRACE(q.name);
        const QueryCall<ViInt32> call = [&](ViSession session, ViInt32 *out) {
            if (out == nullptr) {
                return q.function(session, nullptr);
            }
            char buffer[300];
            std::memset(buffer, 0x5A, sizeof buffer);
            const ViStatus status = q.function(session, buffer);
            for (char byte : buffer) {
                if (byte != 0x5A) {
                    *out = 0; // touched
                }
            }
            return status;
        };
        expect_failures_leave_output(call, "text\n");
    }
}

} // namespace
} // namespace gsmbench::test
