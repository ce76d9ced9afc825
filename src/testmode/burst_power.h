// Test mode (no signalling): the burst type expected from the phone, the
// dynamic power measurement's burst count and fetch, and the CW output.
#pragma once

#include <cstdint>

#include "link/decode.h"
#include "link/visa_api.h"

#include "gsmbench.h"

namespace gsmbench::testmode {

// Burst types by GSMB_BURST_* code: RACH (random access) is code 0, so the
// training sequence TSCn is code n + 1.
inline constexpr const char *kBurstTypeLines[] = {
    "CALL:BURSt:TYPE RACH\n", "CALL:BURSt:TYPE TSC0\n", "CALL:BURSt:TYPE TSC1\n",
    "CALL:BURSt:TYPE TSC2\n", "CALL:BURSt:TYPE TSC3\n", "CALL:BURSt:TYPE TSC4\n",
    "CALL:BURSt:TYPE TSC5\n", "CALL:BURSt:TYPE TSC6\n", "CALL:BURSt:TYPE TSC7\n",
};

inline constexpr link::Keyword kBurstTypeKeywords[] = {
    {"RACH", 4, GSMB_BURST_RACH}, {"TSC0", 4, GSMB_BURST_TSC0}, {"TSC1", 4, GSMB_BURST_TSC1},
    {"TSC2", 4, GSMB_BURST_TSC2}, {"TSC3", 4, GSMB_BURST_TSC3}, {"TSC4", 4, GSMB_BURST_TSC4},
    {"TSC5", 4, GSMB_BURST_TSC5}, {"TSC6", 4, GSMB_BURST_TSC6}, {"TSC7", 4, GSMB_BURST_TSC7},
};
inline constexpr link::KeywordTable kBurstTypeTable =
    link::make_keyword_table(kBurstTypeKeywords, GSMB_BURST_UNRECOGNISED);

// A code outside 0..8 is refused before anything is sent.
ViStatus set_burst_type(ViSession vi, std::int32_t type) noexcept;
// An unrecognised reply stores GSMB_BURST_UNRECOGNISED with kLibraryError.
ViStatus get_burst_type(ViSession vi, ViInt32 &type) noexcept;

// target 1 is the GSM setting, every other value the SEL setting.
ViStatus set_dynamic_power_count(ViSession vi, const TargetCount &setting) noexcept;
ViStatus get_dynamic_power_count(ViSession vi, TargetCount &setting) noexcept;
// Fetches the dynamic power result and reads it off the bus; the values are
// not decoded: only whether the fetch succeeded is reported.
ViStatus fetch_dynamic_power(ViSession vi) noexcept;

ViStatus set_cw_level(ViSession vi, std::int32_t dbm) noexcept;
ViStatus set_cw_state(ViSession vi, std::int32_t state) noexcept;

} // namespace gsmbench::testmode
