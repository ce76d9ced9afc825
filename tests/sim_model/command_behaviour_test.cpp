// The command tables through the SCPI engine with instant time: call
// processing sequences, measurement completion, reply layouts and the
// fault-injection rows of the phone.
#include <cstdlib>
#include <sstream>
#include <vector>

#include "sim_fixture.h"

namespace gsmbench::sim::test {
namespace {

std::vector<double> numbers(const std::string &reply) {
    std::vector<double> v;
    std::stringstream in(reply);
    std::string item;
    while (std::getline(in, item, ','))
        v.push_back(std::strtod(item.c_str(), nullptr));
    return v;
}

class Commands : public SimBench {};

TEST_F(Commands, TypicalCallSequence) {
    EXPECT_EQ(trim(ts("CALL:STAT?")), "IDLE");
    EXPECT_EQ(trim(ts("CALL:CONN?")), "+0");
    bring_up_call();
    EXPECT_EQ(trim(ts("CALL:STAT?")), "CONN");
    EXPECT_EQ(trim(ts("CALL:CONN?")), "+1");
    ts("CALL:SET:TCH:BAND DCS");
    ts("CALL:SET:TCH 600");
    EXPECT_EQ(trim(ts("CALL:TCH:BAND?")), "PGSM"); // pending until the handover
    ts("CALL:HAND:IMM");
    EXPECT_EQ(trim(ts("CALL:STAT?")), "CONN");
    EXPECT_EQ(trim(ts("CALL:TCH:BAND?")), "DCS");
    EXPECT_EQ(trim(ts("CALL:TCH?")), "+600");
    ts("CALL:END");
    EXPECT_EQ(trim(ts("CALL:STAT?")), "IDLE");
    supply("OUTP OFF");
    EXPECT_EQ(trim(ts("SIM:PHON:STAT?")), "OFF");
    EXPECT_TRUE(no_error(error()));
}

TEST_F(Commands, DetectorWaitsForTheConnectionAndDisarms) {
    ts("CALL:CONNECTED:TIMEOUT 10.000000 S");
    EXPECT_EQ(trim(ts("CALL:CONNECTED:TIMEOUT?")), "+10");
    ts("CALL:CONN:ARM:IMMEDIATE");
    EXPECT_EQ(trim(ts("CALL:CONN:ARM:STAT?")), "+1");
    bring_up_call();
    EXPECT_EQ(trim(ts("CALL:CONN?")), "+1");
    EXPECT_EQ(trim(ts("CALL:CONN:ARM:STAT?")), "+0");
}

TEST_F(Commands, PoweringOffMidCallDropsIt) {
    bring_up_call();
    ASSERT_EQ(trim(ts("CALL:STAT?")), "CONN");
    supply("VOLT 3.000000");
    EXPECT_EQ(trim(ts("CALL:STAT?")), "IDLE");
}

TEST_F(Commands, PhoneFaultsKeepItFromRegisteringOrCalling) {
    ts("SIM:PHON:REG:BLOC ON");
    bring_up_call();
    EXPECT_EQ(trim(ts("SIM:PHON:STAT?")), "REGISTERING");
    EXPECT_EQ(trim(ts("CALL:STAT?")), "IDLE");
    ts("SIM:PHON:ACAL OFF");
    ts("SIM:PHON:REG:BLOC OFF");
    EXPECT_EQ(trim(ts("SIM:PHON:STAT?")), "IDLE");
    EXPECT_EQ(trim(ts("CALL:STAT?")), "IDLE");
    ts("CALL:ORIG");
    EXPECT_EQ(trim(ts("CALL:STAT?")), "CONN");
    EXPECT_TRUE(no_error(error()));
}

TEST_F(Commands, DoneNamesEachFinishedMeasurementOnce) {
    EXPECT_EQ(trim(ts("INIT:DONE?")), "NONE");
    bring_up_call();
    ts("INITIATE:TXP:ON");
    ts("INITIATE:PVT:ON");
    EXPECT_EQ(trim(ts("INIT:ON?")), "PVT,TXP");
    EXPECT_EQ(trim(ts("INIT:COUNt?")), "+2");
    const std::string first = trim(ts("INIT:DONE?"));
    const std::string second = trim(ts("INIT:DONE?"));
    EXPECT_TRUE((first == "TXP" && second == "PVT") || (first == "PVT" && second == "TXP"))
        << first << second;
    EXPECT_EQ(trim(ts("INIT:DONE?")), "NONE");
    ts("INITIATE:TXP:OFF");
    EXPECT_EQ(trim(ts("INIT:ON?")), "PVT");
    ts("ABORT:ALL");
    EXPECT_EQ(trim(ts("INIT:ON?")), "NONE");
    EXPECT_EQ(trim(ts("INIT:COUNt?")), "+0");
}

// Reply layouts the driver's result records depend on.
struct Layout {
    const char *initiate; // measurement to start first, or nullptr
    const char *query;
    std::size_t values; // number of comma-separated values
};

class ResultLayout : public SimBench, public ::testing::WithParamInterface<Layout> {};

TEST_P(ResultLayout, InCallAndWithoutSignal) {
    const Layout &l = GetParam();
    for (const bool in_call : {true, false}) {
        ts("*RST");
        supply("*RST");
        if (in_call)
            bring_up_call();
        if (l.initiate)
            ts(std::string("INITIATE:") + l.initiate + ":ON");
        const std::string reply = trim(ts(l.query));
        EXPECT_EQ(reply.find(' '), std::string::npos) << reply; // read as one word
        const auto v = numbers(reply);
        ASSERT_EQ(v.size(), l.values) << l.query << " -> " << reply;
        if (l.initiate && l.values > 1) {
            // The integrity indicator: 0 in a call, no values without a signal.
            EXPECT_EQ(v[0] == 0.0, in_call) << reply;
            if (!in_call) {
                EXPECT_EQ(v[1], 9.91e37) << reply;
            }
        }
    }
    EXPECT_TRUE(no_error(error()));
}

INSTANTIATE_TEST_SUITE_P(
    Fetch, ResultLayout,
    ::testing::Values(Layout{"TXP", "FETC:TXP:ALL?", 2}, Layout{"TXP", "FETC:TXP:POW?", 1},
                      Layout{"PFER", "FETC:PFER:ALL?", 4}, Layout{"PFER", "FETC:PFER:RMS:AVER?", 1},
                      Layout{"PFER", "FETC:PFER:PEAK:AVER?", 1},
                      Layout{"PFER", "FETC:PFER:FERR:AVER?", 1}, Layout{"PVT", "FETC:PVT:ALL?", 5},
                      Layout{"ORFS", "FETC:ORFS:ALL?", 11}, Layout{"ORFS", "FETC:ORFS:LIM?", 1},
                      Layout{"BERR", "FETC:BERR:ALL?", 4}, Layout{"FBER", "FETC:FBER:ALL?", 4},
                      Layout{"DPOW", "FETC:DPOW?", 11}, Layout{nullptr, "CALL:MS:REP:RXL?", 1},
                      Layout{nullptr, "CALL:MS:REP:RXQ?", 1}));

TEST_F(Commands, ResultsUseTheInstrumentNumberFormat) {
    bring_up_call();
    ts("INITIATE:TXP:ON");
    const std::string reply = trim(ts("FETC:TXP:ALL?"));
    // "+0,+3.33000E+01": an integer indicator, then a signed mantissa with five decimals.
    ASSERT_GE(reply.size(), 15u) << reply;
    EXPECT_EQ(reply.substr(0, 4), "+0,+");
    EXPECT_EQ(reply[5], '.');
    EXPECT_EQ(reply.substr(reply.size() - 4, 2), "E+");
}

TEST_F(Commands, OrfsListsShapeTheResult) {
    bring_up_call();
    ts("SET:ORFS:SWIT:FREQ 400KHZ,600KHZ,1200KHZ");
    ts("SET:ORFS:MOD:FREQ ");
    ts("INITIATE:ORFS:ON");
    EXPECT_EQ(numbers(trim(ts("FETC:ORFS:ALL?"))).size(), 4u);
    EXPECT_EQ(trim(ts("FETC:ORFS:LIM?")), "+0");
    EXPECT_EQ(trim(ts("SET:ORFS:MOD:FREQ?")), "");
    EXPECT_TRUE(no_error(error()));
}

TEST_F(Commands, TxPowerFollowsTheCommandedLevelAndTheCorrection) {
    bring_up_call();
    auto power = [&] {
        ts("INITIATE:TXP:ON");
        return std::strtod(trim(ts("FETC:TXP:POW?")).c_str(), nullptr);
    };
    ts("CALL:MS:TXL:PGSM 5");
    EXPECT_NEAR(power(), 33.3, 0.5);
    ts("CALL:MS:TXL:PGSM 19");
    EXPECT_NEAR(power(), 5.3, 0.5);
    ts("SYST:CORR:FREQ 880MHZ,960MHZ");
    ts("SYST:CORR:SGAIN -2.,-2.");
    EXPECT_NEAR(power(), 7.3, 0.5);
    EXPECT_EQ(trim(ts("CALL:MS:TXL?")), "+19");
}

TEST_F(Commands, SettingsReadBackAsTheLibraryDecodesThem) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"SET:TXP:COUNt:STAT 2", "SET:TXP:COUNt:STAT?"}, // any non-zero count state is on
        {"SET:TXP:COUNt:NUMB 20", "SET:TXP:COUNt:NUMB?"},
        {"SET:TXP:TIM 500 MS", "SET:TXP:TIM?"},
        {"SET:TXP:TIM:TIME 10 S", "SET:TXP:TIM:TIM?"},
        {"SET:TXP:TRIG:SOUR PROT", "SET:TXP:TRIG:SOUR?"},
        {"SET:PVT:TRIG:DEL 50 US", "SET:PVT:TRIG:DEL?"},
        {"CALL:OPER:MODE PBPTT", "CALL:OPER:MODE?"},
        {"CALL:FUNC:CONN:TYPE SRBL", "CALL:FUNC:CONN:TYPE?"},
        {"CALL:BURSt:TYPE TSC7", "CALL:BURSt:TYPE?"},
        {"CALL:POW -85.300003", "CALL:POW:SEL?"},
        {"CALL:CELL:MCC 460;LAC 1;MNC 0;NCC 1;BCC 5;", "CALL:CELL:MCC?;LAC?;BCC?"},
        {"RFAN:CONT:AUTO OFF", "RFAN:CONT:MEAS:BURS:AUTO?"},
        {"CALL:RFG:FREQ:SEL 935.200012MHZ", "CALL:RFG:FRE:SEL?"},
        {"SET:DPOW:COUN:NUMB:GSM 10", "SET:DPOW:COUN:NUMB:GSM?"},
    };
    const std::vector<std::string> expected = {
        "1",    "+20",  "+5.00000E-01", "+10",        "PROT", "+5.00000E-05", "PBPTT",
        "SRBL", "TSC7", "-8.53000E+01", "+460;+1;+5", "0",    "+9.35200E+08", "+10"};
    for (std::size_t i = 0; i < cases.size(); ++i) {
        ts(cases[i].first);
        EXPECT_EQ(trim(ts(cases[i].second)), expected[i]) << cases[i].first;
    }
    EXPECT_TRUE(no_error(error()));
}

