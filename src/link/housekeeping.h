// Housekeeping of the test set as an instrument (reset, GPIB debug mode, error
// queue, identity, aborting measurements) rather than as a base station.
#pragma once

#include <cstddef>
#include <cstdint>

#include "link/visa_api.h"

namespace gsmbench::link {

// The caller's error buffer holds 255 bytes; the text left there is always
// terminated inside them.
inline constexpr std::size_t kErrorTextSize = 255;
// The caller's identity buffer holds at least 256 bytes.
inline constexpr std::size_t kIdentityTextSize = 256;

// "*RST" then "*CLS", both always sent; the first non-zero status is returned
// so a failed reset is never reported as success.
ViStatus reset_and_clear(ViSession vi) noexcept;
ViStatus set_gpib_debug(ViSession vi, bool on) noexcept;
ViStatus clear_errors(ViSession vi) noexcept;
// Fills error[0..254] (text, zero-padded, terminated); error[255] is not
// written. Untouched unless the whole exchange succeeded.
ViStatus read_error(ViSession vi, char *error) noexcept;
// Copies the identity reply and its terminator into info; nothing beyond.
ViStatus read_identity(ViSession vi, char *info) noexcept;
ViStatus abort_all(ViSession vi) noexcept;
// kLibraryError, nothing sent, for a code that names no measurement.
ViStatus abort_measurement(ViSession vi, std::int32_t measurement) noexcept;

} // namespace gsmbench::link
