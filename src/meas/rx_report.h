// The phone's own reports of its received level (RXL) and quality (RXQ), as
// the test set relays them. The "new" forms ask the same question three times
// in one compound query (";NEW?" is relative to the same header) and use the
// third answer, the freshest report.
#pragma once

#include <cstdint>

#include "link/visa_api.h"

namespace gsmbench::meas {

// Each writes its output only on VI_SUCCESS; integers are truncated toward
// zero with saturation.
ViStatus fetch_rx_quality(ViSession vi, ViInt32 &quality) noexcept;
ViStatus fetch_rx_quality_new(ViSession vi, float &quality) noexcept;
ViStatus fetch_rx_level(ViSession vi, ViInt32 &level) noexcept;
ViStatus fetch_rx_level_new(ViSession vi, ViInt32 &level) noexcept;

} // namespace gsmbench::meas
