// The bench model on its own, driven by a manual clock: call processing,
// measurement timing and results that follow the state of the bench.
#include <gtest/gtest.h>

#include <cmath>

#include "model/bench.h"

namespace gsmbench::sim::model {
namespace {

class ModelTest : public ::testing::Test {
  protected:
    ModelTest() : clock_(std::make_shared<ManualClock>()), bench_(11, clock_) {
        auto a = bench_.access();
        bench_.set_time_scale(1.0);
    }

    // Lets simulated time pass and brings the model up to date.
    void pass(double seconds) {
        clock_->advance(seconds);
        auto a = bench_.access();
    }
    void power(double volts, bool on) {
        auto a = bench_.access();
        bench_.supply.volts = volts;
        bench_.supply.output = on;
        bench_.supply_changed();
    }
    CallState call_state() {
        auto a = bench_.access();
        return bench_.call().state;
    }
    PhoneState phone_state() {
        auto a = bench_.access();
        return bench_.phone().state;
    }
    // Runs one measurement to completion and returns its result.
    MeasResult measure(Meas m) {
        {
            auto a = bench_.access();
            bench_.initiate(m);
        }
        pass(60.0);
        auto a = bench_.access();
        return bench_.fetch(a, m);
    }
    // Powers the phone and waits until its automatic call is connected.
    void connect() {
        power(3.8, true);
        pass(10.0);
        ASSERT_EQ(call_state(), CallState::conn);
    }

