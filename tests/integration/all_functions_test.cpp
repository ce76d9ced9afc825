// Every exported function, called with ordinary arguments through our VISA
// layer, leaves the simulator's error queue empty; the few calls whose lines
// are ill-formed by the library's design are refused by the instrument.
#include <cstring>
#include <functional>
#include <vector>

#include "integration_fixture.h"

namespace gsmbench::integration {
namespace {

struct Call {
    const char *name;
    std::function<ViStatus(ViSession ts, ViSession supply)> run;
};

ChannelBandText text_record(const char *type, const char *band, int channel) {
    ChannelBandText r{};
    std::strcpy(r.channelType, type);
    std::strcpy(r.band, band);
    r.channel = channel;
    return r;
}

MeasurementSetup setup_of(int measurement) {
    MeasurementSetup s{};
    s.measurement = measurement;
    s.countState = 1;
    s.count = 5;
    s.timeoutState = 1;
    s.timeout = 10.0f;
    s.timeoutUnit = GSMB_UNIT_S;
    s.armState = 0;
    s.triggerSource = GSMB_TRIG_AUTO;
    s.triggerDelay = 0.0f;
    s.delayUnit = GSMB_UNIT_S;
    s.triggerQualifier = 0;
    return s;
}

OrfsFrequencies orfs_offsets(int switching, int modulation) {
    OrfsFrequencies f{};
    const char *sw[] = {"400KHZ",  "600KHZ",  "1200KHZ", "1800KHZ",
                        "3000KHZ", "6000KHZ", "400000",  "600000"};
    for (int i = 0; i < 8; ++i)
        std::strcpy(f.switching[i], sw[i]);
    for (int i = 0; i < 22; ++i)
        std::snprintf(f.modulation[i], sizeof f.modulation[i], "%dKHZ", 100 + 50 * i);
    f.switchingCount = switching;
    f.modulationCount = modulation;
    return f;
}

std::vector<Call> calls() {
    static ViInt32 i32;
    static ViReal32 f32;
    static ViChar text[256];
    std::vector<Call> c = {
        {"Test_8960",
         [](ViSession, ViSession) {
             Test_8960();
             return VI_SUCCESS;
         }},
        {"BS_ReSet", [](ViSession ts, ViSession) { return BS_ReSet(ts); }},
        {"BS_SYST_TurnOn_Debugger on",
         [](ViSession ts, ViSession) { return BS_SYST_TurnOn_Debugger(ts, 2); }},
        {"BS_SYST_TurnOn_Debugger off",
         [](ViSession ts, ViSession) { return BS_SYST_TurnOn_Debugger(ts, 0); }},
        {"BS_Clear_Error", [](ViSession ts, ViSession) { return BS_Clear_Error(ts); }},
        {"BS_Get_Error", [](ViSession ts, ViSession) { return BS_Get_Error(ts, text); }},
        {"BS_Get_Testset_Info",
         [](ViSession ts, ViSession) { return BS_Get_Testset_Info(ts, text); }},
        {"BS_Set_Call_Operating_Mode",
         [](ViSession ts, ViSession) { return BS_Set_Call_Operating_Mode(ts, 1); }},
        {"BS_Get_Call_Operating_Mode",
         [](ViSession ts, ViSession) { return BS_Get_Call_Operating_Mode(ts, &i32); }},
        {"BS_Set_Call_Band_Mode",
         [](ViSession ts, ViSession) { return BS_Set_Call_Band_Mode(ts, GSMB_BAND_PGSM); }},
        {"BS_Set_TCH_Band_Mode",
         [](ViSession ts, ViSession) { return BS_Set_TCH_Band_Mode(ts, GSMB_BAND_PGSM); }},
        {"BS_Get_Call_Band_Mode",
         [](ViSession ts, ViSession) { return BS_Get_Call_Band_Mode(ts, &i32); }},
        {"BS_Get_TCH_Band_Mode",
         [](ViSession ts, ViSession) { return BS_Get_TCH_Band_Mode(ts, &i32); }},
        {"BS_Set_TCH_Channel", [](ViSession ts, ViSession) { return BS_Set_TCH_Channel(ts, 45); }},
        {"BS_Set_Channel_For_Band",
         [](ViSession ts, ViSession) {
             const auto r = text_record("TCH", "DCS", 512);
             return BS_Set_Channel_For_Band(ts, &r);
         }},
        {"BS_Set_ChannelForBand",
         [](ViSession ts, ViSession) {
             const ChannelBandCode r{GSMB_BAND_SEL, GSMB_CHANNEL_BCH, 20};
             return BS_Set_ChannelForBand(ts, &r);
         }},
        {"BS_Set_ChannelType_For_Band",
         [](ViSession ts, ViSession) {
             const auto r = text_record("BCH", "PGSM", 20);
             return BS_Set_ChannelType_For_Band(ts, &r);
         }},
        {"BS_Set_ChannelType_For_Band2",
         [](ViSession ts, ViSession) {
             const auto r = text_record("TCH", "PGSM", 45);
             return BS_Set_ChannelType_For_Band2(ts, &r);
         }},
        {"BS_Set_Active_Band",
         [](ViSession ts, ViSession) {
             const auto r = text_record("TCH", "PGSM", 0);
             return BS_Set_Active_Band(ts, &r);
         }},
        {"BS_Set_ActiveBand",
         [](ViSession ts, ViSession) {
             const ChannelBandCode r{GSMB_BAND_PGSM, GSMB_CHANNEL_TCH, 0};
             return BS_Set_ActiveBand(ts, &r);
         }},
        {"BS_Set_Active_Band_OnType",
         [](ViSession ts, ViSession) {
             const auto r = text_record("TCH", "PGSM", 0);
             return BS_Set_Active_Band_OnType(ts, &r);
         }},
        {"BS_Set_Active_Band2",
         [](ViSession ts, ViSession) {
             const auto r = text_record("BCH", "PGSM", 0);
             return BS_Set_Active_Band2(ts, &r);
         }},
        {"BS_Get_Active_Channel_NUM",
         [](ViSession ts, ViSession) {
             ChannelBandCode r{GSMB_BAND_PGSM, GSMB_CHANNEL_BCH, 0};
             return BS_Get_Active_Channel_NUM(ts, &r);
         }},
        {"BS_Get_TCH_Current_Channel_NUM",
         [](ViSession ts, ViSession) { return BS_Get_TCH_Current_Channel_NUM(ts, &i32); }},
        {"BS_Set_Call_Pow", [](ViSession ts, ViSession) { return BS_Set_Call_Pow(ts, -85.3f); }},
        {"BS_Set_Call_Pow_Amplitude",
         [](ViSession ts, ViSession) { return BS_Set_Call_Pow_Amplitude(ts, -80.0f); }},
        {"BS_Get_Call_Pow", [](ViSession ts, ViSession) { return BS_Get_Call_Pow(ts, &f32); }},
        {"BS_Set_TCH_Ms_Txl", [](ViSession ts, ViSession) { return BS_Set_TCH_Ms_Txl(ts, 5); }},
        {"BS_Set_Call_Ms_TXL",
         [](ViSession ts, ViSession) {
             const BandValue r{GSMB_BAND_SEL, 5};
             return BS_Set_Call_Ms_TXL(ts, &r);
         }},
        {"BS_Get_Call_Ms_TXL",
         [](ViSession ts, ViSession) {
             BandValue r{GSMB_BAND_DCS, 0};
             return BS_Get_Call_Ms_TXL(ts, &r);
         }},
        {"BS_Set_Call_Ms_TXL_OnChannelType",
         [](ViSession ts, ViSession) {
             TypedBandValue r{};
             std::strcpy(r.channelType, "TCH");
             r.band = GSMB_BAND_PGSM;
             r.value = 5;
             return BS_Set_Call_Ms_TXL_OnChannelType(ts, &r);
         }},
        {"BS_Set_Call_Ms_TXL_OnChannelType2",
         [](ViSession ts, ViSession) {
             TypedBandValue r{};
             std::strcpy(r.channelType, "TCH");
             r.band = GSMB_BAND_PGSM;
             r.value = 5;
             return BS_Set_Call_Ms_TXL_OnChannelType2(ts, &r);
         }},
        {"BS_Get_Call_Current_Ms_TXL",
         [](ViSession ts, ViSession) { return BS_Get_Call_Current_Ms_TXL(ts, &i32); }},
        {"BS_Set_Call_Connect_Type",
         [](ViSession ts, ViSession) { return BS_Set_Call_Connect_Type(ts, GSMB_CONN_SRBL); }},
        {"BS_Get_Call_Connect_Type",
         [](ViSession ts, ViSession) { return BS_Get_Call_Connect_Type(ts, &i32); }},
        {"BS_Set_Syst_Corr_Freq_And_Offset",
         [](ViSession ts, ViSession) {
             CorrectionTable t{};
             std::strcpy(t.point[0].frequency, "900MHZ");
             t.point[0].gain = -1.5f;
             std::strcpy(t.point[1].frequency, "1800MHZ");
             t.point[1].gain = -2.0f;
             t.count = 2;
             return BS_Set_Syst_Corr_Freq_And_Offset(ts, &t);
         }},
        {"BS_Set_Syst_Corr_Freq_And_Offset_One",
         [](ViSession ts, ViSession) {
             CorrectionPoint p{};
             std::strcpy(p.frequency, "900MHZ");
             p.gain = 0.05f;
             return BS_Set_Syst_Corr_Freq_And_Offset_One(ts, &p);
         }},
        {"BS_Set_Syst_Corr_Freq",
         [](ViSession ts, ViSession) { return BS_Set_Syst_Corr_Freq(ts, "900MHZ,1800MHZ"); }},
        {"BS_Set_Syst_Corr_Offset",
         [](ViSession ts, ViSession) {
             CorrectionPoint p{};
             p.gain = -2.0f;
             return BS_Set_Syst_Corr_Offset(ts, &p);
         }},
        {"BS_Set_Net_MCC", [](ViSession ts, ViSession) { return BS_Set_Net_MCC(ts, 460); }},
        {"BS_Get_Net_MCC", [](ViSession ts, ViSession) { return BS_Get_Net_MCC(ts, &i32); }},
        {"BS_Set_Net_LAC", [](ViSession ts, ViSession) { return BS_Set_Net_LAC(ts, 65535); }},
        {"BS_Get_Net_LAC", [](ViSession ts, ViSession) { return BS_Get_Net_LAC(ts, &i32); }},
        {"BS_Set_Net_MNC", [](ViSession ts, ViSession) { return BS_Set_Net_MNC(ts, 0); }},
        {"BS_Get_Net_MNC", [](ViSession ts, ViSession) { return BS_Get_Net_MNC(ts, &i32); }},
        {"BS_Set_Net_NCC", [](ViSession ts, ViSession) { return BS_Set_Net_NCC(ts, 7); }},
        {"BS_Get_Net_NCC", [](ViSession ts, ViSession) { return BS_Get_Net_NCC(ts, &i32); }},
        {"BS_Set_Net_BCC", [](ViSession ts, ViSession) { return BS_Set_Net_BCC(ts, 5); }},
        {"BS_Get_Net_BCC", [](ViSession ts, ViSession) { return BS_Get_Net_BCC(ts, &i32); }},
        {"BS_Set_Net_Parameter",
         [](ViSession ts, ViSession) {
             const CellIdentity id{460, -1, 0, 1, 5};
             return BS_Set_Net_Parameter(ts, &id);
         }},
        {"Power_Set_Voltage",
         [](ViSession, ViSession ps) { return Power_Set_Voltage(ps, 3.8f, 1); }},
        {"Power_SetVoltage", [](ViSession, ViSession ps) { return Power_SetVoltage(ps, 3.8f); }},
        {"Power_Turn_On", [](ViSession, ViSession ps) { return Power_Turn_On(ps); }},
        {"BS_Query_Call_State",
         [](ViSession ts, ViSession) { return BS_Query_Call_State(ts, &i32); }},
        {"BS_Call_Connected_State_Query",
         [](ViSession ts, ViSession) { return BS_Call_Connected_State_Query(ts, &i32); }},
        {"BS_Set_Call_State_Change_Detector_Timeout",
         [](ViSession ts, ViSession) {
             ViReal32 t = 2.5f;
             return BS_Set_Call_State_Change_Detector_Timeout(ts, &t);
         }},
        {"BS_Get_Call_State_Change_Detector_Timeout",
         [](ViSession ts, ViSession) {
             return BS_Get_Call_State_Change_Detector_Timeout(ts, &f32);
         }},
        {"BS_Set_Call_State_Change_Detector",
         [](ViSession ts, ViSession) { return BS_Set_Call_State_Change_Detector(ts); }},
        {"BS_Get_Call_State_Change_Detector",
         [](ViSession ts, ViSession) { return BS_Get_Call_State_Change_Detector(ts, &i32); }},
        {"BS_Call_Wait TCH",
         [](ViSession ts, ViSession) { return BS_Call_Wait(ts, GSMB_CHANNEL_TCH); }},
        {"BS_Call_Wait BCH",
         [](ViSession ts, ViSession) { return BS_Call_Wait(ts, GSMB_CHANNEL_BCH); }},
        {"BS_Set_Measurement_Trigger_Arm_State_For_ALL",
         [](ViSession ts, ViSession) {
             return BS_Set_Measurement_Trigger_Arm_State_For_ALL(ts, 0);
         }},
        {"BS_Set_Burst_Sync",
         [](ViSession ts, ViSession) {
             const MeasurementSetting s{GSMB_MEAS_PVT, GSMB_SYNC_MIDAMBLE, 0};
             return BS_Set_Burst_Sync(ts, &s);
         }},
        {"BS_Set_CONF_STAT",
         [](ViSession ts, ViSession) {
             const MeasurementSetting s{GSMB_MEAS_TXP, 1, 0};
             return BS_Set_CONF_STAT(ts, &s);
         }},
        {"BS_SetMeasurementParameter",
         [](ViSession ts, ViSession) {
             auto s = setup_of(GSMB_MEAS_TXP);
             s.triggerQualifier = 1;
             s.delayUnit = GSMB_UNIT_MS;
             s.triggerDelay = 0.5f;
             return BS_SetMeasurementParameter(ts, &s);
         }},
        {"BS_SetPVTMeasParam",
         [](ViSession ts, ViSession) {
             const auto s = setup_of(GSMB_MEAS_PVT);
             return BS_SetPVTMeasParam(ts, &s);
         }},
        {"BS_SetORFSMeasParam",
         [](ViSession ts, ViSession) {
             const auto s = setup_of(GSMB_MEAS_ORFS);
             const auto f = orfs_offsets(4, 6);
             return BS_SetORFSMeasParam(ts, &s, &f);
         }},
        {"BS_Set_ORFS_Frequency",
         [](ViSession ts, ViSession) {
             const auto f = orfs_offsets(8, 22);
             return BS_Set_ORFS_Frequency(ts, &f);
         }},
        {"BS_SetBERMeasParam",
         [](ViSession ts, ViSession) {
             auto s = setup_of(GSMB_MEAS_BERR);
             s.count = 10000;
             const BerSetup b{0.5f, GSMB_UNIT_S, 1, GSMB_BER_TYPEII, 0, 250};
             return BS_SetBERMeasParam(ts, &s, &b);
         }},
        {"BS_Set_FBER_MeasParam",
         [](ViSession ts, ViSession) {
             auto s = setup_of(GSMB_MEAS_FBER);
             s.count = 10000;
             const BerSetup b{0.5f, GSMB_UNIT_MS, 0, 0, 0, 0};
             return BS_Set_FBER_MeasParam(ts, &s, &b);
         }},
        {"BS_Init_Measurement_Count",
         [](ViSession ts, ViSession) { return BS_Init_Measurement_Count(ts, &i32); }},
        {"BS_Init_Measurement_ON_Query",
         [](ViSession ts, ViSession) { return BS_Init_Measurement_ON_Query(ts, &i32); }},
        {"BS_FETCH_TXP_Power",
         [](ViSession ts, ViSession) { return BS_FETCH_TXP_Power(ts, &f32); }},
        {"BS_FETCH_TXP_Result",
         [](ViSession ts, ViSession) {
             TxpResult r{};
             return BS_FETCH_TXP_Result(ts, &r);
         }},
        {"BS_FETCH_PFER_Result",
         [](ViSession ts, ViSession) {
             PferResult r{};
             return BS_FETCH_PFER_Result(ts, &r);
         }},
        {"BS_FETCH_PFER_Average_FERR_Result",
         [](ViSession ts, ViSession) { return BS_FETCH_PFER_Average_FERR_Result(ts, &f32); }},
        {"BS_FETCH_PFER_Average_PEAK_Result",
         [](ViSession ts, ViSession) { return BS_FETCH_PFER_Average_PEAK_Result(ts, &f32); }},
        {"BS_FETCH_PFER_Average_RMS_Result",
         [](ViSession ts, ViSession) { return BS_FETCH_PFER_Average_RMS_Result(ts, &f32); }},
        {"BS_FETCH_PVT_Result",
         [](ViSession ts, ViSession) {
             PvtResult r{};
             return BS_FETCH_PVT_Result(ts, &r);
         }},
        {"BS_FETCH_ORFS_Result",
         [](ViSession ts, ViSession) {
             OrfsResult r{};
             return BS_FETCH_ORFS_Result(ts, &r);
         }},
        {"BS_FETCH_ORFS_Result_Pass",
         [](ViSession ts, ViSession) { return BS_FETCH_ORFS_Result_Pass(ts, &i32); }},
        {"BS_FETCH_BER_Result",
         [](ViSession ts, ViSession) {
             BerResult r{};
             return BS_FETCH_BER_Result(ts, &r);
         }},
        {"BS_FETCH_FBER_Result",
         [](ViSession ts, ViSession) {
             BerResult r{};
             return BS_FETCH_FBER_Result(ts, &r);
         }},
        {"BS_FETCH_RX_Quality_Result",
         [](ViSession ts, ViSession) { return BS_FETCH_RX_Quality_Result(ts, &i32); }},
        {"BS_FETCH_RX_Quality_New_Result",
         [](ViSession ts, ViSession) { return BS_FETCH_RX_Quality_New_Result(ts, &f32); }},
        {"BS_FETCH_RX_Level_Result",
         [](ViSession ts, ViSession) { return BS_FETCH_RX_Level_Result(ts, &i32); }},
        {"BS_FETCH_RX_Level_New_Result",
         [](ViSession ts, ViSession) { return BS_FETCH_RX_Level_New_Result(ts, &i32); }},
        {"BS_Call_Handover", [](ViSession ts, ViSession) { return BS_Call_Handover(ts); }},
        {"BS_TM_Set_Call_BCH_Mode",
         [](ViSession ts, ViSession) {
             const BandValue r{GSMB_BAND_EGSM, 975};
             return BS_TM_Set_Call_BCH_Mode(ts, &r);
         }},
        {"BS_TM_Get_Call_BCH_Mode",
         [](ViSession ts, ViSession) {
             BandValue r{GSMB_BAND_SEL, 0};
             return BS_TM_Get_Call_BCH_Mode(ts, &r);
         }},
        {"BS_TM_Set_Call_TCH_Channel",
         [](ViSession ts, ViSession) {
             const BandValue r{GSMB_BAND_DCS, 700};
             return BS_TM_Set_Call_TCH_Channel(ts, &r);
         }},
        {"BS_TM_Get_Call_TCH_Channel",
         [](ViSession ts, ViSession) {
             BandValue r{GSMB_BAND_DCS, 0};
             return BS_TM_Get_Call_TCH_Channel(ts, &r);
         }},
        {"BS_TM_Set_RF_Generator_Frequency",
         [](ViSession ts, ViSession) {
             const RfGeneratorFrequency r{1, 1.5f, GSMB_FREQ_GHZ};
             return BS_TM_Set_RF_Generator_Frequency(ts, &r);
         }},
        {"BS_TM_Get_RF_Generator_Frequency",
         [](ViSession ts, ViSession) {
             RfGeneratorFrequency r{0, 0.0f, 0};
             return BS_TM_Get_RF_Generator_Frequency(ts, &r);
         }},
        {"BS_TM_Set_RF_Receiver_Control_Method",
         [](ViSession ts, ViSession) { return BS_TM_Set_RF_Receiver_Control_Method(ts, 1); }},
        {"BS_TM_Get_RF_Receiver_Control_Method",
         [](ViSession ts, ViSession) { return BS_TM_Get_RF_Receiver_Control_Method(ts, &i32); }},
        {"BS_TM_Set_CALL_Burst_Type",
         [](ViSession ts, ViSession) { return BS_TM_Set_CALL_Burst_Type(ts, GSMB_BURST_TSC5); }},
        {"BS_TM_Get_CALL_Burst_Type",
         [](ViSession ts, ViSession) { return BS_TM_Get_CALL_Burst_Type(ts, &i32); }},
        {"BS_TM_Set_DPower_Count",
         [](ViSession ts, ViSession) {
             const TargetCount r{1, 10};
             return BS_TM_Set_DPower_Count(ts, &r);
         }},
        {"BS_TM_Get_DPower_Count",
         [](ViSession ts, ViSession) {
             TargetCount r{2, 0};
             return BS_TM_Get_DPower_Count(ts, &r);
         }},
        {"BS_TM_FETCH_DPOWER", [](ViSession ts, ViSession) { return BS_TM_FETCH_DPOWER(ts); }},
        {"BS_TM_Set_RFGen_Power",
         [](ViSession ts, ViSession) { return BS_TM_Set_RFGen_Power(ts, -60); }},
        {"BS_TM_Set_Power_CW_State",
         [](ViSession ts, ViSession) { return BS_TM_Set_Power_CW_State(ts, 1); }},
        {"BS_Abort_Item", [](ViSession ts, ViSession) { return BS_Abort_Item(ts, GSMB_MEAS_RXL); }},
        {"BS_Abort_All", [](ViSession ts, ViSession) { return BS_Abort_All(ts); }},
        {"BS_Call_End", [](ViSession ts, ViSession) { return BS_Call_End(ts); }},
        {"Power_Turn_Off", [](ViSession, ViSession ps) { return Power_Turn_Off(ps); }},
    };
    // The per-measurement settings, setters then getters, for every measurement.
    for (int m = GSMB_MEAS_AAUD; m <= GSMB_MEAS_RXL; ++m) {
        using Fn = ViStatus (*)(ViSession, const MeasurementSetting *);
        using Get = ViStatus (*)(ViSession, MeasurementSetting *);
        for (Fn set : {BS_Set_Measurement_Count_State, BS_Set_Measurement_Count_Number,
                       BS_Set_Measurement_Parameter, BS_Set_Measurement_Timeout_State,
                       BS_Set_Measurement_Timeout_Number, BS_Set_Measurement_Timeout_Parameter,
                       BS_Set_Measurement_Trigger_Arm_State, BS_Set_Measurement_Trigger_Source,
                       BS_Set_Measurement_Trigger_Delay}) {
            c.push_back({"BS_Set_Measurement_*", [m, set](ViSession ts, ViSession) {
                             const MeasurementSetting s{m, 1, GSMB_UNIT_MS};
                             return set(ts, &s);
                         }});
        }
        for (Get get : {BS_Get_Measurement_Count_State, BS_Get_Measurement_Count_Number,
                        BS_Get_Measurement_Parameter, BS_Get_Measurement_Timeout_State,
                        BS_Get_Measurement_Timeout_Number, BS_Get_Measurement_Timeout_Parameter,
                        BS_Get_Measurement_Trigger_Arm_State, BS_Get_Measurement_Trigger_Source,
                        BS_Get_Measurement_Trigger_Delay}) {
            c.push_back({"BS_Get_Measurement_*", [m, get](ViSession ts, ViSession) {
                             MeasurementSetting s{m, 0, 0};
                             return get(ts, &s);
                         }});
        }
    }
    for (int code = GSMB_INIT_NONE; code <= GSMB_INIT_ERROR; ++code) {
        c.push_back({"BS_Init_Measurement_ON",
                     [code](ViSession ts, ViSession) { return BS_Init_Measurement_ON(ts, code); }});
        c.push_back({"BS_Init_Measurement_DONE",
                     [](ViSession ts, ViSession) { return BS_Init_Measurement_DONE(ts, &i32); }});
        c.push_back({"BS_Init_Measurement_OFF", [code](ViSession ts, ViSession) {
                         return BS_Init_Measurement_OFF(ts, code);
                     }});
    }
    return c;
}

class AllFunctions : public BenchSession {};

TEST_F(AllFunctions, LeaveTheErrorQueueEmpty) {
    for (const Call &call : calls()) {
        const ViStatus status = call.run(ts_, supply_);
        EXPECT_EQ(status, VI_SUCCESS) << call.name;
        EXPECT_TRUE(is_no_error(sim_error())) << call.name << ": " << sim_error();
        EXPECT_TRUE(is_no_error(supply_error())) << call.name;
    }
}

// The combined identity line with every code out of range is a header alone.
TEST_F(AllFunctions, IdentityLineWithNothingInRangeIsRefused) {
    const CellIdentity id{1000, -1, 100, 8, 8};
    EXPECT_EQ(BS_Set_Net_Parameter(ts_, &id), VI_SUCCESS);
    EXPECT_EQ(sim_error().substr(0, 4), "-102");
}

// An empty ORFS offset list: the library ends the bare prefix with a line
// feed, and the instrument takes it as "no offsets".
TEST_F(AllFunctions, EmptyOrfsListsAreAccepted) {
    const auto f = orfs_offsets(0, 0);
    EXPECT_EQ(BS_Set_ORFS_Frequency(ts_, &f), VI_SUCCESS);
    EXPECT_TRUE(is_no_error(sim_error())) << sim_error();
    EXPECT_EQ(sim_->execute("testset", "SET:ORFS:SWIT:FREQ?"), "");
    EXPECT_EQ(sim_->execute("testset", "SET:ORFS:MOD:FREQ?"), "");
}

class AllFunctionsVxi11 : public BenchSession {
  protected:
    void SetUp() override { open(true); }
};

// The same calls over VXI-11, where every write ends with END.
TEST_F(AllFunctionsVxi11, LeaveTheErrorQueueEmpty) {
    for (const Call &call : calls()) {
        EXPECT_EQ(call.run(ts_, supply_), VI_SUCCESS) << call.name;
        EXPECT_TRUE(is_no_error(sim_error())) << call.name << ": " << sim_error();
    }
}

} // namespace
} // namespace gsmbench::integration
