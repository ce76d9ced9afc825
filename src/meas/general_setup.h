// The general setup lines every measurement of the test set understands (count
// state, count, timeout state, timeout time, arm state, trigger source, trigger
// delay, trigger qualifier), sent from a caller's MeasurementSetup record.
//
// Several entry points send a subset or a variant of the same sequence. Each
// one is a *plan*: an ordered list of SetupLine rows. A row says which
// templates the line has, which record field picks the template, which field
// is printed after the mnemonic, and which field gates the line (sent only when
// that field is exactly 1). A new variant is a new constexpr plan, not new
// sending code.
//
// Plans provided here:
//   kCombinedSetupPlan  count state, count number (gated by countState == 1),
//                       timeout state, timeout time (gated by timeoutState
//                       == 1; "TIM:TIME %f MS" for unit 1, else "%f S"), arm,
//                       trigger source, trigger delay (S/MS/US/NS, else S),
//                       trigger qualifier.            -> BS_SetMeasurementParameter
//   kPvtSetupPlan       the same without the trigger qualifier.
//   kOrfsSetupPlan      as kPvtSetupPlan without the COUNt:NUMB line.
//   kBerSetupPlan       "SET:%s:COUN %d" with count (always sent; no count
//                       state), timeout state, timeout time, arm. No trigger
//                       lines. The BER-specific lines that follow are the
//                       caller's.
//
// Use (e.g. a PVT setup entry point):
//
//   #include "meas/general_setup.h"
//   if (setup == nullptr) return link::kLibraryError;
//   return meas::send_general_setup(vi, *setup, meas::kPvtSetupPlan);
//
// and for ORFS, continue only on success:
//
//   const ViStatus status = meas::send_general_setup(vi, *setup, meas::kOrfsSetupPlan);
//   if (link::failed(status)) return status;
//   ... frequency lines ...
//
// send_general_setup refuses a measurement code that names no row of the
// measurement table (above 14 or negative) with kLibraryError before sending
// anything, so callers need not check it themselves (they must still check
// their pointers). Otherwise it sends the plan's lines in order, one at a time
// (each composed in a fresh zero-filled 256-byte line; the longest line is
// far shorter), and returns at once the first status that is not VI_SUCCESS,
// warnings included; the lines already sent stay applied. All lines sent:
// VI_SUCCESS. Floats are printed with six decimals and a decimal point under
// any locale (2.5 -> "2.500000"). No allocation, no state.
#pragma once

#include <cstdint>
#include <span>

// VISA first: gsmbench.h defines the VISA names only where visa.h has not.
#include "link/visa_api.h"

#include "gsmbench.h"
#include "meas/template_choice.h"

namespace gsmbench::meas {

// The MeasurementSetup fields a line can print, select by or be gated by.
enum class SetupField : std::uint8_t {
    none,
    count_state,
    count,
    timeout_state,
    timeout, // float
    timeout_unit,
    arm_state,
    trigger_source,
    trigger_delay, // float
    delay_unit,
    trigger_qualifier,
};

struct SetupLine {
    TemplateChoice templates; // "%s" takes the mnemonic, then %d/%f the value
    SetupField selector;      // its value picks the template (none: the fallback)
    SetupField value;         // printed after the mnemonic (none: no number)
    SetupField gate;          // line sent only when this field is exactly 1
};

using SetupPlan = std::span<const SetupLine>;

// --- the lines ---------------------------------------------------------------

inline constexpr SetupLine kCountStateStep{single(kCountStateLine), SetupField::none,
                                           SetupField::count_state, SetupField::none};
inline constexpr SetupLine kCountNumberStep{single(kCountNumberLine), SetupField::none,
                                            SetupField::count, SetupField::count_state};
// The bit-error measurements take their count with the short header and have
// no count state.
inline constexpr SetupLine kBerCountStep{single("SET:%s:COUN %d\n"), SetupField::none,
                                         SetupField::count, SetupField::none};
inline constexpr SetupLine kTimeoutStateStep{single(kTimeoutStateLine), SetupField::none,
                                             SetupField::timeout_state, SetupField::none};

// Only milliseconds are honoured for the timeout; every other unit is seconds
// (unlike the trigger delay, which also knows US and NS).
inline constexpr const char *kTimeoutTimeLines[] = {"SET:%s:TIM:TIME %f S\n",
                                                    "SET:%s:TIM:TIME %f MS\n"};
inline constexpr SetupLine kTimeoutTimeStep{
    TemplateChoice{kTimeoutTimeLines, "SET:%s:TIM:TIME %f S\n"}, SetupField::timeout_unit,
    SetupField::timeout, SetupField::timeout_state};

inline constexpr SetupLine kArmStep{kArmChoice, SetupField::arm_state, SetupField::none,
                                    SetupField::none};
inline constexpr SetupLine kTriggerSourceStep{kTriggerSourceChoice, SetupField::trigger_source,
                                              SetupField::none, SetupField::none};

inline constexpr const char *kTriggerDelayLines[] = {
    "SET:%s:TRIG:DEL %f S\n", "SET:%s:TRIG:DEL %f MS\n", "SET:%s:TRIG:DEL %f US\n",
    "SET:%s:TRIG:DEL %f NS\n"};
inline constexpr SetupLine kTriggerDelayStep{
    TemplateChoice{kTriggerDelayLines, "SET:%s:TRIG:DEL %f S\n"}, SetupField::delay_unit,
    SetupField::trigger_delay, SetupField::none};

inline constexpr const char *kTriggerQualifierLines[] = {"SETUP:%s:TRIGGER:QUALIFIER OFF\n",
                                                         "SETUP:%s:TRIGGER:QUALIFIER ON\n"};
inline constexpr SetupLine kTriggerQualifierStep{
    TemplateChoice{kTriggerQualifierLines, "SETUP:%s:TRIGGER:QUALIFIER OFF\n"},
    SetupField::trigger_qualifier, SetupField::none, SetupField::none};

// --- the plans ---------------------------------------------------------------

inline constexpr SetupLine kCombinedSetupPlan[] = {
    kCountStateStep, kCountNumberStep,   kTimeoutStateStep, kTimeoutTimeStep,
    kArmStep,        kTriggerSourceStep, kTriggerDelayStep, kTriggerQualifierStep};

inline constexpr SetupLine kPvtSetupPlan[] = {
    kCountStateStep, kCountNumberStep,   kTimeoutStateStep, kTimeoutTimeStep,
    kArmStep,        kTriggerSourceStep, kTriggerDelayStep};

inline constexpr SetupLine kOrfsSetupPlan[] = {kCountStateStep,    kTimeoutStateStep,
                                               kTimeoutTimeStep,   kArmStep,
                                               kTriggerSourceStep, kTriggerDelayStep};

inline constexpr SetupLine kBerSetupPlan[] = {kBerCountStep, kTimeoutStateStep, kTimeoutTimeStep,
                                              kArmStep};

// Sends `plan` for `setup` (see the top of this file). Never reads `setup`
// fields the plan does not name.
ViStatus send_general_setup(ViSession vi, const MeasurementSetup &setup, SetupPlan plan) noexcept;

// The template a line uses for `setup` (exposed for the table tests).
const char *setup_line_template(const SetupLine &line, const MeasurementSetup &setup) noexcept;

// Whether a field holds a float (printed with %f) rather than an int32 (%d).
constexpr bool is_float_field(SetupField field) noexcept {
    return field == SetupField::timeout || field == SetupField::trigger_delay;
}

} // namespace gsmbench::meas
