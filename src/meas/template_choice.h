// A command whose form depends on a code (a unit, a trigger source, an on/off
// state) is a small table of templates: one per code the instrument knows, and
// one fallback for every other code. The test set's setting commands never
// reject an unknown code on our side; they fall back to the instrument's safe
// default (seconds, AUTO, OFF, NONE), so the fallback is part of the data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace gsmbench::meas {

struct TemplateChoice {
    std::span<const char *const> by_code; // template for code 0, 1, ...
    const char *fallback;                 // template for every other code
};

// The template for `code`; negative and too-large codes take the fallback, so
// no caller value can index past the list.
constexpr const char *pick(const TemplateChoice &choice, std::int32_t code) noexcept {
    if (code >= 0 && static_cast<std::size_t>(code) < choice.by_code.size()) {
        return choice.by_code[static_cast<std::size_t>(code)];
    }
    return choice.fallback;
}

// A line with one form only.
constexpr TemplateChoice single(const char *tmpl) noexcept {
    return TemplateChoice{{}, tmpl};
}

// Lines shared by the single setters and the combined setups. On/off choices
// list OFF at code 0 and ON at code 1 with OFF as the fallback: only exactly 1
// means on, as the instrument's boolean parameters are sent by the driver.
inline constexpr const char *kArmLines[] = {"SET:%s:CONT OFF\n", "SET:%s:CONT ON\n"};
inline constexpr TemplateChoice kArmChoice{kArmLines, "SET:%s:CONT OFF\n"};

inline constexpr const char *kTriggerSourceLines[] = {
    "SET:%s:TRIG:SOUR AUTO\n", "SET:%s:TRIG:SOUR PROT\n", "SET:%s:TRIG:SOUR RISE\n",
    "SET:%s:TRIG:SOUR IMM\n"};
inline constexpr TemplateChoice kTriggerSourceChoice{kTriggerSourceLines,
                                                     "SET:%s:TRIG:SOUR AUTO\n"};

inline constexpr const char kCountStateLine[] = "SET:%s:COUNt:STAT %d\n";
inline constexpr const char kCountNumberLine[] = "SET:%s:COUNt:NUMB %d\n";
inline constexpr const char kTimeoutStateLine[] = "SET:%s:TIM:STAT %d\n";

} // namespace gsmbench::meas
