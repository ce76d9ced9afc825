// The emulated cell's output power and the transmit level the test set
// commands the phone to use (the mobile's TX level). Levels pass through as
// given: the instrument, not the library, judges their range.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "link/visa_api.h"

namespace gsmbench::cell {

inline constexpr char kCellPower[] = "CALL:POW %f\n";
inline constexpr char kCellPowerAmplitude[] = "CALL:POW:AMPL:SEL %f\n";
inline constexpr char kCellPowerQuery[] = "CALL:POW:SEL?\n";
inline constexpr char kTchMsTxl[] = "CALL:SET:TCH:MS:TXL %d\n";
inline constexpr char kBandMsTxl[] = "CALL:MS:TXL:%s %d\n";
inline constexpr char kBandMsTxlQuery[] = "CALL:MS:TXL:%s?\n";
inline constexpr char kTypedMsTxl[] = "CALL:SET:MS:%s:TXL:%s %d\n";
inline constexpr char kTypedMsTxlBurst[] = "CALL:%s:MS:TXL:%s:BURS %d\n";
inline constexpr char kCurrentMsTxlQuery[] = "CALL:MS:TXL?\n";

// Cell-power lines and replies are short: a level whose six-decimal rendering
// does not fit 64 bytes (magnitudes of about 1e36 and more) is refused.
inline constexpr std::size_t kPowerLineSize = 64;
inline constexpr std::size_t kTxlLineSize = 256;

// A cell-power template ("%f") with the level; VI_ERROR_SYSTEM_ERROR, nothing
// sent, when the line would not fit.
ViStatus set_cell_power(ViSession vi, const char *tmpl, float level) noexcept;
ViStatus query_cell_power(ViSession vi, float *level) noexcept;

ViStatus set_tch_ms_txl(ViSession vi, std::int32_t level) noexcept;
// Band by code; VI_ERROR_SYSTEM_ERROR, nothing sent, for a code that names no
// band (negative included).
ViStatus set_band_ms_txl(ViSession vi, std::int32_t band, std::int32_t level) noexcept;
ViStatus query_band_ms_txl(ViSession vi, std::int32_t band, ViInt32 *level) noexcept;
// A channel-type text and a band code.
ViStatus set_typed_ms_txl(ViSession vi, const char *tmpl, std::string_view type, std::int32_t band,
                          std::int32_t level) noexcept;
ViStatus query_current_ms_txl(ViSession vi, ViInt32 *level) noexcept;

} // namespace gsmbench::cell
