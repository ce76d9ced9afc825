// Call control through the fake VISA: exact lines, reply decoding, refusals
// and status pass-through.
#include <cmath>
#include <string>
#include <vector>

#include "driver_test.h"

namespace gsmbench::test {
namespace {

using Lines = std::vector<std::string>;
using CallTest = DriverTest;

// --- commands ----------------------------------------------------------------

struct CommandCase {
    const char *name;
    ViStatus (*run)(ViSession);
    const char *line;
};

const CommandCase kCommands[] = {
    {"end", [](ViSession vi) { return BS_Call_End(vi); }, "CALL:END\n"},
    {"arm detector", [](ViSession vi) { return BS_Set_Call_State_Change_Detector(vi); },
     "CALL:CONN:ARM:IMMEDIATE\n"},
    {"handover", [](ViSession vi) { return BS_Call_Handover(vi); }, "CALL:HAND:IMM\n"},
    {"wait TCH", [](ViSession vi) { return BS_Call_Wait(vi, GSMB_CHANNEL_TCH); },
     "CALL:TCH:WAIT\n"},
    {"wait BCH", [](ViSession vi) { return BS_Call_Wait(vi, GSMB_CHANNEL_BCH); },
     "CALL:BCH:WAIT\n"},
    {"timeout 10 s",
     [](ViSession vi) {
         const ViReal32 s = 10.0F;
         return BS_Set_Call_State_Change_Detector_Timeout(vi, &s);
     },
     "CALL:CONNECTED:TIMEOUT 10.000000 S\n"},
    {"timeout 2.5 s",
     [](ViSession vi) {
         const ViReal32 s = 2.5F;
         return BS_Set_Call_State_Change_Detector_Timeout(vi, &s);
     },
     "CALL:CONNECTED:TIMEOUT 2.500000 S\n"},
    {"timeout -0.125 s",
     [](ViSession vi) {
         const ViReal32 s = -0.125F;
         return BS_Set_Call_State_Change_Detector_Timeout(vi, &s);
     },
     "CALL:CONNECTED:TIMEOUT -0.125000 S\n"},
};

TEST_F(CallTest, CommandsSendTheirLineAndPassTheStatusThrough) {
    for (const CommandCase &c : kCommands) {
        for (const ViStatus status : {ViStatus{VI_SUCCESS}, kWarning, ViStatus{VI_ERROR_TMO}}) {
            SCOPED_TRACE(testing::Message() << c.name << " status " << status);
            fake().reset();
            vi = fake().open_session();
            if (status != VI_SUCCESS) {
                fail_write(status);
            }
            EXPECT_EQ(c.run(vi), status);
            EXPECT_EQ(lines(), Lines{c.line});
        }
    }
}

TEST_F(CallTest, RefusesWhatNamesNoRowOrPointsNowhere) {
    for (const ViInt32 code : {2, -1, INT32_MAX}) {
        EXPECT_EQ(BS_Call_Wait(vi, code), kSystemError) << code;
    }
    EXPECT_EQ(BS_Set_Call_State_Change_Detector_Timeout(vi, nullptr), kSystemError);
    EXPECT_EQ(BS_Call_Connected_State_Query(vi, nullptr), kSystemError);
    EXPECT_EQ(BS_Get_Call_State_Change_Detector(vi, nullptr), kSystemError);
    EXPECT_EQ(BS_Get_Call_State_Change_Detector_Timeout(vi, nullptr), kSystemError);
    EXPECT_EQ(BS_Query_Call_State(vi, nullptr), kSystemError);
    EXPECT_TRUE(lines().empty());
}

// --- queries -----------------------------------------------------------------

// Every query of the family, run with both kinds of output so one table covers
// the integer, float and keyword decodings.
struct QueryFn {
    const char *name;
    const char *line;
    ViStatus (*run)(ViSession, ViInt32 *, ViReal32 *);
};

const QueryFn kQueries[] = {
    {"connected", "CALL:CONN?\n",
     [](ViSession vi, ViInt32 *i, ViReal32 *) { return BS_Call_Connected_State_Query(vi, i); }},
    {"detector", "CALL:CONN:ARM:STAT?\n",
     [](ViSession vi, ViInt32 *i, ViReal32 *) { return BS_Get_Call_State_Change_Detector(vi, i); }},
    {"timeout", "CALL:CONNECTED:TIMEOUT?\n",
     [](ViSession vi, ViInt32 *, ViReal32 *f) {
         return BS_Get_Call_State_Change_Detector_Timeout(vi, f);
     }},
    {"call state", "CALL:STAT?\n",
     [](ViSession vi, ViInt32 *i, ViReal32 *) { return BS_Query_Call_State(vi, i); }},
};

struct QueryCase {
    const QueryFn &fn;
    const char *reply;
    ViStatus status;
    ViInt32 integer; // expected integer output (integer queries)
    ViReal32 real;   // expected float output (the time-out query)
};

const QueryCase kQueryCases[] = {
    {kQueries[0], "1\n", VI_SUCCESS, 1, 0},
    {kQueries[0], "+5\n", VI_SUCCESS, 5, 0},
    {kQueries[0], "", VI_SUCCESS, 0, 0},
    {kQueries[0], "ON\n", VI_SUCCESS, 0, 0},
    {kQueries[1], "0\n", VI_SUCCESS, 0, 0},
    {kQueries[1], "-3\n", VI_SUCCESS, -3, 0},
    {kQueries[2], "2.5\n", VI_SUCCESS, 0, 2.5F},
    {kQueries[2], "+1.0E+01\n", VI_SUCCESS, 0, 10.0F},
    {kQueries[2], "none\n", VI_SUCCESS, 0, 0.0F},
    {kQueries[3], "IDLE\n", VI_SUCCESS, GSMB_CALL_IDLE, 0},
    {kQueries[3], "SREQ\n", VI_SUCCESS, GSMB_CALL_SREQ, 0},
    {kQueries[3], "ALER\n", VI_SUCCESS, GSMB_CALL_ALER, 0},
    {kQueries[3], "CONN\n", VI_SUCCESS, GSMB_CALL_CONN, 0},
    {kQueries[3], "CONNECTED\n", VI_SUCCESS, GSMB_CALL_CONN, 0},
    {kQueries[3], "DISC\n", VI_SUCCESS, GSMB_CALL_DISC, 0},
    {kQueries[3], "HAND\n", VI_SUCCESS, GSMB_CALL_HAND, 0},
    {kQueries[3], "PAG\n", VI_SUCCESS, GSMB_CALL_PAG, 0},
    {kQueries[3], "PAGING\n", VI_SUCCESS, GSMB_CALL_PAG, 0},
    {kQueries[3], "CON\n", kSystemError, GSMB_CALL_UNRECOGNISED, 0},
    {kQueries[3], "PA", kSystemError, GSMB_CALL_UNRECOGNISED, 0},
    {kQueries[3], "conn\n", kSystemError, GSMB_CALL_UNRECOGNISED, 0},
    {kQueries[3], " IDLE\n", kSystemError, GSMB_CALL_UNRECOGNISED, 0},
    {kQueries[3], "", kSystemError, GSMB_CALL_UNRECOGNISED, 0},
    // Longer than the 32-byte reply buffer: decoded from the part that fits.
    {kQueries[3], "DISCONNECTING-AND-A-VERY-LONG-TAIL-OF-TEXT\n", VI_SUCCESS, GSMB_CALL_DISC, 0},
};

TEST_F(CallTest, QueriesDecodeTheirReplies) {
    for (const QueryCase &c : kQueryCases) {
        SCOPED_TRACE(testing::Message() << c.fn.name << " reply '" << c.reply << "'");
        fake().reset();
        vi = fake().open_session();
        reply(c.reply);
        ViInt32 integer = 1234;
        ViReal32 real = 12.5F;
        EXPECT_EQ(c.fn.run(vi, &integer, &real), c.status);
        EXPECT_EQ(lines(), Lines{c.fn.line});
        if (std::string(c.fn.name) == "timeout") {
            EXPECT_FLOAT_EQ(real, c.real);
            EXPECT_EQ(integer, 1234);
        } else {
            EXPECT_EQ(integer, c.integer);
            EXPECT_EQ(real, 12.5F);
        }
    }
}

// A failed write (nothing is read) or read, error or warning: the status comes
// back unchanged and the output keeps its value, even though a warning on the
// read still filled the reply buffer.
TEST_F(CallTest, FailedExchangesLeaveOutputsUntouched) {
    struct Failure {
        bool on_read;
        ViStatus status;
    };
    const Failure failures[] = {
        {false, VI_ERROR_TMO}, {false, kWarning}, {true, VI_ERROR_TMO}, {true, kWarning}};
    for (const QueryFn &fn : kQueries) {
        for (const Failure &f : failures) {
            SCOPED_TRACE(testing::Message()
                         << fn.name << (f.on_read ? " read " : " write ") << f.status);
            fake().reset();
            vi = fake().open_session();
            reply("3\n");
            if (f.on_read) {
                fail_read(f.status);
            } else {
                fail_write(f.status);
            }
            ViInt32 integer = 1234;
            ViReal32 real = 12.5F;
            EXPECT_EQ(fn.run(vi, &integer, &real), f.status);
            EXPECT_EQ(integer, 1234);
            EXPECT_EQ(real, 12.5F);
            EXPECT_EQ(reads(), f.on_read ? 1U : 0U);
        }
    }
}

} // namespace
} // namespace gsmbench::test
