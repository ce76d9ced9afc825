// Test-mode entry points: channels, RF generator, receiver control, burst
// type, dynamic power and the CW output.
#include "api/export.h"
#include "link/channel.h"
#include "testmode/burst_power.h"
#include "testmode/rf_channels.h"

using gsmbench::link::kLibraryError;
namespace testmode = gsmbench::testmode;

namespace {

// Null records and band codes outside the table (TGSM810, negative, above
// SEL) are refused here, before anything is sent.
ViStatus checked_band(const BandValue *setting) {
    return (setting != nullptr && testmode::is_test_mode_band(setting->band)) ? VI_SUCCESS
                                                                              : kLibraryError;
}

} // namespace

extern "C" {

GSMBENCH_API ViStatus GSMBENCH_CALL BS_TM_Set_Call_BCH_Mode(ViSession vi,
                                                            const BandValue *setting) {
    const ViStatus check = checked_band(setting);
    return check != VI_SUCCESS
               ? check
               : testmode::set_channel(vi, testmode::ChannelKind::broadcast, *setting);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_TM_Get_Call_BCH_Mode(ViSession vi, BandValue *setting) {
    const ViStatus check = checked_band(setting);
    return check != VI_SUCCESS
               ? check
               : testmode::get_channel(vi, testmode::ChannelKind::broadcast, *setting);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_TM_Set_Call_TCH_Channel(ViSession vi,
                                                               const BandValue *setting) {
    const ViStatus check = checked_band(setting);
    return check != VI_SUCCESS
               ? check
               : testmode::set_channel(vi, testmode::ChannelKind::traffic, *setting);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_TM_Get_Call_TCH_Channel(ViSession vi, BandValue *setting) {
    const ViStatus check = checked_band(setting);
    return check != VI_SUCCESS
               ? check
               : testmode::get_channel(vi, testmode::ChannelKind::traffic, *setting);
}

GSMBENCH_API ViStatus GSMBENCH_CALL
BS_TM_Set_RF_Generator_Frequency(ViSession vi, const RfGeneratorFrequency *setting) {
    return setting != nullptr ? testmode::set_generator_frequency(vi, *setting) : kLibraryError;
}

GSMBENCH_API ViStatus GSMBENCH_CALL
BS_TM_Get_RF_Generator_Frequency(ViSession vi, RfGeneratorFrequency *setting) {
    return setting != nullptr ? testmode::get_generator_frequency(vi, *setting) : kLibraryError;
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_TM_Set_RF_Receiver_Control_Method(ViSession vi,
                                                                         ViInt32 method) {
    return testmode::set_receiver_control(vi, static_cast<std::int32_t>(method));
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_TM_Get_RF_Receiver_Control_Method(ViSession vi,
                                                                         ViInt32 *method) {
    return method != nullptr ? testmode::get_receiver_control(vi, *method) : kLibraryError;
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_TM_Set_CALL_Burst_Type(ViSession vi, ViInt32 type) {
    return testmode::set_burst_type(vi, static_cast<std::int32_t>(type));
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_TM_Get_CALL_Burst_Type(ViSession vi, ViInt32 *type) {
    return type != nullptr ? testmode::get_burst_type(vi, *type) : kLibraryError;
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_TM_Set_DPower_Count(ViSession vi,
                                                           const TargetCount *setting) {
    return setting != nullptr ? testmode::set_dynamic_power_count(vi, *setting) : kLibraryError;
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_TM_Get_DPower_Count(ViSession vi, TargetCount *setting) {
    return setting != nullptr ? testmode::get_dynamic_power_count(vi, *setting) : kLibraryError;
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_TM_FETCH_DPOWER(ViSession vi) {
    return testmode::fetch_dynamic_power(vi);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_TM_Set_RFGen_Power(ViSession vi, ViInt32 dbm) {
    return testmode::set_cw_level(vi, static_cast<std::int32_t>(dbm));
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_TM_Set_Power_CW_State(ViSession vi, ViInt32 state) {
    return testmode::set_cw_state(vi, static_cast<std::int32_t>(state));
}

} // extern "C"
