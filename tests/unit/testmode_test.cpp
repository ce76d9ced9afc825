// Test mode: channels per band, RF generator, receiver control, burst type,
// dynamic power and the CW output.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "driver_test.h"
#include "testmode/burst_power.h"
#include "testmode/rf_channels.h"

namespace gsmbench::test {
namespace {

using Lines = std::vector<std::string>;

class TestMode : public DriverTest {};

// One set call and the line it must write; an empty line means the call is
// refused with VI_ERROR_SYSTEM_ERROR and nothing goes on the bus.
struct WriteCase {
    const char *name;
    std::function<ViStatus(ViSession)> call;
    const char *line;
};

TEST_F(TestMode, SetLines) {
    using BandFn = ViStatus (*)(ViSession, const BandValue *);
    const auto band = [](BandFn fn, ViInt32 b, ViInt32 value) {
        return [fn, b, value](ViSession s) {
            const BandValue setting{b, value};
            return fn(s, &setting);
        };
    };
    const auto generator = [](ViInt32 target, float frequency, ViInt32 unit) {
        return [=](ViSession s) {
            const RfGeneratorFrequency setting{target, frequency, unit};
            return BS_TM_Set_RF_Generator_Frequency(s, &setting);
        };
    };
    const auto dpower = [](ViInt32 target, ViInt32 count) {
        return [=](ViSession s) {
            const TargetCount setting{target, count};
            return BS_TM_Set_DPower_Count(s, &setting);
        };
    };
    const auto fixed = [](ViStatus (*fn)(ViSession, ViInt32), ViInt32 arg) {
        return [=](ViSession s) { return fn(s, arg); };
    };
    const WriteCase cases[] = {
        {"BCH SEL", band(BS_TM_Set_Call_BCH_Mode, 10, 20), "CALL:BCH:SEL 20\n"},
        {"BCH EGSM", band(BS_TM_Set_Call_BCH_Mode, 2, 975), "CALL:BCH:EGSM 975\n"},
        {"BCH TGSM810", band(BS_TM_Set_Call_BCH_Mode, 9, 1), ""},
        {"BCH -1", band(BS_TM_Set_Call_BCH_Mode, -1, 1), ""},
        {"BCH 11", band(BS_TM_Set_Call_BCH_Mode, 11, 1), ""},
        {"TCH PGSM", band(BS_TM_Set_Call_TCH_Channel, 0, 62), "CALL:TCH:PGSM 62\n"},
        {"TCH PCS negative", band(BS_TM_Set_Call_TCH_Channel, 7, -5), "CALL:TCH:PCS -5\n"},
        {"TCH TGSM810", band(BS_TM_Set_Call_TCH_Channel, 9, 1), ""},
        {"TCH INT32_MIN", band(BS_TM_Set_Call_TCH_Channel, INT32_MIN, 1), ""},
        {"gen SEL MHZ", generator(0, 935.2f, 2), "CALL:RFG:FREQ:SEL 935.200012MHZ\n"},
        {"gen GSM GHZ", generator(1, 1.5f, 3), "CALL:RFG:FREQ:GSM 1.500000GHZ\n"},
        {"gen target 7", generator(7, 100.0f, 0), "CALL:RFG:FREQ:SEL 100.000000HZ\n"},
        {"gen KHZ", generator(1, -2.5f, 1), "CALL:RFG:FREQ:GSM -2.500000KHZ\n"},
        {"gen unit 4", generator(1, 1.0f, 4), ""},
        {"gen unit -1", generator(1, 1.0f, -1), ""},
        {"receiver 0", fixed(BS_TM_Set_RF_Receiver_Control_Method, 0), "RFAN:CONT:AUTO OFF\n"},
        {"receiver 2", fixed(BS_TM_Set_RF_Receiver_Control_Method, 2), "RFAN:CONT:AUTO ON\n"},
        {"receiver -1", fixed(BS_TM_Set_RF_Receiver_Control_Method, -1), "RFAN:CONT:AUTO ON\n"},
        {"burst 0", fixed(BS_TM_Set_CALL_Burst_Type, 0), "CALL:BURSt:TYPE RACH\n"},
        {"burst 1", fixed(BS_TM_Set_CALL_Burst_Type, 1), "CALL:BURSt:TYPE TSC0\n"},
        {"burst 8", fixed(BS_TM_Set_CALL_Burst_Type, 8), "CALL:BURSt:TYPE TSC7\n"},
        {"burst 9", fixed(BS_TM_Set_CALL_Burst_Type, 9), ""},
        {"burst -1", fixed(BS_TM_Set_CALL_Burst_Type, -1), ""},
        {"dpower GSM", dpower(1, 10), "SET:DPOW:COUN:NUMB:GSM 10\n"},
        {"dpower target 2", dpower(2, 10), "SET:DPOW:COUN:NUMB:SEL 10\n"},
        {"dpower target 0", dpower(0, -1), "SET:DPOW:COUN:NUMB:SEL -1\n"},
        {"CW level", fixed(BS_TM_Set_RFGen_Power, -60), "CALL:CELL:POW:SAMPlitude:CW -60dBm\n"},
        {"CW state 1", fixed(BS_TM_Set_Power_CW_State, 1), "CALL:CELL:POWer:STATe:CW 1\n"},
        {"CW state 7", fixed(BS_TM_Set_Power_CW_State, 7), "CALL:CELL:POWer:STATe:CW 7\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        const bool refused = std::string_view(c.line).empty();
        EXPECT_EQ(c.call(vi), refused ? kSystemError : VI_SUCCESS);
        EXPECT_EQ(lines(), refused ? Lines{} : Lines{c.line});
    }
}

TEST_F(TestMode, SetFailuresPassThrough) {
    const BandValue band{0, 1};
    const RfGeneratorFrequency generator{1, 1.0f, 0};
    const TargetCount count{1, 1};
    for (const ViStatus injected : {ViStatus{VI_ERROR_TMO}, kWarning}) {
        SetUp();
        const std::function<ViStatus()> calls[] = {
            [&] { return BS_TM_Set_Call_BCH_Mode(vi, &band); },
            [&] { return BS_TM_Set_Call_TCH_Channel(vi, &band); },
            [&] { return BS_TM_Set_RF_Generator_Frequency(vi, &generator); },
            [&] { return BS_TM_Set_RF_Receiver_Control_Method(vi, 1); },
            [&] { return BS_TM_Set_CALL_Burst_Type(vi, 1); },
            [&] { return BS_TM_Set_DPower_Count(vi, &count); },
            [&] { return BS_TM_Set_RFGen_Power(vi, 1); },
            [&] { return BS_TM_Set_Power_CW_State(vi, 1); },
        };
        for (const auto &call : calls) {
            fail_write(injected);
            EXPECT_EQ(call(), injected);
        }
    }
}

TEST_F(TestMode, IntegerQueries) {
    // Each reads "%255t" and decodes the reply as atol does.
    const struct {
        const char *name;
        std::function<ViStatus(ViSession, ViInt32 &)> call;
        const char *query;
    } queries[] = {
        {"BCH SEL",
         [](ViSession s, ViInt32 &out) {
             BandValue setting{10, -7};
             const ViStatus status = BS_TM_Get_Call_BCH_Mode(s, &setting);
             out = setting.value;
             return status;
         },
         "CALL:BCH:SEL?\n"},
        {"TCH DCS",
         [](ViSession s, ViInt32 &out) {
             BandValue setting{1, -7};
             const ViStatus status = BS_TM_Get_Call_TCH_Channel(s, &setting);
             out = setting.value;
             return status;
         },
         "CALL:TCH:DCS?\n"},
        {"receiver",
         [](ViSession s, ViInt32 &out) { return BS_TM_Get_RF_Receiver_Control_Method(s, &out); },
         "RFAN:CONT:MEAS:BURS:AUTO?\n"},
        {"dpower GSM",
         [](ViSession s, ViInt32 &out) {
             TargetCount setting{1, -7};
             const ViStatus status = BS_TM_Get_DPower_Count(s, &setting);
             out = setting.count;
             return status;
         },
         "SET:DPOW:COUN:NUMB:GSM?\n"},
        {"dpower target 3",
         [](ViSession s, ViInt32 &out) {
             TargetCount setting{3, -7};
             const ViStatus status = BS_TM_Get_DPower_Count(s, &setting);
             out = setting.count;
             return status;
         },
         "SET:DPOW:COUN:NUMB:SEL?\n"},
    };
    const struct {
        const char *reply;
        ViStatus read_status;
        ViInt32 expected;
    } replies[] = {
        {"+975\n", VI_SUCCESS, 975}, {"abc\n", VI_SUCCESS, 0}, {" -12.9\n", VI_SUCCESS, -12},
        {"5\n", VI_ERROR_TMO, -7},   {"5\n", kWarning, -7}, // a warning still ends the exchange
    };
    for (const auto &q : queries) {
        for (const auto &r : replies) {
            SCOPED_TRACE(std::string(q.name) + " <- " + r.reply);
            SetUp();
            reply(r.reply);
            if (r.read_status != VI_SUCCESS) {
                fail_read(r.read_status);
            }
            ViInt32 out = -7;
            EXPECT_EQ(q.call(vi, out), r.read_status);
            EXPECT_EQ(out, r.expected);
            EXPECT_EQ(lines(), Lines{q.query});
            EXPECT_EQ(fake().scanf_formats(vi), Lines{"%255t"});
        }
    }
}

TEST_F(TestMode, ChannelQueriesRefuseBandsOutsideTheTable) {
    for (ViInt32 band : {9, -1, 11}) {
        SCOPED_TRACE(band);
        BandValue setting{band, -7};
        EXPECT_EQ(BS_TM_Get_Call_BCH_Mode(vi, &setting), kSystemError);
        EXPECT_EQ(BS_TM_Get_Call_TCH_Channel(vi, &setting), kSystemError);
        EXPECT_EQ(setting.value, -7);
        EXPECT_TRUE(lines().empty());
    }
}

TEST_F(TestMode, GeneratorFrequencyQuery) {
    const struct {
        ViInt32 target;
        const char *query;
        const char *reply;
        float expected;
    } cases[] = {
        {1, "CALL:RFG:FRE:GSM?\n", "+9.35200000E+008\n", 935.2e6f},
        {5, "CALL:RFG:FRE:SEL?\n", "1.5\n", 1.5f},
        {0, "CALL:RFG:FRE:SEL?\n", "none\n", 0.0f},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.query);
        SetUp();
        reply(c.reply);
        RfGeneratorFrequency setting{c.target, -7.0f, 77};
        EXPECT_EQ(BS_TM_Get_RF_Generator_Frequency(vi, &setting), VI_SUCCESS);
        EXPECT_EQ(setting.frequency, c.expected);
        EXPECT_EQ(setting.unit, 77); // neither read nor changed
        EXPECT_EQ(setting.target, c.target);
        EXPECT_EQ(lines(), Lines{c.query});
    }
    SetUp();
    fail_read(VI_ERROR_TMO);
    RfGeneratorFrequency setting{1, -7.0f, 0};
    EXPECT_EQ(BS_TM_Get_RF_Generator_Frequency(vi, &setting), VI_ERROR_TMO);
    EXPECT_EQ(setting.frequency, -7.0f);
}

TEST_F(TestMode, BurstTypeQuery) {
    const struct {
        const char *reply;
        ViStatus read_status;
        ViStatus expected_status;
        ViInt32 expected;
    } cases[] = {
        {"RACH\n", VI_SUCCESS, VI_SUCCESS, GSMB_BURST_RACH},
        {"TSC0\n", VI_SUCCESS, VI_SUCCESS, GSMB_BURST_TSC0},
        {"TSC7\n", VI_SUCCESS, VI_SUCCESS, GSMB_BURST_TSC7},
        {"TSC8\n", VI_SUCCESS, kSystemError, GSMB_BURST_UNRECOGNISED},
        {"RAC", VI_SUCCESS, kSystemError, GSMB_BURST_UNRECOGNISED},
        {"\n", VI_SUCCESS, kSystemError, GSMB_BURST_UNRECOGNISED},
        {"TSC1\n", VI_ERROR_TMO, VI_ERROR_TMO, -7},
        {"TSC1\n", kWarning, kWarning, -7},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.reply);
        SetUp();
        reply(c.reply);
        if (c.read_status != VI_SUCCESS) {
            fail_read(c.read_status);
        }
        ViInt32 type = -7;
        EXPECT_EQ(BS_TM_Get_CALL_Burst_Type(vi, &type), c.expected_status);
        EXPECT_EQ(type, c.expected);
        EXPECT_EQ(lines(), Lines{"CALL:BURSt:TYPE?\n"});
        EXPECT_EQ(fake().scanf_formats(vi), Lines{"%31t"});
    }
}

TEST_F(TestMode, DynamicPowerFetchReadsTheReplyOffTheBus) {
    reply("0,-12.5,3\n");
    EXPECT_EQ(BS_TM_FETCH_DPOWER(vi), VI_SUCCESS);
    EXPECT_EQ(lines(), Lines{"FETC:DPOW?\n"});
    EXPECT_EQ(fake().scanf_formats(vi), Lines{"%63s"});
    EXPECT_EQ(fake().pending_replies(vi), 0u);

    fail_write(VI_ERROR_TMO);
    EXPECT_EQ(BS_TM_FETCH_DPOWER(vi), VI_ERROR_TMO);
    EXPECT_EQ(reads(), 1u);
    EXPECT_EQ(BS_TM_FETCH_DPOWER(vi), VI_ERROR_TMO); // nothing queued: time-out
}

TEST_F(TestMode, NullPointersAreRefusedBeforeSending) {
    EXPECT_EQ(BS_TM_Set_Call_BCH_Mode(vi, nullptr), kSystemError);
    EXPECT_EQ(BS_TM_Get_Call_BCH_Mode(vi, nullptr), kSystemError);
    EXPECT_EQ(BS_TM_Set_Call_TCH_Channel(vi, nullptr), kSystemError);
    EXPECT_EQ(BS_TM_Get_Call_TCH_Channel(vi, nullptr), kSystemError);
    EXPECT_EQ(BS_TM_Set_RF_Generator_Frequency(vi, nullptr), kSystemError);
    EXPECT_EQ(BS_TM_Get_RF_Generator_Frequency(vi, nullptr), kSystemError);
    EXPECT_EQ(BS_TM_Get_RF_Receiver_Control_Method(vi, nullptr), kSystemError);
    EXPECT_EQ(BS_TM_Get_CALL_Burst_Type(vi, nullptr), kSystemError);
    EXPECT_EQ(BS_TM_Set_DPower_Count(vi, nullptr), kSystemError);
    EXPECT_EQ(BS_TM_Get_DPower_Count(vi, nullptr), kSystemError);
    EXPECT_TRUE(lines().empty());
}

// The set lines and the reply keywords must describe the same burst types,
// in the same order, so that a Get returns the code a Set was given.
TEST(TestModeTables, BurstLinesAndKeywordsAgree) {
    const auto &lines = testmode::kBurstTypeLines;
    const auto &keywords = testmode::kBurstTypeKeywords;
    ASSERT_EQ(std::size(lines), std::size(keywords));
    ASSERT_EQ(std::size(lines), static_cast<std::size_t>(GSMB_BURST_UNRECOGNISED));
    for (std::size_t i = 0; i < std::size(lines); ++i) {
        EXPECT_EQ(keywords[i].code, static_cast<std::int32_t>(i));
        EXPECT_EQ(std::string(lines[i]),
                  "CALL:BURSt:TYPE " + std::string(keywords[i].keyword) + "\n");
    }
}

TEST(TestModeTables, FrequencyUnitRowsMatchTheirCodes) {
    const auto &table = testmode::kFrequencyUnitTable;
    ASSERT_EQ(std::size(table), 4u);
    for (std::size_t i = 0; i < std::size(table); ++i) {
        EXPECT_EQ(table[i].code, static_cast<std::int32_t>(i));
    }
    EXPECT_STREQ(table[GSMB_FREQ_GHZ].name, "GHZ");
}

} // namespace
} // namespace gsmbench::test
