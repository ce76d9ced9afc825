// Frequency-dependent path-loss correction: a list of frequencies (caller
// text, units included, sent unchanged) and a matching list of gain offsets
// rendered with five significant digits (see gain_text.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// VISA's own header first, so its definitions stand and the public header
// only adds what VISA lacks.
#include "gsmbench.h"
#include "link/visa_api.h"

namespace gsmbench::cell {

inline constexpr char kFrequencyPrefix[] = "SYST:CORR:FREQ ";
inline constexpr char kGainPrefix[] = "SYST:CORR:SGAIN ";
inline constexpr char kItemSeparator[] = ",";
inline constexpr char kLineEnd[] = "\n";

// Both lines fit 1024 bytes even for 20 points of 31-character frequencies.
inline constexpr std::size_t kCorrectionLineSize = 1024;
inline constexpr std::int32_t kMaxCorrectionPoints = GSMB_CORRECTION_POINTS;

// The table's `count` points (1..20, anything else refused): frequency line,
// then gain line unless the frequency line failed.
ViStatus send_correction_table(ViSession vi, const CorrectionTable &table) noexcept;
// One point: frequency line, then gain line unless the first failed.
ViStatus send_correction_point(ViSession vi, const CorrectionPoint &point) noexcept;
// The caller's complete frequency list; a list that would not fit the line is
// refused, never truncated.
ViStatus send_frequency_list(ViSession vi, const char *frequencies) noexcept;
// The point's gain alone.
ViStatus send_gain(ViSession vi, const CorrectionPoint &point) noexcept;

} // namespace gsmbench::cell
