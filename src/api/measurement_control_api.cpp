// Measurement control entry points: per-measurement settings, the combined
// general setup, confidence and burst synchronisation, starting, stopping and
// polling measurements. Each checks its pointers, then hands over to
// gsmbench::meas, which refuses codes outside its tables before sending.
#include "api/export.h"
#include "link/channel.h"
#include "meas/general_setup.h"
#include "meas/initiate.h"
#include "meas/settings.h"

using gsmbench::link::kLibraryError;
using gsmbench::meas::Setting;

namespace {

ViStatus set(ViSession vi, const MeasurementSetting *record, Setting setting) noexcept {
    return record != nullptr ? gsmbench::meas::set_measurement_setting(vi, setting, *record)
                             : kLibraryError;
}

ViStatus get(ViSession vi, MeasurementSetting *record, Setting setting) noexcept {
    return record != nullptr ? gsmbench::meas::get_measurement_setting(vi, setting, *record)
                             : kLibraryError;
}

} // namespace

extern "C" {

// --- settings ----------------------------------------------------------------

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Measurement_Count_State(ViSession vi,
                                                                   const MeasurementSetting *s) {
    return set(vi, s, Setting::count_state);
}
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Measurement_Count_Number(ViSession vi,
                                                                    const MeasurementSetting *s) {
    return set(vi, s, Setting::count_number);
}
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Measurement_Parameter(ViSession vi,
                                                                 const MeasurementSetting *s) {
    return set(vi, s, Setting::count_snum);
}
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Measurement_Timeout_State(ViSession vi,
                                                                     const MeasurementSetting *s) {
    return set(vi, s, Setting::timeout_state);
}
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Measurement_Timeout_Number(ViSession vi,
                                                                      const MeasurementSetting *s) {
    return set(vi, s, Setting::timeout_number);
}
GSMBENCH_API ViStatus GSMBENCH_CALL
BS_Set_Measurement_Timeout_Parameter(ViSession vi, const MeasurementSetting *s) {
    return set(vi, s, Setting::timeout_parameter);
}
GSMBENCH_API ViStatus GSMBENCH_CALL
BS_Set_Measurement_Trigger_Arm_State(ViSession vi, const MeasurementSetting *s) {
    return set(vi, s, Setting::trigger_arm_state);
}
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Measurement_Trigger_Source(ViSession vi,
                                                                      const MeasurementSetting *s) {
    return set(vi, s, Setting::trigger_source);
}
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Measurement_Trigger_Delay(ViSession vi,
                                                                     const MeasurementSetting *s) {
    return set(vi, s, Setting::trigger_delay);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Measurement_Count_State(ViSession vi,
                                                                   MeasurementSetting *s) {
    return get(vi, s, Setting::count_state);
}
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Measurement_Count_Number(ViSession vi,
                                                                    MeasurementSetting *s) {
    return get(vi, s, Setting::count_number);
}
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Measurement_Parameter(ViSession vi,
                                                                 MeasurementSetting *s) {
    return get(vi, s, Setting::count_snum);
}
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Measurement_Timeout_State(ViSession vi,
                                                                     MeasurementSetting *s) {
    return get(vi, s, Setting::timeout_state);
}
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Measurement_Timeout_Number(ViSession vi,
                                                                      MeasurementSetting *s) {
    return get(vi, s, Setting::timeout_number);
}
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Measurement_Timeout_Parameter(ViSession vi,
                                                                         MeasurementSetting *s) {
    return get(vi, s, Setting::timeout_parameter);
}
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Measurement_Trigger_Arm_State(ViSession vi,
                                                                         MeasurementSetting *s) {
    return get(vi, s, Setting::trigger_arm_state);
}
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Measurement_Trigger_Source(ViSession vi,
                                                                      MeasurementSetting *s) {
    return get(vi, s, Setting::trigger_source);
}
GSMBENCH_API ViStatus GSMBENCH_CALL BS_Get_Measurement_Trigger_Delay(ViSession vi,
                                                                     MeasurementSetting *s) {
    return get(vi, s, Setting::trigger_delay);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Measurement_Trigger_Arm_State_For_ALL(ViSession vi,
                                                                                 ViInt32 state) {
    return gsmbench::meas::set_all_trigger_arm_state(vi, state);
}

// --- combined setup, confidence, burst sync ------------------------------------

GSMBENCH_API ViStatus GSMBENCH_CALL BS_SetMeasurementParameter(ViSession vi,
                                                               const MeasurementSetup *setup) {
    if (setup == nullptr) {
        return kLibraryError;
    }
    return gsmbench::meas::send_general_setup(vi, *setup, gsmbench::meas::kCombinedSetupPlan);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_CONF_STAT(ViSession vi, const MeasurementSetting *s) {
    return set(vi, s, Setting::confidence_state);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Set_Burst_Sync(ViSession vi, const MeasurementSetting *s) {
    return set(vi, s, Setting::burst_sync);
}

// --- initiation and completion ------------------------------------------------

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Init_Measurement_ON(ViSession vi, ViInt32 code) {
    return gsmbench::meas::initiate(vi, code, gsmbench::meas::InitiateAction::on);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Init_Measurement_OFF(ViSession vi, ViInt32 code) {
    return gsmbench::meas::initiate(vi, code, gsmbench::meas::InitiateAction::off);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Init_Measurement_Count(ViSession vi, ViInt32 *count) {
    return gsmbench::meas::query_initiate_count(vi, count);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Init_Measurement_DONE(ViSession vi, ViInt32 *code) {
    return gsmbench::meas::query_initiate_code(vi, "INITIATE:DONE?\n", code);
}

GSMBENCH_API ViStatus GSMBENCH_CALL BS_Init_Measurement_ON_Query(ViSession vi, ViInt32 *code) {
    return gsmbench::meas::query_initiate_code(vi, "INITIATE:ON?\n", code);
}

} // extern "C"