TEST_F(Commands, SupplyReportsWhatThePhoneDraws) {
    EXPECT_EQ(trim(supply("MEAS:CURR?")), "+0.00000E+00");
    supply("VOLT 3.800000");
    EXPECT_EQ(trim(supply("VOLT?")), "+3.80000E+00");
    EXPECT_EQ(trim(supply("MEAS:VOLT?")), "+0.00000E+00"); // output still off
    supply("OUTP ON");
    EXPECT_EQ(trim(supply("OUTP?")), "1");
    EXPECT_EQ(trim(supply("MEAS:VOLT?")), "+3.80000E+00");
    const double in_call = std::strtod(trim(supply("MEAS:CURR?")).c_str(), nullptr);
    EXPECT_GT(in_call, 0.15);
    ts("CALL:END");
    const double idle = std::strtod(trim(supply("MEAS:CURR?")).c_str(), nullptr);
    EXPECT_LT(idle, 0.05);
    EXPECT_TRUE(no_error(error("supply")));
}

TEST_F(Commands, StateDumpCoversBothInstruments) {
    bring_up_call();
    const auto state = bench_->state();
    EXPECT_EQ(state["testset"]["model"]["phone"]["state"], "IDLE") << state.dump();
    EXPECT_EQ(state["testset"]["model"]["test_set"]["call"]["state"], "CONN");
    EXPECT_EQ(state["supply"]["model"]["output"], true);
}

} // namespace
} // namespace gsmbench::sim::test
