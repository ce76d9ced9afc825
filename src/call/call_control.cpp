#include "call/call_control.h"

#include "link/channel.h"
#include "link/code_tables.h"

namespace gsmbench::call {

ViStatus send(ViSession vi, const char *line) noexcept {
    return link::write_line(vi, line);
}

ViStatus query_integer(ViSession vi, const char *line, ViInt32 *out) noexcept {
    if (out == nullptr) {
        return link::kLibraryError;
    }
    // Decoded into an int32 local: ViInt32 is a distinct type (long) on Windows.
    std::int32_t value = 0;
    const ViStatus status = link::query_int<256>(vi, line, &value);
    if (!link::failed(status)) {
        *out = value;
    }
    return status;
}

ViStatus set_detector_timeout(ViSession vi, float seconds) noexcept {
    return link::write_format<256>(vi, kDetectorTimeout, seconds);
}

ViStatus query_call_state(ViSession vi, ViInt32 *state) noexcept {
    if (state == nullptr) {
        return link::kLibraryError;
    }
    link::Reply<32> reply;
    const ViStatus status =
        link::query(vi, kCallStateQuery, link::Read::whole_reply, reply.text, sizeof reply.text);
    if (link::failed(status)) {
        return status;
    }
    std::int32_t code = GSMB_CALL_UNRECOGNISED;
    const bool known = link::decode_keyword(reply.text, kCallStates, code);
    *state = code;
    return known ? VI_SUCCESS : link::kLibraryError;
}

ViStatus wait_on_channel(ViSession vi, std::int32_t channel_type) noexcept {
    const char *name = link::channel_type_name(channel_type);
    if (name == nullptr) {
        return link::kLibraryError;
    }
    return link::write_format<64>(vi, kCallWait, name);
}

} // namespace gsmbench::call
