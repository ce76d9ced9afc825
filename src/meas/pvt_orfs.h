// Power versus time (PVT) and output RF spectrum (ORFS): their setups and
// result fetches.
#pragma once

#include <cstddef>
#include <cstdint>

#include "link/visa_api.h"

#include "gsmbench.h"

namespace gsmbench::meas {

// The general setup without the trigger qualifier, for the record's own
// measurement code (refused before sending when it names no row).
ViStatus set_pvt_setup(ViSession vi, const MeasurementSetup &setup) noexcept;

// The general setup without the count number, then the two offset lines.
// Stops at the first failing line; nothing already sent is undone.
ViStatus set_orfs_setup(ViSession vi, const MeasurementSetup &setup,
                        const OrfsFrequencies &offsets) noexcept;

// The switching offsets line, then the modulation offsets line. Each count is
// checked when its line is due: a switching count above 8 sends nothing, a
// modulation count above 22 is found after the switching line went out. A
// count of 0 or below sends the bare prefix, still ended by a line feed so it
// cannot run into the next command. Each offset is read only within its
// 16-byte slot (up to its NUL or the slot's end) and sent verbatim.
ViStatus set_orfs_offsets(ViSession vi, const OrfsFrequencies &offsets) noexcept;

ViStatus fetch_pvt_result(ViSession vi, PvtResult &result) noexcept;
ViStatus fetch_orfs_result(ViSession vi, OrfsResult &result) noexcept;
// 1 when the limit result's first value is 0 (either sign), else 0.
ViStatus fetch_orfs_pass(ViSession vi, ViInt32 &pass) noexcept;

} // namespace gsmbench::meas
