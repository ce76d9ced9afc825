// The typical production test, end to end through the library: set up the
// cell, power the phone, wait for registration and the call, measure TX
// power, PFER, PVT, ORFS, BER and the RX reports, hand over, end the call and
// power off. Run with instant time and with a fast but real time scale, where
// the polls meet WAIT and the states in between.
#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>

#include <visa.h>

#include "integration_fixture.h"

namespace gsmbench::integration {
namespace {

class TypicalTest : public BenchSession, public ::testing::WithParamInterface<double> {
  protected:
    void SetUp() override { open(false, GetParam()); }

    // Polls the call state until it is `wanted` (bounded).
    ::testing::AssertionResult wait_call_state(ViInt32 wanted) {
        ViInt32 state = -1;
        for (int i = 0; i < 20000; ++i) {
            const ViStatus status = BS_Query_Call_State(ts_, &state);
            if (status != VI_SUCCESS)
                return ::testing::AssertionFailure() << "call-state query failed: " << status;
            if (state == wanted)
                return ::testing::AssertionSuccess();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return ::testing::AssertionFailure() << "call state stayed " << state << ", wanted " << wanted;
    }

    // Starts a measurement and polls the done query until it names it.
    void run(ViInt32 init_code) {
        ASSERT_EQ(BS_Init_Measurement_ON(ts_, init_code), VI_SUCCESS);
        for (int i = 0; i < 20000; ++i) {
            ViInt32 done = -1;
            ASSERT_EQ(BS_Init_Measurement_DONE(ts_, &done), VI_SUCCESS);
            if (done == init_code)
                return;
            ASSERT_EQ(done, GSMB_INIT_WAIT); // nothing else runs
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        FAIL() << "measurement " << init_code << " never reported done";
    }

    static MeasurementSetup setup_of(ViInt32 measurement, ViInt32 count) {
        MeasurementSetup s{};
        s.measurement = measurement;
        s.countState = 1;
        s.count = count;
        s.timeoutState = 1;
        s.timeout = 60.0f;
        s.timeoutUnit = GSMB_UNIT_S;
        s.armState = 0;
        s.triggerSource = GSMB_TRIG_AUTO;
        s.delayUnit = GSMB_UNIT_S;
        return s;
    }
};

TEST_P(TypicalTest, RegistrationCallMeasurementsHandoverEndPowerOff) {
    // The cell.
    ASSERT_EQ(BS_Set_Call_Operating_Mode(ts_, 1), VI_SUCCESS);
    ASSERT_EQ(BS_Set_Call_Band_Mode(ts_, GSMB_BAND_PGSM), VI_SUCCESS);
    const ChannelBandCode bch{GSMB_BAND_PGSM, GSMB_CHANNEL_BCH, 20};
    const ChannelBandCode tch{GSMB_BAND_PGSM, GSMB_CHANNEL_TCH, 45};
    ASSERT_EQ(BS_Set_ChannelForBand(ts_, &bch), VI_SUCCESS);
    ASSERT_EQ(BS_Set_ChannelForBand(ts_, &tch), VI_SUCCESS);
    ASSERT_EQ(BS_Set_Call_Pow(ts_, -70.0f), VI_SUCCESS);
    const BandValue txl{GSMB_BAND_PGSM, 5};
    ASSERT_EQ(BS_Set_Call_Ms_TXL(ts_, &txl), VI_SUCCESS);
    const CellIdentity id{460, 1, 0, 1, 5};
    ASSERT_EQ(BS_Set_Net_Parameter(ts_, &id), VI_SUCCESS);
    CorrectionTable loss{};
    std::strcpy(loss.point[0].frequency, "900MHZ");
    loss.point[0].gain = -1.0f;
    std::strcpy(loss.point[1].frequency, "1800MHZ");
    loss.point[1].gain = -2.0f;
    loss.count = 2;
    ASSERT_EQ(BS_Set_Syst_Corr_Freq_And_Offset(ts_, &loss), VI_SUCCESS);

    // The phone: powered, it registers and places its call. The supply is
    // another connection, whose line could overtake the cell's queued lines:
    // hear from the test set first, so the phone camps on the configured cell
    // rather than the reset one (and does not register afresh after the call).
    ViInt32 before_power = -1;
    ASSERT_EQ(BS_Query_Call_State(ts_, &before_power), VI_SUCCESS);
    ASSERT_EQ(Power_Set_Voltage(supply_, 3.8f, 1), VI_SUCCESS);
    ASSERT_TRUE(wait_call_state(GSMB_CALL_CONN));
    ViInt32 connected = 0;
    ASSERT_EQ(BS_Call_Connected_State_Query(ts_, &connected), VI_SUCCESS);
    EXPECT_EQ(connected, 1);

    // TX power: PCL 5 is 33 dBm (+0.3 dB for this handset), and the -1 dB
    // correction at 900 MHz is added back.
    MeasurementSetup s = setup_of(GSMB_MEAS_TXP, 10);
    ASSERT_EQ(BS_SetMeasurementParameter(ts_, &s), VI_SUCCESS);
    run(GSMB_INIT_TXP);
    TxpResult txp{};
    ASSERT_EQ(BS_FETCH_TXP_Result(ts_, &txp), VI_SUCCESS);
    EXPECT_EQ(txp.integrity, 0);
    EXPECT_NEAR(txp.power, 34.3, 0.5);

    run(GSMB_INIT_PFER);
    PferResult pfer{};
    ASSERT_EQ(BS_FETCH_PFER_Result(ts_, &pfer), VI_SUCCESS);
    EXPECT_EQ(pfer.integrity, 0);
    EXPECT_GT(pfer.rmsPhaseError, 0.5f);
    EXPECT_LT(pfer.rmsPhaseError, 5.0f);
    EXPECT_GT(pfer.peakPhaseError, pfer.rmsPhaseError);
    EXPECT_LT(std::fabs(pfer.frequencyError), 90.0f);

    s = setup_of(GSMB_MEAS_PVT, 5);
    ASSERT_EQ(BS_SetPVTMeasParam(ts_, &s), VI_SUCCESS);
    run(GSMB_INIT_PVT);
    PvtResult pvt{};
    ASSERT_EQ(BS_FETCH_PVT_Result(ts_, &pvt), VI_SUCCESS);
    EXPECT_EQ(pvt.integrity, 0);
    EXPECT_EQ(pvt.value[0], 0.0f); // mask passed
    EXPECT_NEAR(pvt.value[1], 34.3, 0.5);

    s = setup_of(GSMB_MEAS_ORFS, 5);
    OrfsFrequencies offsets{};
    const char *sw[] = {"400KHZ", "600KHZ", "1200KHZ", "1800KHZ"};
    const char *mod[] = {"100KHZ", "200KHZ", "250KHZ", "400KHZ", "600KHZ", "1200KHZ"};
    for (int i = 0; i < 4; ++i)
        std::strcpy(offsets.switching[i], sw[i]);
    for (int i = 0; i < 6; ++i)
        std::strcpy(offsets.modulation[i], mod[i]);
    offsets.switchingCount = 4;
    offsets.modulationCount = 6;
    ASSERT_EQ(BS_SetORFSMeasParam(ts_, &s, &offsets), VI_SUCCESS);
    run(GSMB_INIT_ORFS);
    OrfsResult orfs{};
    ASSERT_EQ(BS_FETCH_ORFS_Result(ts_, &orfs), VI_SUCCESS);
    EXPECT_EQ(orfs.integrity, 0);
    EXPECT_LT(orfs.value[0], -20.0f);        // switching at 400 kHz, dBm
    EXPECT_LT(orfs.value[3], orfs.value[0]); // lower further out
    EXPECT_LT(orfs.value[5], -25.0f);        // modulation at 200 kHz, dB
    EXPECT_EQ(orfs.value[10], 0.0f);         // only ten values were asked for
    ViInt32 pass = 0;
    ASSERT_EQ(BS_FETCH_ORFS_Result_Pass(ts_, &pass), VI_SUCCESS);
    EXPECT_EQ(pass, 1);

    s = setup_of(GSMB_MEAS_BERR, 10000);
    const BerSetup ber_setup{0.1f, GSMB_UNIT_S, 1, GSMB_BER_TYPEII, 0, 0};
    ASSERT_EQ(BS_SetBERMeasParam(ts_, &s, &ber_setup), VI_SUCCESS);
    run(GSMB_INIT_BERR);
    BerResult ber{};
    ASSERT_EQ(BS_FETCH_BER_Result(ts_, &ber), VI_SUCCESS);
    EXPECT_EQ(ber.integrity, 0);
    EXPECT_EQ(ber.bitsTested, 10000);
    EXPECT_LT(ber.ratio, 0.1f); // a strong cell: next to no errors

    // The phone's reports: -70 dBm with 1 dB of correction arrives as -69 dBm.
    ViInt32 level = 0;
    ASSERT_EQ(BS_FETCH_RX_Level_Result(ts_, &level), VI_SUCCESS);
    EXPECT_NEAR(level, 42, 2);
    ASSERT_EQ(BS_FETCH_RX_Level_New_Result(ts_, &level), VI_SUCCESS);
    EXPECT_NEAR(level, 42, 2);
    ViInt32 quality = -1;
    ASSERT_EQ(BS_FETCH_RX_Quality_Result(ts_, &quality), VI_SUCCESS);
    EXPECT_EQ(quality, 0);
    ViReal32 new_quality = -1.0f;
    ASSERT_EQ(BS_FETCH_RX_Quality_New_Result(ts_, &new_quality), VI_SUCCESS);
    EXPECT_EQ(new_quality, 0.0f);

    // Handover to DCS 600 at its highest level.
    ASSERT_EQ(BS_Set_TCH_Band_Mode(ts_, GSMB_BAND_DCS), VI_SUCCESS);
    ChannelBandText target{};
    std::strcpy(target.channelType, "TCH");
    std::strcpy(target.band, "DCS");
    target.channel = 600;
    ASSERT_EQ(BS_Set_ChannelType_For_Band(ts_, &target), VI_SUCCESS);
    ASSERT_EQ(BS_Call_Handover(ts_), VI_SUCCESS);
    ASSERT_TRUE(wait_call_state(GSMB_CALL_CONN));
    ViInt32 band = -1;
    ASSERT_EQ(BS_Get_TCH_Band_Mode(ts_, &band), VI_SUCCESS);
    EXPECT_EQ(band, GSMB_BAND_DCS);
    ViInt32 channel = -1;
    ASSERT_EQ(BS_Get_TCH_Current_Channel_NUM(ts_, &channel), VI_SUCCESS);
    EXPECT_EQ(channel, 600);
    run(GSMB_INIT_TXP);
    ASSERT_EQ(BS_FETCH_TXP_Result(ts_, &txp), VI_SUCCESS);
    EXPECT_EQ(txp.integrity, 0);
    EXPECT_NEAR(txp.power, 30.3 + 1.94, 0.5); // DCS PCL 0, correction interpolated at 1747 MHz

    // End the call and power off.
    ASSERT_EQ(BS_Call_End(ts_), VI_SUCCESS);
    ASSERT_TRUE(wait_call_state(GSMB_CALL_IDLE));
    ASSERT_EQ(Power_Turn_Off(supply_), VI_SUCCESS);
    // Read on the supply's own session, so that the OUTP OFF line came first.
    ViChar current[256] = {};
    ASSERT_EQ(viPrintf(supply_, "MEAS:CURR?\n"), VI_SUCCESS);
    ASSERT_EQ(viScanf(supply_, "%255t", current), VI_SUCCESS);
    EXPECT_STREQ(current, "+0.00000E+00\n");

    // Without a signal a measurement says so in its integrity indicator.
    run(GSMB_INIT_TXP);
    ASSERT_EQ(BS_FETCH_TXP_Result(ts_, &txp), VI_SUCCESS);
    EXPECT_NE(txp.integrity, 0);

    EXPECT_TRUE(is_no_error(sim_error())) << sim_error();
    EXPECT_TRUE(is_no_error(supply_error())) << supply_error();
}

INSTANTIATE_TEST_SUITE_P(TimeScales, TypicalTest, ::testing::Values(0.0, 0.01));

} // namespace
} // namespace gsmbench::integration
