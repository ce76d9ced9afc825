// Bit error ratio measurements: BER (mnemonic BERR, setup word BERROR) and
// fast BER (FBER, FBERROR). Their setups and result fetches.
#pragma once

#include <cstdint>

#include "link/code_tables.h"
#include "link/visa_api.h"

#include "gsmbench.h"

namespace gsmbench::meas {

// BER types by GSMB_BER_* code: which class of speech-frame bits the errors
// are counted in (the RES types count residual errors).
inline constexpr link::NamedCode<16> kBerTypeTable[] = {
    {0, "TYPEIA"},    {1, "TYPEII"},    {2, "TYPEIB"},
    {3, "RESTYPEIA"}, {4, "RESTYPEII"}, {5, "RESTYPEIB"},
};

enum class BitErrorKind : std::uint8_t { ber, fast_ber };

// The general lines (count, timeout state and time, arm) for the record's
// measurement code, then the settling time, the signalling-loop control, for
// BER only the type, and the loop delay: automatic when manualDelay is 0,
// else manual with that delay. Stops at the first failing line. A
// measurement code or (for BER) a BER type outside its table is refused
// before anything is sent.
ViStatus set_bit_error_setup(ViSession vi, BitErrorKind kind, const MeasurementSetup &setup,
                             const BerSetup &ber) noexcept;

ViStatus fetch_bit_error_result(ViSession vi, BitErrorKind kind, BerResult &result) noexcept;

} // namespace gsmbench::meas
