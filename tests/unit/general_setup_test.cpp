// The general measurement setup: the plans (white-box, since other entry
// points reuse them) and BS_SetMeasurementParameter (black-box).
#include <clocale>
#include <string>
#include <vector>

#include "driver_test.h"
#include "meas/general_setup.h"

namespace gsmbench::test {
namespace {

using Lines = std::vector<std::string>;

MeasurementSetup txp_example() {
    MeasurementSetup s{};
    s.measurement = GSMB_MEAS_TXP;
    s.countState = 1;
    s.count = 10;
    s.timeoutState = 1;
    s.timeout = 2.5F;
    s.timeoutUnit = GSMB_UNIT_S;
    s.armState = 0;
    s.triggerSource = GSMB_TRIG_IMM;
    s.triggerDelay = 0.5F;
    s.delayUnit = GSMB_UNIT_MS;
    s.triggerQualifier = 1;
    return s;
}

const Lines kTxpExampleLines = {"SET:TXP:COUNt:STAT 1\n",
                                "SET:TXP:COUNt:NUMB 10\n",
                                "SET:TXP:TIM:STAT 1\n",
                                "SET:TXP:TIM:TIME 2.500000 S\n",
                                "SET:TXP:CONT OFF\n",
                                "SET:TXP:TRIG:SOUR IMM\n",
                                "SET:TXP:TRIG:DEL 0.500000 MS\n",
                                "SETUP:TXP:TRIGGER:QUALIFIER ON\n"};

using GeneralSetupTest = DriverTest;

TEST_F(GeneralSetupTest, CombinedSetupSendsEveryLineInOrder) {
    const MeasurementSetup s = txp_example();
    EXPECT_EQ(BS_SetMeasurementParameter(vi, &s), VI_SUCCESS);
    EXPECT_EQ(lines(), kTxpExampleLines);
}

// Each row changes one field of the example and names the lines that differ:
// fallbacks, gated lines and the values sent unchanged.
struct Variant {
    const char *name;
    void (*change)(MeasurementSetup &);
    Lines expected;
};

const Variant kVariants[] = {
    {"count state 0 skips the count",
     [](MeasurementSetup &s) { s.countState = 0; },
     {"SET:TXP:COUNt:STAT 0\n", "SET:TXP:TIM:STAT 1\n", "SET:TXP:TIM:TIME 2.500000 S\n",
      "SET:TXP:CONT OFF\n", "SET:TXP:TRIG:SOUR IMM\n", "SET:TXP:TRIG:DEL 0.500000 MS\n",
      "SETUP:TXP:TRIGGER:QUALIFIER ON\n"}},
    {"count state 2 is sent as 2 and skips the count",
     [](MeasurementSetup &s) { s.countState = 2; },
     {"SET:TXP:COUNt:STAT 2\n", "SET:TXP:TIM:STAT 1\n", "SET:TXP:TIM:TIME 2.500000 S\n",
      "SET:TXP:CONT OFF\n", "SET:TXP:TRIG:SOUR IMM\n", "SET:TXP:TRIG:DEL 0.500000 MS\n",
      "SETUP:TXP:TRIGGER:QUALIFIER ON\n"}},
    {"both states off: six lines",
     [](MeasurementSetup &s) {
         s.countState = 0;
         s.timeoutState = -1;
     },
     {"SET:TXP:COUNt:STAT 0\n", "SET:TXP:TIM:STAT -1\n", "SET:TXP:CONT OFF\n",
      "SET:TXP:TRIG:SOUR IMM\n", "SET:TXP:TRIG:DEL 0.500000 MS\n",
      "SETUP:TXP:TRIGGER:QUALIFIER ON\n"}},
    {"timeout in ms, arm on, source PROT, delay US, qualifier OFF",
     [](MeasurementSetup &s) {
         s.timeoutUnit = GSMB_UNIT_MS;
         s.armState = 1;
         s.triggerSource = GSMB_TRIG_PROT;
         s.delayUnit = GSMB_UNIT_US;
         s.triggerQualifier = 0;
     },
     {"SET:TXP:COUNt:STAT 1\n", "SET:TXP:COUNt:NUMB 10\n", "SET:TXP:TIM:STAT 1\n",
      "SET:TXP:TIM:TIME 2.500000 MS\n", "SET:TXP:CONT ON\n", "SET:TXP:TRIG:SOUR PROT\n",
      "SET:TXP:TRIG:DEL 0.500000 US\n", "SETUP:TXP:TRIGGER:QUALIFIER OFF\n"}},
    {"timeout unit US and NS fall back to seconds; delay NS; source RISE",
     [](MeasurementSetup &s) {
         s.timeoutUnit = GSMB_UNIT_NS;
         s.triggerSource = GSMB_TRIG_RISE;
         s.delayUnit = GSMB_UNIT_NS;
     },
     {"SET:TXP:COUNt:STAT 1\n", "SET:TXP:COUNt:NUMB 10\n", "SET:TXP:TIM:STAT 1\n",
      "SET:TXP:TIM:TIME 2.500000 S\n", "SET:TXP:CONT OFF\n", "SET:TXP:TRIG:SOUR RISE\n",
      "SET:TXP:TRIG:DEL 0.500000 NS\n", "SETUP:TXP:TRIGGER:QUALIFIER ON\n"}},
    {"out-of-list codes take the fallbacks (S, AUTO, S, OFF)",
     [](MeasurementSetup &s) {
         s.timeoutUnit = -1;
         s.armState = 2;
         s.triggerSource = -1;
         s.delayUnit = 4;
         s.triggerQualifier = 2;
     },
     {"SET:TXP:COUNt:STAT 1\n", "SET:TXP:COUNt:NUMB 10\n", "SET:TXP:TIM:STAT 1\n",
      "SET:TXP:TIM:TIME 2.500000 S\n", "SET:TXP:CONT OFF\n", "SET:TXP:TRIG:SOUR AUTO\n",
      "SET:TXP:TRIG:DEL 0.500000 S\n", "SETUP:TXP:TRIGGER:QUALIFIER OFF\n"}},
    {"source 4 is AUTO; a tiny delay rounds to zero; negative numbers kept",
     [](MeasurementSetup &s) {
         s.measurement = GSMB_MEAS_RXL;
         s.count = -7;
         s.timeout = -1.25F;
         s.triggerSource = 4;
         s.triggerDelay = 0.0000001F;
         s.delayUnit = GSMB_UNIT_S;
     },
     {"SET:RXL:COUNt:STAT 1\n", "SET:RXL:COUNt:NUMB -7\n", "SET:RXL:TIM:STAT 1\n",
      "SET:RXL:TIM:TIME -1.250000 S\n", "SET:RXL:CONT OFF\n", "SET:RXL:TRIG:SOUR AUTO\n",
      "SET:RXL:TRIG:DEL 0.000000 S\n", "SETUP:RXL:TRIGGER:QUALIFIER ON\n"}},
    {"measurement 0 names AAUD",
     [](MeasurementSetup &s) {
         s.measurement = GSMB_MEAS_AAUD;
         s.timeout = 10.0F;
     },
     {"SET:AAUD:COUNt:STAT 1\n", "SET:AAUD:COUNt:NUMB 10\n", "SET:AAUD:TIM:STAT 1\n",
      "SET:AAUD:TIM:TIME 10.000000 S\n", "SET:AAUD:CONT OFF\n", "SET:AAUD:TRIG:SOUR IMM\n",
      "SET:AAUD:TRIG:DEL 0.500000 MS\n", "SETUP:AAUD:TRIGGER:QUALIFIER ON\n"}},
};

TEST_F(GeneralSetupTest, VariantsSendTheirLines) {
    for (const Variant &v : kVariants) {
        SCOPED_TRACE(v.name);
        fake().reset();
        vi = fake().open_session();
        MeasurementSetup s = txp_example();
        v.change(s);
        EXPECT_EQ(BS_SetMeasurementParameter(vi, &s), VI_SUCCESS);
        EXPECT_EQ(lines(), v.expected);
    }
}

TEST_F(GeneralSetupTest, RefusesBadArgumentsBeforeSending) {
    for (const ViInt32 code : {15, -1, 1000, INT32_MIN}) {
        SCOPED_TRACE(code);
        MeasurementSetup s = txp_example();
        s.measurement = code;
        EXPECT_EQ(BS_SetMeasurementParameter(vi, &s), kSystemError);
    }
    EXPECT_EQ(BS_SetMeasurementParameter(vi, nullptr), kSystemError);
    EXPECT_TRUE(lines().empty());
}

// Failing line n stops the sequence there: lines 0..n were attempted, nothing
// after, and the failing status (an error or a warning) comes back unchanged.
TEST_F(GeneralSetupTest, StopsAtTheFirstFailedLine) {
    for (const ViStatus status : {kSystemError, ViStatus{VI_ERROR_TMO}, kWarning}) {
        for (std::size_t n = 0; n < kTxpExampleLines.size(); ++n) {
            SCOPED_TRACE(testing::Message() << "status " << status << " line " << n);
            fake().reset();
            vi = fake().open_session();
            fail_write(status, static_cast<int>(n));
            const MeasurementSetup s = txp_example();
            EXPECT_EQ(BS_SetMeasurementParameter(vi, &s), status);
            EXPECT_EQ(lines(), Lines(kTxpExampleLines.begin(), kTxpExampleLines.begin() + n + 1));
        }
    }
}

TEST_F(GeneralSetupTest, TimeoutStateFailureFollowsOnlyTheCountLines) {
    MeasurementSetup s = txp_example();
    s.countState = 0;
    fail_write(VI_ERROR_TMO, 1);
    EXPECT_EQ(BS_SetMeasurementParameter(vi, &s), VI_ERROR_TMO);
    EXPECT_EQ(lines(), (Lines{"SET:TXP:COUNt:STAT 0\n", "SET:TXP:TIM:STAT 1\n"}));
}

TEST_F(GeneralSetupTest, FloatsIgnoreTheProcessLocale) {
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "de_DE.UTF-8 locale not installed";
    }
    const MeasurementSetup s = txp_example();
    const ViStatus status = BS_SetMeasurementParameter(vi, &s);
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_EQ(status, VI_SUCCESS);
    EXPECT_EQ(lines(), kTxpExampleLines);
}

// --- the plans other setup entry points reuse --------------------------------

struct PlanCase {
    const char *name;
    meas::SetupPlan plan;
    ViInt32 measurement;
    ViInt32 timeout_state;
    Lines expected;
};

TEST_F(GeneralSetupTest, PlansSendTheirSubsets) {
    const PlanCase cases[] = {
        {"PVT",
         meas::kPvtSetupPlan,
         GSMB_MEAS_PVT,
         1,
         {"SET:PVT:COUNt:STAT 1\n", "SET:PVT:COUNt:NUMB 5\n", "SET:PVT:TIM:STAT 1\n",
          "SET:PVT:TIM:TIME 2.500000 MS\n", "SET:PVT:CONT OFF\n", "SET:PVT:TRIG:SOUR PROT\n",
          "SET:PVT:TRIG:DEL 0.500000 US\n"}},
        {"PVT without timeout",
         meas::kPvtSetupPlan,
         GSMB_MEAS_PVT,
         0,
         {"SET:PVT:COUNt:STAT 1\n", "SET:PVT:COUNt:NUMB 5\n", "SET:PVT:TIM:STAT 0\n",
          "SET:PVT:CONT OFF\n", "SET:PVT:TRIG:SOUR PROT\n", "SET:PVT:TRIG:DEL 0.500000 US\n"}},
        {"ORFS",
         meas::kOrfsSetupPlan,
         GSMB_MEAS_ORFS,
         1,
         {"SET:ORFS:COUNt:STAT 1\n", "SET:ORFS:TIM:STAT 1\n", "SET:ORFS:TIM:TIME 2.500000 MS\n",
          "SET:ORFS:CONT OFF\n", "SET:ORFS:TRIG:SOUR PROT\n", "SET:ORFS:TRIG:DEL 0.500000 US\n"}},
        {"BER",
         meas::kBerSetupPlan,
         GSMB_MEAS_BERR,
         1,
         {"SET:BERR:COUN 5\n", "SET:BERR:TIM:STAT 1\n", "SET:BERR:TIM:TIME 2.500000 MS\n",
          "SET:BERR:CONT OFF\n"}},
        {"FBER without timeout",
         meas::kBerSetupPlan,
         GSMB_MEAS_FBER,
         0,
         {"SET:FBER:COUN 5\n", "SET:FBER:TIM:STAT 0\n", "SET:FBER:CONT OFF\n"}},
    };
    for (const PlanCase &c : cases) {
        SCOPED_TRACE(c.name);
        fake().reset();
        vi = fake().open_session();
        MeasurementSetup s{};
        s.measurement = c.measurement;
        s.countState = 1;
        s.count = 5;
        s.timeoutState = c.timeout_state;
        s.timeout = 2.5F;
        s.timeoutUnit = GSMB_UNIT_MS;
        s.armState = 0;
        s.triggerSource = GSMB_TRIG_PROT;
        s.triggerDelay = 0.5F;
        s.delayUnit = GSMB_UNIT_US;
        s.triggerQualifier = 1;
        EXPECT_EQ(meas::send_general_setup(vi, s, c.plan), VI_SUCCESS);
        EXPECT_EQ(lines(), c.expected);
    }
}

TEST_F(GeneralSetupTest, PlanRefusesMeasurementOutsideTheTable) {
    MeasurementSetup s{};
    for (const ViInt32 code : {15, -1}) {
        s.measurement = code;
        EXPECT_EQ(meas::send_general_setup(vi, s, meas::kBerSetupPlan), kSystemError);
    }
    EXPECT_TRUE(lines().empty());
}

// Table validation: every line of every plan, for every code its selector
// knows and for the codes on either side, composes (its %d/%f directives match
// the printed field), is a command (ends in a line feed, no '?') and names the
// measurement.
TEST_F(GeneralSetupTest, EveryPlanLineComposesForEveryCode) {
    const meas::SetupPlan plans[] = {meas::kCombinedSetupPlan, meas::kPvtSetupPlan,
                                     meas::kOrfsSetupPlan, meas::kBerSetupPlan};
    for (const meas::SetupPlan plan : plans) {
        for (const meas::SetupLine &line : plan) {
            const auto known = static_cast<ViInt32>(line.templates.by_code.size());
            for (ViInt32 code = -1; code <= known; ++code) {
                SCOPED_TRACE(testing::Message() << line.templates.fallback << " code " << code);
                fake().reset();
                vi = fake().open_session();
                MeasurementSetup s{};
                s.measurement = GSMB_MEAS_SMON;
                s.countState = 1;
                s.timeoutState = 1;
                s.timeoutUnit = s.armState = s.triggerSource = s.delayUnit = s.triggerQualifier =
                    code;
                const meas::SetupLine one[] = {line};
                ASSERT_EQ(meas::send_general_setup(vi, s, one), VI_SUCCESS);
                ASSERT_EQ(lines().size(), 1U);
                const std::string sent = lines()[0];
                EXPECT_EQ(sent.back(), '\n');
                EXPECT_EQ(sent.find('?'), std::string::npos);
                EXPECT_NE(sent.find(":SMON:"), std::string::npos);
                EXPECT_EQ(std::string(meas::setup_line_template(line, s)).back(), '\n');
            }
        }
    }
}

} // namespace
} // namespace gsmbench::test
