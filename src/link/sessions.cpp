#include "link/sessions.h"

#include <cstring>

#include "link/channel.h"
#include "link/delay.h"

namespace gsmbench::link {
namespace {

// The test set needs a moment after "*RST" before it accepts commands.
constexpr std::uint32_t kPostResetWaitMs = 20;

} // namespace

std::int32_t open_session(ViSession rm, ViSession *vi, const char *name, ViBoolean reset,
                          ResetSequence sequence) noexcept {
    if (name == nullptr || vi == nullptr) {
        return 0;
    }
    // Refuse a name that would not fit the 256-byte copy rather than open a
    // different, truncated resource.
    char resource[kMaxResourceName + 1] = {};
    std::size_t length = 0;
    while (name[length] != '\0') {
        if (length == kMaxResourceName) {
            return 0;
        }
        ++length;
    }
    std::memcpy(resource, name, length);

    if (viOpen(rm, resource, VI_NULL, 0, vi) != VI_SUCCESS) {
        return 0;
    }
    if (reset == 0) {
        return 1;
    }
    if (sequence == ResetSequence::clear_reset_wait && failed(write_line(*vi, "*CLS\n"))) {
        return 0;
    }
    if (failed(write_line(*vi, "*RST\n"))) {
        return 0;
    }
    if (sequence == ResetSequence::clear_reset_wait) {
        delay_ms(kPostResetWaitMs);
    }
    return 1;
}

} // namespace gsmbench::link
