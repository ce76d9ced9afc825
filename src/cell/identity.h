// The identity codes the emulated cell broadcasts: mobile country code,
// location area code, mobile network code, network and base-station colour
// codes. Each is set and read on its own, or any valid selection of them is
// set in one combined line.
#pragma once

#include <cstddef>
#include <cstdint>

#include "link/visa_api.h"

namespace gsmbench::cell {

enum class IdentityCode : std::uint8_t { mcc, lac, mnc, ncc, bcc };

struct IdentityCodeRow {
    IdentityCode code;
    std::int32_t maximum; // valid values are 0..maximum
    const char *set_template;
    const char *query;
    const char *piece; // its part of the combined line
};

// In the order of the combined line (and of the CellIdentity record).
inline constexpr IdentityCodeRow kIdentityCodes[] = {
    {IdentityCode::mcc, 999, "CALL:CELL:MCCODE:SELECTED %d\n", "CALL:CELL:MCCODE:SELECTED?\n",
     "MCC %d;"},
    {IdentityCode::lac, 65535, "CALL:CELL:LACODE %d\n", "CALL:CELL:LACODE?\n", "LAC %d;"},
    {IdentityCode::mnc, 99, "CALL:CELL:MNCODE:SELECTED %d\n", "CALL:CELL:MNCODE:SELECTED?\n",
     "MNC %d;"},
    {IdentityCode::ncc, 7, "CALL:CELL:NCCODE:SELECTED %d\n", "CALL:CELL:NCCODE:SELECTED?\n",
     "NCC %d;"},
    {IdentityCode::bcc, 7, "CALL:CELL:BCCode %d\n", "CALL:CELL:BCCode?\n", "BCC %d;"},
};
inline constexpr std::size_t kIdentityCodeCount = sizeof kIdentityCodes / sizeof kIdentityCodes[0];

inline constexpr char kIdentityPrefix[] = "CALL:CELL:";

// A value outside the code's range is refused with VI_ERROR_SYSTEM_ERROR,
// nothing sent.
ViStatus set_identity_code(ViSession vi, IdentityCode code, std::int32_t value) noexcept;
// The value read back is not range-tested; `value` is written only on success.
ViStatus query_identity_code(ViSession vi, IdentityCode code, ViInt32 *value) noexcept;
// One line with a piece for every value within its range, in the table's
// order; values out of range are left out without report.
ViStatus set_identity(ViSession vi, const ViInt32 (&values)[kIdentityCodeCount]) noexcept;

} // namespace gsmbench::cell