    std::shared_ptr<ManualClock> clock_;
    Bench bench_;
};

// --- bands --------------------------------------------------------------

struct PclCase {
    Band band;
    int pcl;
    double dbm;
};

class PclTable : public ::testing::TestWithParam<PclCase> {};

TEST_P(PclTable, NominalPower) {
    EXPECT_DOUBLE_EQ(pcl_power_dbm(GetParam().band, GetParam().pcl), GetParam().dbm);
}

INSTANTIATE_TEST_SUITE_P(Bands, PclTable,
                         ::testing::Values(PclCase{Band::pgsm, 5, 33}, PclCase{Band::pgsm, 19, 5},
                                           PclCase{Band::pgsm, 12, 19}, PclCase{Band::pgsm, 2, 33},
                                           PclCase{Band::egsm, 31, 5},
                                           PclCase{Band::gsm850, 10, 23}, PclCase{Band::dcs, 0, 30},
                                           PclCase{Band::dcs, 15, 0}, PclCase{Band::dcs, 7, 16},
                                           PclCase{Band::dcs, 20, 0}, PclCase{Band::pcs, 30, 30},
                                           PclCase{Band::pcs, 3, 24}));

struct ChannelCase {
    Band band;
    int channel;
    double uplink_mhz; // 0: not a channel of the band
};

class ChannelPlan : public ::testing::TestWithParam<ChannelCase> {};

TEST_P(ChannelPlan, UplinkFrequencyAndValidity) {
    const auto &c = GetParam();
    EXPECT_EQ(channel_valid(c.band, c.channel), c.uplink_mhz != 0.0);
    EXPECT_NEAR(uplink_hz(c.band, c.channel) / 1e6, c.uplink_mhz, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(
    Bands, ChannelPlan,
    ::testing::Values(ChannelCase{Band::pgsm, 1, 890.2}, ChannelCase{Band::pgsm, 124, 914.8},
                      ChannelCase{Band::pgsm, 0, 0}, ChannelCase{Band::egsm, 0, 890.0},
                      ChannelCase{Band::egsm, 975, 880.2}, ChannelCase{Band::rgsm, 955, 876.2},
                      ChannelCase{Band::dcs, 512, 1710.2}, ChannelCase{Band::dcs, 885, 1784.8},
                      ChannelCase{Band::dcs, 886, 0}, ChannelCase{Band::pcs, 810, 1909.8},
                      ChannelCase{Band::gsm850, 251, 848.8}, ChannelCase{Band::gsm450, 259, 450.6},
                      ChannelCase{Band::gsm750, 511, 791.8}));

TEST(PathLoss, InterpolatesBetweenPointsAndHoldsOutside) {
    PathLoss p;
    EXPECT_EQ(p.gain_at(900e6), 0.0);
    ASSERT_TRUE(p.set_frequencies({1800e6, 900e6}));
    ASSERT_TRUE(p.set_gains({-3.0, -1.0}));
    EXPECT_DOUBLE_EQ(p.gain_at(900e6), -1.0);
    EXPECT_DOUBLE_EQ(p.gain_at(1350e6), -2.0);
    EXPECT_DOUBLE_EQ(p.gain_at(100e6), -1.0);
    EXPECT_DOUBLE_EQ(p.gain_at(2000e6), -3.0);
    p.set_frequencies({});
    EXPECT_DOUBLE_EQ(p.gain_at(1e9), -3.0); // gains without frequencies: the first everywhere
}

// --- call processing ------------------------------------------------------

TEST_F(ModelTest, PhoneBootsRegistersAndPlacesItsAutomaticCall) {
    EXPECT_EQ(phone_state(), PhoneState::off);
    power(3.8, true);
    EXPECT_EQ(phone_state(), PhoneState::booting);
    pass(2.0); // boot
    EXPECT_EQ(phone_state(), PhoneState::registering);
    pass(1.5); // location update
    EXPECT_EQ(phone_state(), PhoneState::idle);
    EXPECT_EQ(call_state(), CallState::idle);
    pass(1.0); // automatic call delay
    EXPECT_EQ(call_state(), CallState::sreq);
    pass(0.3);
    EXPECT_EQ(call_state(), CallState::aler);
    pass(0.6);
    EXPECT_EQ(call_state(), CallState::conn);
}

TEST_F(ModelTest, LatePollSeesTheWholeChainAtOnce) {
    power(3.8, true);
    pass(100.0);
    EXPECT_EQ(call_state(), CallState::conn);
}

struct NoCampCase {
    const char *name;
    double volts;
    bool output;
    OperatingMode mode;
    double cell_dbm;
    Band band;
};

class NoCamp : public ModelTest, public ::testing::WithParamInterface<NoCampCase> {};

TEST_P(NoCamp, PhoneDoesNotRegister) {
    const auto &c = GetParam();
    {
        auto a = bench_.access();
        bench_.ts.mode = c.mode;
        bench_.ts.cell_power_dbm = c.cell_dbm;
        bench_.ts.cell_band = c.band;
    }
    power(c.volts, c.output);
    pass(30.0);
    EXPECT_NE(phone_state(), PhoneState::idle) << c.name;
    EXPECT_EQ(call_state(), CallState::idle) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Conditions, NoCamp,
    ::testing::Values(
        NoCampCase{"output off", 3.8, false, OperatingMode::call, -85, Band::pgsm},
        NoCampCase{"under voltage", 3.2, true, OperatingMode::call, -85, Band::pgsm},
        NoCampCase{"over voltage", 4.5, true, OperatingMode::call, -85, Band::pgsm},
        NoCampCase{"cell off", 3.8, true, OperatingMode::off, -85, Band::pgsm},
        NoCampCase{"below sensitivity", 3.8, true, OperatingMode::call, -108.5, Band::pgsm},
        NoCampCase{"band the phone lacks", 3.8, true, OperatingMode::call, -85, Band::gsm450}));

TEST_F(ModelTest, RegistersAtTheVoltageLimitsAndAtSensitivity) {
    {
        auto a = bench_.access();
        bench_.ts.cell_power_dbm = -108.0;
    }
    power(3.3, true);
    pass(10.0);
    EXPECT_EQ(phone_state(), PhoneState::idle);
    power(4.4, true);
    pass(10.0);
    EXPECT_EQ(phone_state(), PhoneState::idle);
}

TEST_F(ModelTest, BlockedRegistrationAndAutoCallOff) {
    {
        auto a = bench_.access();
        bench_.phone_cfg.block_registration = true;
    }
    power(3.8, true);
    pass(60.0);
    EXPECT_EQ(phone_state(), PhoneState::registering);
    {
        auto a = bench_.access();
        bench_.phone_cfg.block_registration = false;
        bench_.phone_cfg.autocall = false;
    }
    pass(2.0);
    EXPECT_EQ(phone_state(), PhoneState::idle);
    pass(60.0);
    EXPECT_EQ(call_state(), CallState::idle);
    {
        auto a = bench_.access();
        bench_.originate();
    }
    EXPECT_EQ(call_state(), CallState::pag);
    pass(0.5);
    EXPECT_EQ(call_state(), CallState::aler);
    pass(0.6);
    EXPECT_EQ(call_state(), CallState::conn);
}

TEST_F(ModelTest, AutoCallDelayIsHonoured) {
    {
        auto a = bench_.access();
        bench_.phone_cfg.autocall_delay_s = 5.0;
    }
    power(3.8, true);
    pass(3.5 + 4.9);
    EXPECT_EQ(call_state(), CallState::idle);
    pass(0.2);
    EXPECT_EQ(call_state(), CallState::sreq);
}

TEST_F(ModelTest, EndGoesThroughDiscToIdleAndThePhoneDoesNotCallAgain) {
    connect();
    {
        auto a = bench_.access();
        bench_.end_call();
    }
    EXPECT_EQ(call_state(), CallState::disc);
    pass(0.2);
    EXPECT_EQ(call_state(), CallState::idle);
    pass(60.0);
    EXPECT_EQ(call_state(), CallState::idle);
}

TEST_F(ModelTest, PowerLossDropsTheCall) {
    connect();
    power(3.8, false);
    EXPECT_EQ(call_state(), CallState::idle);
    EXPECT_EQ(phone_state(), PhoneState::off);
}

TEST_F(ModelTest, CurrentLimitBrownsThePhoneOutUntilTheSupplyIsSetAgain) {
    {
        auto a = bench_.access();
        bench_.supply.current_limit_a = 0.2;
    }
    power(3.8, true);
    pass(10.0);
    // In the call at 33 dBm the phone draws about 0.25 A: more than the limit.
    EXPECT_EQ(phone_state(), PhoneState::off);
    EXPECT_EQ(call_state(), CallState::idle);
    pass(10.0);
    EXPECT_EQ(phone_state(), PhoneState::off);
    {
        auto a = bench_.access();
        bench_.supply.current_limit_a = 3.0;
        bench_.supply_changed();
    }
    pass(10.0);
    EXPECT_EQ(phone_state(), PhoneState::idle);
}

TEST_F(ModelTest, HandoverMovesTheCallToThePendingChannel) {
    connect();
    {
        auto a = bench_.access();
        bench_.set_tch_band(Band::dcs, false);
        bench_.set_tch_channel(Band::dcs, 600, false);
        EXPECT_EQ(bench_.ts.tch.band, Band::pgsm); // pending only while the call is up
        bench_.handover();
    }
    EXPECT_EQ(call_state(), CallState::hand);
    pass(0.3);
    EXPECT_EQ(call_state(), CallState::conn);
    auto a = bench_.access();
    EXPECT_EQ(bench_.ts.tch.band, Band::dcs);
    EXPECT_EQ(bench_.ts.tch.channel[static_cast<std::size_t>(Band::dcs)], 600);
}

TEST_F(ModelTest, HandoverToABandThePhoneLacksDropsTheCall) {
    connect();
    {
        auto a = bench_.access();
        bench_.set_tch_band(Band::gsm450, false);
        bench_.handover();
    }
    pass(0.3);
    EXPECT_EQ(call_state(), CallState::idle);
}

TEST_F(ModelTest, ArmedDetectorReportsAChangeSeenBeforeTheQuery) {
    power(3.8, true);
    {
        auto a = bench_.access();
        bench_.arm_detector();
        EXPECT_TRUE(bench_.call().armed);
    }
    pass(10.0);
    auto a = bench_.access();
    EXPECT_TRUE(bench_.query_connected(a));
    EXPECT_FALSE(bench_.call().armed);
}

TEST_F(ModelTest, ArmedDetectorWithoutAChangeAnswersTheStateAtTheTimeout) {
    auto a = bench_.access();
    bench_.arm_detector();
    // A manual clock cannot wait: the query returns as at its time-out.
    EXPECT_FALSE(bench_.query_connected(a));
    EXPECT_FALSE(bench_.call().armed);
}

// --- measurements -------------------------------------------------------

TEST_F(ModelTest, MeasurementRunsForItsDurationAndIsReportedDoneOnce) {
    connect();
    {
        auto a = bench_.access();
        bench_.settings(Meas::txp).count_state = true;
        bench_.settings(Meas::txp).count = 20;
        bench_.initiate(Meas::txp);
        bool running = false;
        EXPECT_FALSE(bench_.take_done(running).has_value());
        EXPECT_TRUE(running); // INIT:DONE? says WAIT
    }
    const double d = [&] {
        auto a = bench_.access();
        return bench_.duration_s(Meas::txp);
    }();
    pass(d * 0.9);
    {
        auto a = bench_.access();
        bool running = false;
        EXPECT_FALSE(bench_.take_done(running).has_value());
        EXPECT_TRUE(running);
    }
    pass(d * 0.2);
    auto a = bench_.access();
    bool running = true;
    EXPECT_EQ(bench_.take_done(running), Meas::txp);
    EXPECT_FALSE(bench_.take_done(running).has_value());
    EXPECT_FALSE(running); // NONE
    ASSERT_EQ(bench_.measurements_on().size(), 1u);
}

TEST_F(ModelTest, TimeoutEndsALongMeasurement) {
    connect();
    {
        auto a = bench_.access();
        auto &s = bench_.settings(Meas::berr);
        s.count = 1000000;
        s.timeout_state = true;
        s.timeout_s = 1.0;
    }
    const MeasResult r = measure(Meas::berr);
    EXPECT_EQ(r.integrity, Integrity::timeout);
}

TEST_F(ModelTest, DoneOrderFollowsCompletion) {
    connect();
    {
        auto a = bench_.access();
        bench_.initiate(Meas::orfs); // the longest of the three
        bench_.initiate(Meas::txp);
        bench_.initiate(Meas::pfer);
    }
    pass(60.0);
    auto a = bench_.access();
    bool running = false;
    EXPECT_EQ(bench_.take_done(running), Meas::txp);
    EXPECT_EQ(bench_.take_done(running), Meas::pfer);
    EXPECT_EQ(bench_.take_done(running), Meas::orfs);
    EXPECT_FALSE(bench_.take_done(running).has_value());
}

TEST_F(ModelTest, NoSignalGivesANonZeroIntegrityAndNoValues) {
    power(3.8, true); // not yet in a call
    const MeasResult r = measure(Meas::txp);
    EXPECT_EQ(r.integrity, Integrity::under_range);
    ASSERT_EQ(r.values.size(), 1u);
    EXPECT_EQ(r.values[0], not_a_number);
    auto a = bench_.access();
    EXPECT_EQ(bench_.fetch(a, Meas::pvt).integrity, Integrity::no_result); // never initiated
}

struct PowerCase {
    Band band;
    int pcl;
    double correction_db; // path-loss correction at every frequency
    double cable_loss_db; // the real loss
    double expected_dbm;  // reported by the test set
};

class TxPower : public ModelTest, public ::testing::WithParamInterface<PowerCase> {};

TEST_P(TxPower, FollowsPclAndPathLoss) {
    const auto &c = GetParam();
    {
        auto a = bench_.access();
        bench_.ts.correction.set_gains({c.correction_db});
        bench_.phone_cfg.cable_loss_db = c.cable_loss_db;
        bench_.phone_cfg.power_offset_db = 0.0;
        bench_.set_tch_band(c.band, false);
        bench_.set_tch_txl(c.band, c.pcl, false);
    }
    connect();
    const MeasResult r = measure(Meas::txp);
    ASSERT_EQ(r.integrity, Integrity::normal);
    EXPECT_NEAR(r.values.at(0), c.expected_dbm, 0.5);
}

INSTANTIATE_TEST_SUITE_P(
    Results, TxPower,
    ::testing::Values(PowerCase{Band::pgsm, 5, 0, 0, 33}, PowerCase{Band::pgsm, 19, 0, 0, 5},
                      PowerCase{Band::pgsm, 10, 0, 0, 23}, PowerCase{Band::dcs, 0, 0, 0, 30},
                      PowerCase{Band::dcs, 15, 0, 0, 0},
                      // the correction is added back: -2 dB of loss reads 2 dB more
                      PowerCase{Band::pgsm, 5, -2, 0, 35},
                      // a real loss the correction compensates
                      PowerCase{Band::pgsm, 5, -3, 3, 33}, PowerCase{Band::pgsm, 5, 0, 3, 30}));

TEST_F(ModelTest, BitErrorRatioRisesTowardsSensitivity) {
    connect();
    double previous = -1.0;
    for (double cell : {-60.0, -100.0, -104.0, -107.0, -110.0}) {
        {
            auto a = bench_.access();
            bench_.ts.cell_power_dbm = cell;
            bench_.settings(Meas::berr).count = 100000;
        }
        const MeasResult r = measure(Meas::berr);
        ASSERT_EQ(r.integrity, Integrity::normal) << cell;
        ASSERT_EQ(r.values.size(), 3u);
        EXPECT_EQ(r.values[0], 100000.0);
        EXPECT_NEAR(r.values[1], 100.0 * r.values[2] / r.values[0], 1e-9);
        EXPECT_GE(r.values[1], previous) << cell;
        previous = r.values[1];
    }
    EXPECT_GT(previous, 1.0); // below sensitivity: percent-level errors
}

TEST_F(ModelTest, ReportsFollowCellPowerAndPathLoss) {
    connect();
    auto a = bench_.access();
    bench_.ts.cell_power_dbm = -70.0;
    auto r = bench_.new_report(a);
    ASSERT_TRUE(r.has_value());
    EXPECT_NEAR(r->rx_level, 41, 2);
    EXPECT_EQ(r->rx_quality, 0);
    bench_.ts.correction.set_gains({-10.0}); // the test set raises its output by 10 dB
    clock_->advance(1.0);
    r = bench_.new_report(a);
    EXPECT_NEAR(r->rx_level, 51, 2);
    bench_.ts.cell_power_dbm = -112.0;
    bench_.ts.correction.clear();
    clock_->advance(1.0);
    r = bench_.new_report(a);
    EXPECT_GE(r->rx_quality, 4);
}

TEST_F(ModelTest, OrfsValuesFollowTheOffsetLists) {
    connect();
    {
        auto a = bench_.access();
        bench_.orfs.switching_hz = {400e3, 1800e3};
        bench_.orfs.modulation_hz = {};
    }
    MeasResult r = measure(Meas::orfs);
    ASSERT_EQ(r.values.size(), 2u);
    EXPECT_GT(r.values[0], r.values[1]); // falls with the offset
    EXPECT_TRUE(r.within_limits);
    // A starved supply compresses the PA: splatter beyond the limits.
    power(3.35, true);
    r = measure(Meas::orfs);
    EXPECT_FALSE(r.within_limits);
    EXPECT_EQ(measure(Meas::pvt).values.at(0), 1.0); // mask failed
}

TEST_F(ModelTest, SupplyCurrentFollowsThePhone) {
    auto current = [&] {
        auto a = bench_.access();
        return bench_.supply_output_amps();
    };
    EXPECT_EQ(current(), 0.0);
    power(3.8, true);
    const double booting = current();
    pass(3.5);
    const double idle = current();
    pass(5.0);
    const double in_call = current();
    EXPECT_GT(booting, idle);
    EXPECT_GT(in_call, booting);
    {
        auto a = bench_.access();
        bench_.set_tch_txl(Band::pgsm, 19, true);
    }
    EXPECT_LT(current(), in_call);
}

TEST_F(ModelTest, StateDumpNamesThePhoneAndTheCall) {
    connect();
    auto a = bench_.access();
    const auto j = bench_.dump();
    EXPECT_EQ(j["phone"]["state"], "IDLE");
    EXPECT_EQ(j["test_set"]["call"]["state"], "CONN");
    EXPECT_EQ(j["supply"]["volts"], 3.8);
}

TEST(ModelSeed, EqualSeedsGiveEqualResults) {
    auto run = [](std::uint64_t seed) {
        auto clock = std::make_shared<ManualClock>();
        Bench b(seed, clock);
        {
            auto a = b.access();
            b.set_time_scale(0.0);
            b.supply.volts = 3.8;
            b.supply.output = true;
        }
        auto a = b.access();
        b.initiate(Meas::pfer);
        return b.fetch(a, Meas::pfer).values;
    };
    EXPECT_EQ(run(3), run(3));
    EXPECT_NE(run(3), run(4));
}

} // namespace
} // namespace gsmbench::sim::model

namespace gsmbench::sim::model {
namespace {

TEST_F(ModelTest, ContinuousMeasurementKeepsRunningAndReportsEachCompletion) {
    connect();
    double d = 0.0;
    {
        auto a = bench_.access();
        bench_.settings(Meas::txp).continuous = true;
        bench_.initiate(Meas::txp);
        d = bench_.duration_s(Meas::txp);
    }
    pass(d * 3.5);
    auto a = bench_.access();
    bool running = false;
    EXPECT_EQ(bench_.take_done(running), Meas::txp);
    EXPECT_FALSE(bench_.take_done(running).has_value());
    EXPECT_TRUE(running); // the next cycle is under way: WAIT
    EXPECT_EQ(bench_.fetch(a, Meas::txp).integrity, Integrity::normal); // the last cycle's result
}

} // namespace
} // namespace gsmbench::sim::model
