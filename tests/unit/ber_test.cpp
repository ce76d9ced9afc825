// BER and fast BER: setup line sequences, refusals and result decoding.
#include <cstring>
#include <string>
#include <vector>

#include "driver_test.h"
#include "meas/ber.h"

namespace gsmbench::test {
namespace {

using Lines = std::vector<std::string>;

MeasurementSetup general(ViInt32 measurement) {
    MeasurementSetup s{};
    s.measurement = measurement;
    s.countState = 7; // never sent
    s.count = 10000;
    s.timeoutState = 0;
    s.timeout = 3.0f;
    s.timeoutUnit = 0;
    s.armState = 1;
    s.triggerSource = 3; // the trigger fields are not read
    s.triggerDelay = 1.0f;
    s.delayUnit = 1;
    s.triggerQualifier = 1;
    return s;
}

BerSetup ber_setup() {
    BerSetup b{};
    b.clsDelayTime = 0.5f;
    b.clsDelayUnit = 0;
    b.slControl = 1;
    b.berType = GSMB_BER_TYPEIA;
    b.reserved = 99;
    b.manualDelay = 0;
    return b;
}

using SetupFn = ViStatus (*)(ViSession, const MeasurementSetup *, const BerSetup *);

class BitError : public DriverTest {};

TEST_F(BitError, SetupSequences) {
    const struct {
        const char *name;
        SetupFn fn;
        ViInt32 measurement;
        void (*change)(MeasurementSetup &, BerSetup &);
        Lines expected;
    } cases[] = {
        {"BER: seven lines",
         BS_SetBERMeasParam,
         GSMB_MEAS_BERR,
         [](MeasurementSetup &, BerSetup &) {},
         {"SET:BERR:COUN 10000\n", "SET:BERR:TIM:STAT 0\n", "SET:BERR:CONT ON\n",
          "SETUP:BERROR:CLSDELAY:STIME 0.500000 S\n", "SETUP:BERROR:SLCONTROL ON\n",
          "SET:BERR:TYPE TYPEIA\n", "SETUP:BERROR:LDCONTROL:AUTO ON\n"}},
        {"FBER: six lines, no type",
         BS_Set_FBER_MeasParam,
         GSMB_MEAS_FBER,
         [](MeasurementSetup &, BerSetup &b) { b.berType = 77; }, // not read by FBER
         {"SET:FBER:COUN 10000\n", "SET:FBER:TIM:STAT 0\n", "SET:FBER:CONT ON\n",
          "SETUP:FBERROR:CLSDELAY:STIME 0.500000 S\n", "SETUP:FBERROR:SLCONTROL ON\n",
          "SETUP:FBERROR:LDCONTROL:AUTO ON\n"}},
        {"BER: nine lines with timeout and manual delay",
         BS_SetBERMeasParam,
         GSMB_MEAS_BERR,
         [](MeasurementSetup &s, BerSetup &b) {
             s.timeoutState = 1;
             s.timeoutUnit = 1;
             b.manualDelay = 250;
             b.clsDelayUnit = 1;
             b.berType = GSMB_BER_RESTYPEIA;
         },
         {"SET:BERR:COUN 10000\n", "SET:BERR:TIM:STAT 1\n", "SET:BERR:TIM:TIME 3.000000 MS\n",
          "SET:BERR:CONT ON\n", "SETUP:BERROR:CLSDELAY:STIME 0.500000 MS\n",
          "SETUP:BERROR:SLCONTROL ON\n", "SET:BERR:TYPE RESTYPEIA\n",
          "SETUP:BERROR:LDCONTROL:AUTO OFF\n", "SETUP:BERROR:MANUAL:DELAY 250\n"}},
        {"FBER: fallbacks and a negative manual delay",
         BS_Set_FBER_MeasParam,
         GSMB_MEAS_FBER,
         [](MeasurementSetup &s, BerSetup &b) {
             s.armState = 2;
             s.timeoutState = 1;
             s.timeoutUnit = 2;
             b.clsDelayUnit = 2;
             b.slControl = 2;
             b.manualDelay = -3;
         },
         {"SET:FBER:COUN 10000\n", "SET:FBER:TIM:STAT 1\n", "SET:FBER:TIM:TIME 3.000000 S\n",
          "SET:FBER:CONT OFF\n", "SETUP:FBERROR:CLSDELAY:STIME 0.500000 S\n",
          "SETUP:FBERROR:SLCONTROL OFF\n", "SETUP:FBERROR:LDCONTROL:AUTO OFF\n",
          "SETUP:FBERROR:MANUAL:DELAY -3\n"}},
        {"general lines follow the record's measurement",
         BS_SetBERMeasParam,
         GSMB_MEAS_GBER,
         [](MeasurementSetup &, BerSetup &b) { b.berType = GSMB_BER_RESTYPEIB; },
         {"SET:GBER:COUN 10000\n", "SET:GBER:TIM:STAT 0\n", "SET:GBER:CONT ON\n",
          "SETUP:BERROR:CLSDELAY:STIME 0.500000 S\n", "SETUP:BERROR:SLCONTROL ON\n",
          "SET:BERR:TYPE RESTYPEIB\n", "SETUP:BERROR:LDCONTROL:AUTO ON\n"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        MeasurementSetup setup = general(c.measurement);
        BerSetup ber = ber_setup();
        c.change(setup, ber);
        EXPECT_EQ(c.fn(vi, &setup, &ber), VI_SUCCESS);
        EXPECT_EQ(lines(), c.expected);
    }
}

TEST_F(BitError, RefusedBeforeAnythingIsSent) {
    const MeasurementSetup good = general(GSMB_MEAS_BERR);
    const BerSetup ber = ber_setup();
    const struct {
        const char *name;
        SetupFn fn;
        ViInt32 measurement;
        ViInt32 ber_type;
    } cases[] = {
        {"BER measurement 15", BS_SetBERMeasParam, 15, 0},
        {"BER measurement -1", BS_SetBERMeasParam, -1, 0},
        {"FBER measurement 15", BS_Set_FBER_MeasParam, 15, 0},
        {"FBER measurement INT32_MIN", BS_Set_FBER_MeasParam, INT32_MIN, 0},
        {"BER type 6", BS_SetBERMeasParam, GSMB_MEAS_BERR, 6},
        {"BER type -1", BS_SetBERMeasParam, GSMB_MEAS_BERR, -1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        MeasurementSetup setup = good;
        setup.measurement = c.measurement;
        BerSetup b = ber;
        b.berType = c.ber_type;
        EXPECT_EQ(c.fn(vi, &setup, &b), kSystemError);
        EXPECT_TRUE(lines().empty());
    }
    EXPECT_EQ(BS_SetBERMeasParam(vi, nullptr, &ber), kSystemError);
    EXPECT_EQ(BS_SetBERMeasParam(vi, &good, nullptr), kSystemError);
    EXPECT_EQ(BS_Set_FBER_MeasParam(vi, nullptr, &ber), kSystemError);
    EXPECT_EQ(BS_Set_FBER_MeasParam(vi, &good, nullptr), kSystemError);
    EXPECT_TRUE(lines().empty());
}

TEST_F(BitError, SequenceStopsAtTheFirstFailingLine) {
    MeasurementSetup setup = general(GSMB_MEAS_BERR);
    BerSetup ber = ber_setup();
    ber.manualDelay = 250;
    const struct {
        const char *name;
        int failing_write;
        ViStatus injected;
        std::string last_line;
    } cases[] = {
        {"count line", 0, VI_ERROR_TMO, "SET:BERR:COUN 10000\n"},
        {"settling time warns", 3, kWarning, "SETUP:BERROR:CLSDELAY:STIME 0.500000 S\n"},
        {"type line", 5, VI_ERROR_IO, "SET:BERR:TYPE TYPEIA\n"},
        {"AUTO OFF: no manual delay", 6, VI_ERROR_TMO, "SETUP:BERROR:LDCONTROL:AUTO OFF\n"},
        {"manual delay", 7, VI_ERROR_TMO, "SETUP:BERROR:MANUAL:DELAY 250\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        fail_write(c.injected, c.failing_write);
        EXPECT_EQ(BS_SetBERMeasParam(vi, &setup, &ber), c.injected);
        const Lines sent = lines();
        EXPECT_EQ(sent.size(), static_cast<std::size_t>(c.failing_write + 1));
        ASSERT_FALSE(sent.empty());
        EXPECT_EQ(sent.back(), c.last_line);
    }
}

TEST_F(BitError, ResultDecoding) {
    using FetchFn = ViStatus (*)(ViSession, BerResult *);
    const struct {
        FetchFn fn;
        const char *reply;
        BerResult expected;
    } cases[] = {
        {BS_FETCH_BER_Result, "0,10000,0.25,25\n", {0, 10000, 0.25f, 25.0f}},
        {BS_FETCH_FBER_Result, "0,10000,0.25,25,99\n", {0, 10000, 0.25f, 25.0f}}, // fifth dropped
        {BS_FETCH_BER_Result, "1.9,-2.9\n", {1, -2, 0.0f, 0.0f}},
        {BS_FETCH_FBER_Result, "9.91E+37,9.91E+37,9.91E+37\n", {INT32_MAX, INT32_MAX, 9.91e37f, 0}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.reply);
        SetUp();
        reply(c.reply);
        BerResult r{-7, -7, -7.0f, -7.0f};
        ASSERT_EQ(c.fn(vi, &r), VI_SUCCESS);
        EXPECT_EQ(r.integrity, c.expected.integrity);
        EXPECT_EQ(r.bitsTested, c.expected.bitsTested);
        EXPECT_EQ(r.ratio, c.expected.ratio);
        EXPECT_EQ(r.errorCount, c.expected.errorCount);
    }
}

TEST(BitErrorTables, BerTypeRowsMatchTheirCodes) {
    const auto &table = meas::kBerTypeTable;
    ASSERT_EQ(std::size(table), 6u);
    for (std::size_t i = 0; i < std::size(table); ++i) {
        EXPECT_EQ(table[i].code, static_cast<std::int32_t>(i));
    }
    EXPECT_STREQ(table[GSMB_BER_TYPEII].name, "TYPEII");
    EXPECT_STREQ(table[GSMB_BER_RESTYPEIB].name, "RESTYPEIB");
}

} // namespace
} // namespace gsmbench::test
