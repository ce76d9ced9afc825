// Opening and closing VISA sessions for the caller. The caller owns every
// handle; nothing here is kept between calls.
#pragma once

#include <cstdint>

#include "link/visa_api.h"

namespace gsmbench::link {

// Longest resource name accepted: VISA resource names are copied into a
// 256-byte buffer, terminator included.
inline constexpr std::size_t kMaxResourceName = 255;

enum class ResetSequence : std::uint8_t {
    clear_reset_wait, // "*CLS", "*RST", then the 20 ms settle wait
    reset_only,       // "*RST" only, no wait
};

// 1 on success, 0 on failure (the session functions' success flag).
std::int32_t open_session(ViSession rm, ViSession *vi, const char *name, ViBoolean reset,
                          ResetSequence sequence) noexcept;

} // namespace gsmbench::link
