// Per-measurement settings, confidence state and burst sync through the fake
// VISA, plus the validation of the setting table they share.
#include <string>
#include <vector>

#include "driver_test.h"
#include "meas/settings.h"

namespace gsmbench::test {
namespace {

using Lines = std::vector<std::string>;
using Setter = ViStatus(GSMBENCH_CALL *)(ViSession, const MeasurementSetting *);
using Getter = ViStatus(GSMBENCH_CALL *)(ViSession, MeasurementSetting *);
using MeasSettingsTest = DriverTest;

struct SetCase {
    const char *name;
    Setter set;
    MeasurementSetting record;
    const char *line;
};

const SetCase kSetCases[] = {
    {"count state",
     BS_Set_Measurement_Count_State,
     {GSMB_MEAS_RXL, 1, 0},
     "SET:RXL:COUNt:STAT 1\n"},
    {"count state 2 unchanged",
     BS_Set_Measurement_Count_State,
     {GSMB_MEAS_TXP, 2, 1},
     "SET:TXP:COUNt:STAT 2\n"},
    {"count number",
     BS_Set_Measurement_Count_Number,
     {GSMB_MEAS_TXP, 200, 3},
     "SET:TXP:COUNt:NUMB 200\n"},
    {"count number negative",
     BS_Set_Measurement_Count_Number,
     {GSMB_MEAS_AAUD, -5, 0},
     "SET:AAUD:COUNt:NUMB -5\n"},
    {"snum", BS_Set_Measurement_Parameter, {GSMB_MEAS_PVT, 3, 0}, "SET:PVT:COUNt:SNUM 3\n"},
    {"timeout state",
     BS_Set_Measurement_Timeout_State,
     {GSMB_MEAS_BERR, 0, 1},
     "SET:BERR:TIM:STAT 0\n"},
    {"timeout number ms",
     BS_Set_Measurement_Timeout_Number,
     {GSMB_MEAS_TXP, 500, 1},
     "SET:TXP:TIM 500 MS\n"},
    {"timeout number s",
     BS_Set_Measurement_Timeout_Number,
     {GSMB_MEAS_TXP, 500, 0},
     "SET:TXP:TIM 500 S\n"},
    {"timeout number us -> s",
     BS_Set_Measurement_Timeout_Number,
     {GSMB_MEAS_TXP, 500, 2},
     "SET:TXP:TIM 500 S\n"},
    {"timeout number ns -> s",
     BS_Set_Measurement_Timeout_Number,
     {GSMB_MEAS_TXP, 500, 3},
     "SET:TXP:TIM 500 S\n"},
    {"timeout number -1 -> s",
     BS_Set_Measurement_Timeout_Number,
     {GSMB_MEAS_TXP, 500, -1},
     "SET:TXP:TIM 500 S\n"},
    {"timeout parameter s (TIME)",
     BS_Set_Measurement_Timeout_Parameter,
     {GSMB_MEAS_TXP, 10, 0},
     "SET:TXP:TIM:TIME 10 S\n"},
    {"timeout parameter ms",
     BS_Set_Measurement_Timeout_Parameter,
     {GSMB_MEAS_TXP, 10, 1},
     "SET:TXP:TIM:TIM 10 MS\n"},
    {"timeout parameter us -> TIM s",
     BS_Set_Measurement_Timeout_Parameter,
     {GSMB_MEAS_TXP, 10, 2},
     "SET:TXP:TIM:TIM 10 S\n"},
    {"timeout parameter -1 -> TIM s",
     BS_Set_Measurement_Timeout_Parameter,
     {GSMB_MEAS_TXP, 10, -1},
     "SET:TXP:TIM:TIM 10 S\n"},
    {"arm on", BS_Set_Measurement_Trigger_Arm_State, {GSMB_MEAS_ORFS, 1, 0}, "SET:ORFS:CONT ON\n"},
    {"arm 0", BS_Set_Measurement_Trigger_Arm_State, {GSMB_MEAS_ORFS, 0, 1}, "SET:ORFS:CONT OFF\n"},
    {"arm 2", BS_Set_Measurement_Trigger_Arm_State, {GSMB_MEAS_ORFS, 2, 0}, "SET:ORFS:CONT OFF\n"},
    {"arm -1",
     BS_Set_Measurement_Trigger_Arm_State,
     {GSMB_MEAS_ORFS, -1, 0},
     "SET:ORFS:CONT OFF\n"},
    {"source auto",
     BS_Set_Measurement_Trigger_Source,
     {GSMB_MEAS_PFER, 0, 1},
     "SET:PFER:TRIG:SOUR AUTO\n"},
    {"source prot",
     BS_Set_Measurement_Trigger_Source,
     {GSMB_MEAS_PFER, 1, 0},
     "SET:PFER:TRIG:SOUR PROT\n"},
    {"source rise",
     BS_Set_Measurement_Trigger_Source,
     {GSMB_MEAS_PFER, 2, 0},
     "SET:PFER:TRIG:SOUR RISE\n"},
    {"source imm",
     BS_Set_Measurement_Trigger_Source,
     {GSMB_MEAS_PFER, 3, 0},
     "SET:PFER:TRIG:SOUR IMM\n"},
    {"source 4 -> auto",
     BS_Set_Measurement_Trigger_Source,
     {GSMB_MEAS_PFER, 4, 0},
     "SET:PFER:TRIG:SOUR AUTO\n"},
    {"source -1 -> auto",
     BS_Set_Measurement_Trigger_Source,
     {GSMB_MEAS_PFER, -1, 0},
     "SET:PFER:TRIG:SOUR AUTO\n"},
    {"delay s",
     BS_Set_Measurement_Trigger_Delay,
     {GSMB_MEAS_PVT, 50, 0},
     "SET:PVT:TRIG:DEL 50 S\n"},
    {"delay ms",
     BS_Set_Measurement_Trigger_Delay,
     {GSMB_MEAS_PVT, 50, 1},
     "SET:PVT:TRIG:DEL 50 MS\n"},
    {"delay us",
     BS_Set_Measurement_Trigger_Delay,
     {GSMB_MEAS_PVT, 50, 2},
     "SET:PVT:TRIG:DEL 50 US\n"},
    {"delay ns",
     BS_Set_Measurement_Trigger_Delay,
     {GSMB_MEAS_PVT, 50, 3},
     "SET:PVT:TRIG:DEL 50 NS\n"},
    {"delay 7 -> s",
     BS_Set_Measurement_Trigger_Delay,
     {GSMB_MEAS_PVT, 50, 7},
     "SET:PVT:TRIG:DEL 50 S\n"},
    {"delay -1 -> s",
     BS_Set_Measurement_Trigger_Delay,
     {GSMB_MEAS_PVT, 50, -1},
     "SET:PVT:TRIG:DEL 50 S\n"},
    {"confidence 1", BS_Set_CONF_STAT, {GSMB_MEAS_TXP, 1, 0}, "SETUP:TXP:CONFIDENCE:STATE 1\n"},
    {"confidence 0", BS_Set_CONF_STAT, {GSMB_MEAS_TXP, 0, 1}, "SETUP:TXP:CONFIDENCE:STATE 0\n"},
    {"confidence 2", BS_Set_CONF_STAT, {GSMB_MEAS_TXP, 2, 0}, "SETUP:TXP:CONFIDENCE:STATE 0\n"},
    {"confidence -1", BS_Set_CONF_STAT, {GSMB_MEAS_TXP, -1, 0}, "SETUP:TXP:CONFIDENCE:STATE 0\n"},
    {"sync midamble", BS_Set_Burst_Sync, {GSMB_MEAS_PVT, 0, 2}, "SETUP:PVT:SYNC MIDAMBLE\n"},
    {"sync amplitude", BS_Set_Burst_Sync, {GSMB_MEAS_PVT, 1, 0}, "SETUP:PVT:SYNC AMPLITUDE\n"},
    {"sync none", BS_Set_Burst_Sync, {GSMB_MEAS_PVT, 2, 0}, "SETUP:PVT:SYNC NONE\n"},
    {"sync 3 -> none", BS_Set_Burst_Sync, {GSMB_MEAS_PVT, 3, 0}, "SETUP:PVT:SYNC NONE\n"},
    {"sync -1 -> none", BS_Set_Burst_Sync, {GSMB_MEAS_PVT, -1, 0}, "SETUP:PVT:SYNC NONE\n"},
};

TEST_F(MeasSettingsTest, SettersSendTheirLine) {
    for (const SetCase &c : kSetCases) {
        SCOPED_TRACE(c.name);
        fake().reset();
        vi = fake().open_session();
        const MeasurementSetting record = c.record;
        EXPECT_EQ(c.set(vi, &record), VI_SUCCESS);
        EXPECT_EQ(lines(), Lines{c.line});
    }
}

TEST_F(MeasSettingsTest, SettersPassTheWriteStatusThrough) {
    for (const SetCase &c : kSetCases) {
        for (const ViStatus status : {kWarning, ViStatus{VI_ERROR_TMO}}) {
            SCOPED_TRACE(testing::Message() << c.name << " status " << status);
            fake().reset();
            vi = fake().open_session();
            fail_write(status);
            EXPECT_EQ(c.set(vi, &c.record), status);
            EXPECT_EQ(lines(), Lines{c.line});
        }
    }
}

struct GetCase {
    const char *name;
    Getter get;
    const char *query; // with the mnemonic of GSMB_MEAS_SMON
};

const GetCase kGetters[] = {
    {"count state", BS_Get_Measurement_Count_State, "SET:SMON:COUNt:STAT?\n"},
    {"count number", BS_Get_Measurement_Count_Number, "SET:SMON:COUNt:NUMB?\n"},
    {"snum", BS_Get_Measurement_Parameter, "SET:SMON:COUNt:SNUM?\n"},
    {"timeout state", BS_Get_Measurement_Timeout_State, "SET:SMON:TIM:STAT?\n"},
    {"timeout number", BS_Get_Measurement_Timeout_Number, "SET:SMON:TIM?\n"},
    {"timeout parameter", BS_Get_Measurement_Timeout_Parameter, "SET:SMON:TIM:TIM?\n"},
    {"arm", BS_Get_Measurement_Trigger_Arm_State, "SET:SMON:CONT?\n"},
    {"source", BS_Get_Measurement_Trigger_Source, "SET:SMON:TRIG:SOUR?\n"},
    {"delay", BS_Get_Measurement_Trigger_Delay, "SET:SMON:TRIG:DEL?\n"},
};

TEST_F(MeasSettingsTest, GettersSendTheirQueryAndStoreTheValueOnly) {
    for (const GetCase &c : kGetters) {
        SCOPED_TRACE(c.name);
        fake().reset();
        vi = fake().open_session();
        reply("+10\n");
        MeasurementSetting record{GSMB_MEAS_SMON, 99, 77};
        EXPECT_EQ(c.get(vi, &record), VI_SUCCESS);
        EXPECT_EQ(lines(), Lines{c.query});
        EXPECT_EQ(record.measurement, GSMB_MEAS_SMON);
        EXPECT_EQ(record.value, 10);
        EXPECT_EQ(record.unit, 77);
    }
}

// The reply is a plain integer: no word or unit is mapped back.
TEST_F(MeasSettingsTest, GetterRepliesDecodeAsLeadingIntegers) {
    const struct {
        const char *reply;
        ViInt32 value;
    } cases[] = {{"AUTO\n", 0}, {"ON\n", 0},       {"2.5\n", 2},  {"-3\n", -3},
                 {"", 0},       {"  42 MS\n", 42}, {"1E+3\n", 1}, {"99999999999\n", INT32_MAX}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.reply);
        fake().reset();
        vi = fake().open_session();
        reply(c.reply);
        MeasurementSetting record{GSMB_MEAS_TXP, 1234, 0};
        EXPECT_EQ(BS_Get_Measurement_Trigger_Source(vi, &record), VI_SUCCESS);
        EXPECT_EQ(record.value, c.value);
    }
}

TEST_F(MeasSettingsTest, FailedGetterExchangesLeaveTheValueUntouched) {
    struct Failure {
        bool on_read;
        ViStatus status;
    };
    const Failure failures[] = {
        {false, VI_ERROR_TMO}, {false, kWarning}, {true, VI_ERROR_TMO}, {true, kWarning}};
    for (const GetCase &c : kGetters) {
        for (const Failure &f : failures) {
            SCOPED_TRACE(testing::Message()
                         << c.name << (f.on_read ? " read " : " write ") << f.status);
            fake().reset();
            vi = fake().open_session();
            reply("5\n");
            if (f.on_read) {
                fail_read(f.status);
            } else {
                fail_write(f.status);
            }
            MeasurementSetting record{GSMB_MEAS_SMON, 1234, 77};
            EXPECT_EQ(c.get(vi, &record), f.status);
            EXPECT_EQ(record.value, 1234);
            EXPECT_EQ(reads(), f.on_read ? 1U : 0U);
        }
    }
}

// Measurement codes naming no row, and null records, are refused by every
// function of the family before anything reaches the bus.
TEST_F(MeasSettingsTest, RefusesMeasurementsOutsideTheTableAndNullRecords) {
    std::vector<Setter> setters;
    for (const SetCase &c : kSetCases) {
        setters.push_back(c.set);
    }
    for (const ViInt32 code : {15, -1, INT32_MIN, INT32_MAX}) {
        SCOPED_TRACE(code);
        for (const Setter set : setters) {
            const MeasurementSetting record{code, 1, 1};
            EXPECT_EQ(set(vi, &record), kSystemError);
        }
        for (const GetCase &c : kGetters) {
            MeasurementSetting record{code, 1234, 77};
            EXPECT_EQ(c.get(vi, &record), kSystemError) << c.name;
            EXPECT_EQ(record.value, 1234);
        }
    }
    for (const Setter set : setters) {
        EXPECT_EQ(set(vi, nullptr), kSystemError);
    }
    for (const GetCase &c : kGetters) {
        EXPECT_EQ(c.get(vi, nullptr), kSystemError) << c.name;
    }
    EXPECT_TRUE(lines().empty());
    EXPECT_EQ(reads(), 0U);
}

TEST_F(MeasSettingsTest, ArmAllUsesNoMeasurementAndOnlyExactlyOneIsOn) {
    const struct {
        ViInt32 state;
        const char *line;
    } cases[] = {
        {1, "SET:CONT:ON\n"}, {0, "SET:CONT:OFF\n"}, {5, "SET:CONT:OFF\n"}, {-1, "SET:CONT:OFF\n"}};
    for (const auto &c : cases) {
        fake().reset();
        vi = fake().open_session();
        EXPECT_EQ(BS_Set_Measurement_Trigger_Arm_State_For_ALL(vi, c.state), VI_SUCCESS);
        EXPECT_EQ(lines(), Lines{c.line}) << c.state;
    }
    fail_write(kWarning);
    EXPECT_EQ(BS_Set_Measurement_Trigger_Arm_State_For_ALL(vi, 1), kWarning);
}

// --- table validation ----------------------------------------------------------

TEST_F(MeasSettingsTest, SettingTableRowsAreWellFormed) {
    for (std::size_t i = 0; i < meas::kSettingCount; ++i) {
        const meas::SettingRow &row = meas::kSettingTable[i];
        SCOPED_TRACE(row.set.fallback);
        EXPECT_EQ(static_cast<std::size_t>(row.setting), i) << "row out of place";
        if (row.query != nullptr) {
            const std::string q = row.query;
            EXPECT_EQ(q.substr(q.size() - 2), "?\n");
            EXPECT_EQ(q.find('?'), q.size() - 2);
            EXPECT_EQ(q.rfind("SET:%s:", 0), 0U);
        }
        std::vector<const char *> templates(row.set.by_code.begin(), row.set.by_code.end());
        templates.push_back(row.set.fallback);
        for (const char *t : templates) {
            const std::string s = t;
            EXPECT_EQ(s.find('?'), std::string::npos) << s;
            EXPECT_EQ(s.back(), '\n') << s;
            EXPECT_EQ(s.find("%d") != std::string::npos, row.prints_value) << s;
        }
    }
    for (const char *t : meas::kArmAllLines) {
        EXPECT_EQ(std::string(t).find('?'), std::string::npos);
    }
}

// Every row composes for every measurement and for every selector code the row
// knows and those on either side: one line, never a refusal of our own.
TEST_F(MeasSettingsTest, EveryRowComposesForEveryMeasurementAndCode) {
    for (const meas::SettingRow &row : meas::kSettingTable) {
        const auto known = static_cast<ViInt32>(row.set.by_code.size());
        for (ViInt32 m = 0; m <= GSMB_MEAS_RXL; ++m) {
            for (ViInt32 code = -1; code <= known; ++code) {
                SCOPED_TRACE(testing::Message()
                             << row.set.fallback << " m " << m << " code " << code);
                fake().reset();
                vi = fake().open_session();
                const MeasurementSetting record{m, code, code};
                ASSERT_EQ(meas::set_measurement_setting(vi, row.setting, record), VI_SUCCESS);
                ASSERT_EQ(lines().size(), 1U);
            }
        }
    }
}

} // namespace
} // namespace gsmbench::test
