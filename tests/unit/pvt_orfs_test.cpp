// PVT and ORFS: general setup lines, the ORFS offset lines, result decoding.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "driver_test.h"

namespace gsmbench::test {
namespace {

using Lines = std::vector<std::string>;

MeasurementSetup example_setup(ViInt32 measurement) {
    MeasurementSetup s{};
    s.measurement = measurement;
    s.countState = 1;
    s.count = 5;
    s.timeoutState = 1;
    s.timeout = 2.5f;
    s.timeoutUnit = 1;
    s.armState = 0;
    s.triggerSource = 1;
    s.triggerDelay = 0.5f;
    s.delayUnit = 2;
    s.triggerQualifier = 1; // never sent by these setups
    return s;
}

OrfsFrequencies offsets(std::vector<const char *> switching, std::vector<const char *> modulation) {
    OrfsFrequencies f;
    std::memset(&f, 0, sizeof f);
    for (std::size_t i = 0; i < switching.size(); ++i) {
        std::strncpy(f.switching[i], switching[i], GSMB_ORFS_OFFSET_SIZE);
    }
    for (std::size_t i = 0; i < modulation.size(); ++i) {
        std::strncpy(f.modulation[i], modulation[i], GSMB_ORFS_OFFSET_SIZE);
    }
    f.switchingCount = static_cast<ViInt32>(switching.size());
    f.modulationCount = static_cast<ViInt32>(modulation.size());
    return f;
}

class PvtOrfs : public DriverTest {};

TEST_F(PvtOrfs, PvtSetupLines) {
    const struct {
        const char *name;
        void (*change)(MeasurementSetup &);
        Lines expected;
    } cases[] = {
        {"example",
         [](MeasurementSetup &) {},
         {"SET:PVT:COUNt:STAT 1\n", "SET:PVT:COUNt:NUMB 5\n", "SET:PVT:TIM:STAT 1\n",
          "SET:PVT:TIM:TIME 2.500000 MS\n", "SET:PVT:CONT OFF\n", "SET:PVT:TRIG:SOUR PROT\n",
          "SET:PVT:TRIG:DEL 0.500000 US\n"}},
        {"no timeout, count state 2, fallbacks",
         [](MeasurementSetup &s) {
             s.timeoutState = 0;
             s.countState = 2;
             s.armState = 1;
             s.triggerSource = -1;
             s.delayUnit = 4;
         },
         {"SET:PVT:COUNt:STAT 2\n", "SET:PVT:TIM:STAT 0\n", "SET:PVT:CONT ON\n",
          "SET:PVT:TRIG:SOUR AUTO\n", "SET:PVT:TRIG:DEL 0.500000 S\n"}},
        {"timeout unit 3 is seconds, delay unit 3 is NS",
         [](MeasurementSetup &s) {
             s.timeoutUnit = 3;
             s.delayUnit = 3;
             s.triggerSource = 4;
         },
         {"SET:PVT:COUNt:STAT 1\n", "SET:PVT:COUNt:NUMB 5\n", "SET:PVT:TIM:STAT 1\n",
          "SET:PVT:TIM:TIME 2.500000 S\n", "SET:PVT:CONT OFF\n", "SET:PVT:TRIG:SOUR AUTO\n",
          "SET:PVT:TRIG:DEL 0.500000 NS\n"}},
        {"the record's own measurement names the lines",
         [](MeasurementSetup &s) {
             s.measurement = GSMB_MEAS_TXP;
             s.timeoutState = 0;
         },
         {"SET:TXP:COUNt:STAT 1\n", "SET:TXP:COUNt:NUMB 5\n", "SET:TXP:TIM:STAT 0\n",
          "SET:TXP:CONT OFF\n", "SET:TXP:TRIG:SOUR PROT\n", "SET:TXP:TRIG:DEL 0.500000 US\n"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        MeasurementSetup setup = example_setup(GSMB_MEAS_PVT);
        c.change(setup);
        EXPECT_EQ(BS_SetPVTMeasParam(vi, &setup), VI_SUCCESS);
        EXPECT_EQ(lines(), c.expected);
    }
}

TEST_F(PvtOrfs, OrfsSetupHasNoCountNumberAndEndsWithTheOffsets) {
    const MeasurementSetup setup = example_setup(GSMB_MEAS_ORFS);
    const OrfsFrequencies f = offsets({"400KHZ"}, {"100KHZ", "200KHZ"});
    EXPECT_EQ(BS_SetORFSMeasParam(vi, &setup, &f), VI_SUCCESS);
    EXPECT_EQ(lines(), (Lines{"SET:ORFS:COUNt:STAT 1\n", "SET:ORFS:TIM:STAT 1\n",
                              "SET:ORFS:TIM:TIME 2.500000 MS\n", "SET:ORFS:CONT OFF\n",
                              "SET:ORFS:TRIG:SOUR PROT\n", "SET:ORFS:TRIG:DEL 0.500000 US\n",
                              "SET:ORFS:SWIT:FREQ 400KHZ\n", "SET:ORFS:MOD:FREQ 100KHZ,200KHZ\n"}));
}

TEST_F(PvtOrfs, MeasurementCodesOutsideTheTableAreRefused) {
    const OrfsFrequencies f = offsets({"1"}, {"2"});
    for (ViInt32 code : {15, -1, INT32_MIN}) {
        SCOPED_TRACE(code);
        const MeasurementSetup setup = example_setup(code);
        EXPECT_EQ(BS_SetPVTMeasParam(vi, &setup), kSystemError);
        EXPECT_EQ(BS_SetORFSMeasParam(vi, &setup, &f), kSystemError);
        EXPECT_TRUE(lines().empty());
    }
    const MeasurementSetup rxl = example_setup(GSMB_MEAS_RXL); // 14 is the last row
    EXPECT_EQ(BS_SetPVTMeasParam(vi, &rxl), VI_SUCCESS);
}

TEST_F(PvtOrfs, OffsetLines) {
    const char full_slot[GSMB_ORFS_OFFSET_SIZE + 1] = "1234567890ABCDEF"; // 16, no room for NUL
    OrfsFrequencies unterminated = offsets({"X"}, {});
    std::memcpy(unterminated.switching[0], full_slot, GSMB_ORFS_OFFSET_SIZE);
    std::memcpy(unterminated.switching[1], "NEXT", 5); // the slot after must not be read
    OrfsFrequencies beyond_count = offsets({"100KHZ", "200KHZ", "250KHZ", "IGNORED"}, {"1"});
    beyond_count.switchingCount = 3;
    OrfsFrequencies negative = offsets({"1"}, {"2"});
    negative.switchingCount = -4;
    negative.modulationCount = INT32_MIN;
    const struct {
        const char *name;
        OrfsFrequencies offsets;
        Lines expected;
    } cases[] = {
        {"three of four",
         beyond_count,
         {"SET:ORFS:SWIT:FREQ 100KHZ,200KHZ,250KHZ\n", "SET:ORFS:MOD:FREQ 1\n"}},
        {"no entries still end the line",
         offsets({}, {}),
         {"SET:ORFS:SWIT:FREQ \n", "SET:ORFS:MOD:FREQ \n"}},
        {"negative counts are no entries",
         negative,
         {"SET:ORFS:SWIT:FREQ \n", "SET:ORFS:MOD:FREQ \n"}},
        {"a full slot is read within its 16 bytes",
         unterminated,
         {"SET:ORFS:SWIT:FREQ 1234567890ABCDEF\n", "SET:ORFS:MOD:FREQ \n"}},
        {"text is sent verbatim",
         offsets({"1.8 MHZ", "%s%d"}, {"-400KHZ"}),
         {"SET:ORFS:SWIT:FREQ 1.8 MHZ,%s%d\n", "SET:ORFS:MOD:FREQ -400KHZ\n"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        EXPECT_EQ(BS_Set_ORFS_Frequency(vi, &c.offsets), VI_SUCCESS);
        EXPECT_EQ(lines(), c.expected);
    }
}

TEST_F(PvtOrfs, LongestOffsetLinesFit) {
    std::vector<const char *> switching(8, "123456789012345");
    std::vector<const char *> modulation(22, "-12345678901234");
    const OrfsFrequencies f = offsets(switching, modulation);
    ASSERT_EQ(BS_Set_ORFS_Frequency(vi, &f), VI_SUCCESS);
    const Lines sent = lines();
    ASSERT_EQ(sent.size(), 2u);
    std::string expected_mod = "SET:ORFS:MOD:FREQ ";
    for (int i = 0; i < 22; ++i) {
        expected_mod += (i ? "," : "") + std::string("-12345678901234");
    }
    EXPECT_EQ(sent[1], expected_mod + "\n");
}

// Each count is checked when its line is due, so what went out before the
// refusal stays sent.
TEST_F(PvtOrfs, CountsAboveTheSlotsAreRefusedWhenTheirLineIsDue) {
    const MeasurementSetup setup = example_setup(GSMB_MEAS_ORFS);
    OrfsFrequencies too_many_switching = offsets({"1"}, {"2"});
    too_many_switching.switchingCount = 9;
    OrfsFrequencies too_many_modulation = offsets({"1"}, {"2"});
    too_many_modulation.modulationCount = 23;

    EXPECT_EQ(BS_Set_ORFS_Frequency(vi, &too_many_switching), kSystemError);
    EXPECT_TRUE(lines().empty());

    SetUp();
    EXPECT_EQ(BS_Set_ORFS_Frequency(vi, &too_many_modulation), kSystemError);
    EXPECT_EQ(lines(), Lines{"SET:ORFS:SWIT:FREQ 1\n"});

    SetUp();
    EXPECT_EQ(BS_SetORFSMeasParam(vi, &setup, &too_many_switching), kSystemError);
    EXPECT_EQ(lines().size(), 6u); // every general line, no offset line
    EXPECT_EQ(lines().back(), "SET:ORFS:TRIG:DEL 0.500000 US\n");
}

TEST_F(PvtOrfs, SequencesStopAtTheFirstFailingLine) {
    const MeasurementSetup setup = example_setup(GSMB_MEAS_ORFS);
    const OrfsFrequencies f = offsets({"1"}, {"2"});
    const struct {
        const char *name;
        int failing_write;
        ViStatus injected;
        std::size_t lines_sent;
    } cases[] = {
        {"first general line", 0, VI_ERROR_TMO, 1}, {"timeout state line warns", 1, kWarning, 2},
        {"last general line", 5, VI_ERROR_IO, 6},   {"switching line", 6, VI_ERROR_TMO, 7},
        {"modulation line", 7, VI_ERROR_TMO, 8},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        fail_write(c.injected, c.failing_write);
        EXPECT_EQ(BS_SetORFSMeasParam(vi, &setup, &f), c.injected);
        EXPECT_EQ(lines().size(), c.lines_sent);
    }
    SetUp();
    fail_write(VI_ERROR_TMO, 2);
    const MeasurementSetup pvt = example_setup(GSMB_MEAS_PVT);
    EXPECT_EQ(BS_SetPVTMeasParam(vi, &pvt), VI_ERROR_TMO);
    EXPECT_EQ(lines().size(), 3u);
}

TEST_F(PvtOrfs, NullRecordsAreRefused) {
    const MeasurementSetup setup = example_setup(GSMB_MEAS_ORFS);
    const OrfsFrequencies f = offsets({}, {});
    EXPECT_EQ(BS_SetPVTMeasParam(vi, nullptr), kSystemError);
    EXPECT_EQ(BS_SetORFSMeasParam(vi, nullptr, &f), kSystemError);
    EXPECT_EQ(BS_SetORFSMeasParam(vi, &setup, nullptr), kSystemError);
    EXPECT_EQ(BS_Set_ORFS_Frequency(vi, nullptr), kSystemError);
    EXPECT_TRUE(lines().empty());
}

TEST_F(PvtOrfs, PvtResult) {
    reply("0,0,-12.5,3,4,5,6\n");
    PvtResult r{};
    ASSERT_EQ(BS_FETCH_PVT_Result(vi, &r), VI_SUCCESS);
    EXPECT_EQ(r.integrity, 0);
    EXPECT_EQ(r.value[0], 0.0f);
    EXPECT_EQ(r.value[1], -12.5f);
    EXPECT_EQ(r.value[2], 3.0f);
    EXPECT_EQ(r.value[3], 4.0f);

    reply("2.9\n");
    ASSERT_EQ(BS_FETCH_PVT_Result(vi, &r), VI_SUCCESS);
    EXPECT_EQ(r.integrity, 2);
    EXPECT_EQ(r.value[0], 0.0f);
    EXPECT_EQ(r.value[3], 0.0f);
}

TEST_F(PvtOrfs, OrfsResultTakesTheFirst33Values) {
    std::string many;
    for (int i = 0; i < 45; ++i) {
        many += (i ? "," : "") + std::to_string(i) + ".5";
    }
    reply(many + "\n");
    OrfsResult r{};
    ASSERT_EQ(BS_FETCH_ORFS_Result(vi, &r), VI_SUCCESS);
    EXPECT_EQ(r.integrity, 0); // 0.5 truncated
    for (int i = 0; i < 32; ++i) {
        EXPECT_EQ(r.value[i], static_cast<float>(i + 1) + 0.5f) << i;
    }

    reply("-1.5,7\n");
    ASSERT_EQ(BS_FETCH_ORFS_Result(vi, &r), VI_SUCCESS);
    EXPECT_EQ(r.integrity, -1);
    EXPECT_EQ(r.value[0], 7.0f);
    EXPECT_EQ(r.value[1], 0.0f);
    EXPECT_EQ(r.value[31], 0.0f);
}

// The instrument's full notation needs about 770 characters for the 33 values
// returned; none of them may be lost to the reply buffer.
TEST_F(PvtOrfs, OrfsResultInFullNotation) {
    std::string full;
    for (int i = 0; i < 40; ++i) {
        full += (i ? "," : "") + std::string(i % 2 ? "-" : "+") + std::to_string(i + 10) +
                ".12345678E+001";
    }
    reply(full + "\n");
    OrfsResult r{};
    ASSERT_EQ(BS_FETCH_ORFS_Result(vi, &r), VI_SUCCESS);
    EXPECT_EQ(r.integrity, 101);
    for (int i = 0; i < 32; ++i) {
        const float magnitude = static_cast<float>((i + 11) * 10 + 1.2345678);
        EXPECT_FLOAT_EQ(r.value[i], (i + 1) % 2 ? -magnitude : magnitude) << i;
    }
}

TEST_F(PvtOrfs, PassFlag) {
    const struct {
        const char *reply;
        ViInt32 pass;
    } cases[] = {
        {"0\n", 1},       {"-0\n", 1},       {"+0.00000000E+000,5\n", 1},
        {"-0.0e-5\n", 1}, {"\n", 1},         {",,;\n", 1}, // no token
        {"abc,1\n", 1},   {"1\n", 0},        {"0.0001\n", 0},
        {"-1e-30\n", 0},  {"9.91E+37\n", 0}, {"1e-50\n", 1}, // below the float range: 0
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.reply);
        SetUp();
        reply(c.reply);
        ViInt32 pass = -7;
        ASSERT_EQ(BS_FETCH_ORFS_Result_Pass(vi, &pass), VI_SUCCESS);
        EXPECT_EQ(pass, c.pass);
    }
}

} // namespace
} // namespace gsmbench::test
