// Per-measurement settings: one SCPI line per setting of one measurement,
// "SET:<mnemonic>:..." (or "SETUP:<mnemonic>:..."), from a MeasurementSetting
// record {measurement, value, unit}.
//
// The settings differ only in their templates, in which record field picks
// the template (the value itself for on/off and source words, the unit for
// times) and in whether the value is printed. They are rows of one table; one
// setter path and one getter path serve them all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>

// VISA first: gsmbench.h defines the VISA names only where visa.h has not.
#include "link/visa_api.h"

#include "gsmbench.h"
#include "meas/template_choice.h"

namespace gsmbench::meas {

enum class Setting : std::uint8_t {
    count_state,
    count_number,
    count_snum,
    timeout_state,
    timeout_number,
    timeout_parameter,
    trigger_arm_state,
    trigger_source,
    trigger_delay,
    confidence_state,
    burst_sync,
    count_, // number of rows
};

// Which record field picks the template.
enum class Selector : std::uint8_t { none, value, unit };

struct SettingRow {
    Setting setting; // equals the row's position
    TemplateChoice set;
    Selector selector;
    bool prints_value; // "%d" with `value` after the mnemonic
    const char *query; // nullptr: the instrument setting has no getter here
};

inline constexpr std::size_t kSettingCount = static_cast<std::size_t>(Setting::count_);

namespace detail {
// Timeout in whole units: only milliseconds are honoured, all else seconds.
inline constexpr const char *kTimeoutNumber[] = {"SET:%s:TIM %d S\n", "SET:%s:TIM %d MS\n"};
// The long form: code 0 spells the last header word TIME, milliseconds and the
// seconds fallback spell it TIM. The difference is deliberate: these exact
// lines are this call's contract.
inline constexpr const char *kTimeoutParameter[] = {"SET:%s:TIM:TIME %d S\n",
                                                    "SET:%s:TIM:TIM %d MS\n"};
inline constexpr const char *kTriggerDelay[] = {"SET:%s:TRIG:DEL %d S\n", "SET:%s:TRIG:DEL %d MS\n",
                                                "SET:%s:TRIG:DEL %d US\n",
                                                "SET:%s:TRIG:DEL %d NS\n"};
inline constexpr const char *kConfidence[] = {"SETUP:%s:CONFIDENCE:STATE 0\n",
                                              "SETUP:%s:CONFIDENCE:STATE 1\n"};
// Code 0 is MIDAMBLE; NONE is both code 2 and the fallback.
inline constexpr const char *kBurstSync[] = {"SETUP:%s:SYNC MIDAMBLE\n",
                                             "SETUP:%s:SYNC AMPLITUDE\n", "SETUP:%s:SYNC NONE\n"};

inline constexpr TemplateChoice kTimeoutNumberChoice{kTimeoutNumber, "SET:%s:TIM %d S\n"};
inline constexpr TemplateChoice kTimeoutParameterChoice{kTimeoutParameter, "SET:%s:TIM:TIM %d S\n"};
inline constexpr TemplateChoice kTriggerDelayChoice{kTriggerDelay, "SET:%s:TRIG:DEL %d S\n"};
inline constexpr TemplateChoice kConfidenceChoice{kConfidence, "SETUP:%s:CONFIDENCE:STATE 0\n"};
inline constexpr TemplateChoice kBurstSyncChoice{kBurstSync, "SETUP:%s:SYNC NONE\n"};
} // namespace detail

inline constexpr SettingRow kSettingTable[] = {
    {Setting::count_state, single(kCountStateLine), Selector::none, true, "SET:%s:COUNt:STAT?\n"},
    {Setting::count_number, single(kCountNumberLine), Selector::none, true, "SET:%s:COUNt:NUMB?\n"},
    {Setting::count_snum, single("SET:%s:COUNt:SNUM %d\n"), Selector::none, true,
     "SET:%s:COUNt:SNUM?\n"},
    {Setting::timeout_state, single(kTimeoutStateLine), Selector::none, true, "SET:%s:TIM:STAT?\n"},
    {Setting::timeout_number, detail::kTimeoutNumberChoice, Selector::unit, true, "SET:%s:TIM?\n"},
    {Setting::timeout_parameter, detail::kTimeoutParameterChoice, Selector::unit, true,
     "SET:%s:TIM:TIM?\n"},
    {Setting::trigger_arm_state, kArmChoice, Selector::value, false, "SET:%s:CONT?\n"},
    {Setting::trigger_source, kTriggerSourceChoice, Selector::value, false, "SET:%s:TRIG:SOUR?\n"},
    {Setting::trigger_delay, detail::kTriggerDelayChoice, Selector::unit, true,
     "SET:%s:TRIG:DEL?\n"},
    {Setting::confidence_state, detail::kConfidenceChoice, Selector::value, false, nullptr},
    {Setting::burst_sync, detail::kBurstSyncChoice, Selector::value, false, nullptr},
};
static_assert(std::size(kSettingTable) == kSettingCount, "one row per setting");

constexpr bool rows_in_place() noexcept {
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        if (static_cast<std::size_t>(kSettingTable[i].setting) != i) {
            return false;
        }
    }
    return true;
}
static_assert(rows_in_place(), "a setting is looked up by position");

// The row of a setting (always valid: Setting names a row by construction).
constexpr const SettingRow &setting_row(Setting setting) noexcept {
    return kSettingTable[static_cast<std::size_t>(setting)];
}

// The set template `setting` uses for `record`.
const char *setting_template(Setting setting, const MeasurementSetting &record) noexcept;

// Writes the setting's line for record.measurement. A measurement code that
// names no row of the measurement table is refused with kLibraryError before
// anything is sent. Returns the write's status unchanged.
ViStatus set_measurement_setting(ViSession vi, Setting setting,
                                 const MeasurementSetting &record) noexcept;

// Writes the setting's query and stores the reply's leading integer in
// record.value (atol rules) only when the write and the read both returned
// VI_SUCCESS. Measurement codes outside the table, and settings without a
// query, are refused with kLibraryError before sending. record.unit is never
// touched.
ViStatus get_measurement_setting(ViSession vi, Setting setting,
                                 MeasurementSetting &record) noexcept;

// "SET:CONT:ON" for exactly 1, "SET:CONT:OFF" otherwise: every measurement at
// once (the instrument's all-measurement form has a colon, not a blank).
ViStatus set_all_trigger_arm_state(ViSession vi, std::int32_t state) noexcept;

inline constexpr const char *kArmAllLines[] = {"SET:CONT:OFF\n", "SET:CONT:ON\n"};
inline constexpr TemplateChoice kArmAllChoice{kArmAllLines, "SET:CONT:OFF\n"};

} // namespace gsmbench::meas
