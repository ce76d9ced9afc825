#include "link/housekeeping.h"

#include <cstring>

#include "link/channel.h"
#include "link/code_tables.h"

namespace gsmbench::link {

ViStatus reset_and_clear(ViSession vi) noexcept {
    // The clear follows even when the reset write failed: it may still reach
    // an instrument that missed only the first line, and costs nothing.
    const ViStatus reset = write_line(vi, "*RST\n");
    const ViStatus clear = write_line(vi, "*CLS\n");
    return failed(reset) ? reset : clear;
}

ViStatus set_gpib_debug(ViSession vi, bool on) noexcept {
    return write_line(vi, on ? "SYST:COMM:GPIB:DEB:STAT ON\n" : "SYST:COMM:GPIB:DEB:STAT OFF\n");
}

ViStatus clear_errors(ViSession vi) noexcept {
    return write_line(vi, "*CLS\n");
}

ViStatus read_error(ViSession vi, char *error) noexcept {
    if (error == nullptr) {
        return kLibraryError;
    }
    // A 255-byte reply buffer reads at most 254 characters, so the 255 bytes
    // handed on always end in a terminator, however long the instrument's
    // error text is (the rest of an over-long reply is discarded).
    Reply<kErrorTextSize> reply;
    const ViStatus status =
        query(vi, "SYSTem:ERRor?\n", Read::whole_reply, reply.text, sizeof reply.text);
    if (failed(status)) {
        return status;
    }
    std::memcpy(error, reply.text, kErrorTextSize);
    return VI_SUCCESS;
}

ViStatus read_identity(ViSession vi, char *info) noexcept {
    if (info == nullptr) {
        return kLibraryError;
    }
    Reply<kIdentityTextSize> reply;
    const ViStatus status = query(vi, "*IDN?\n", Read::whole_reply, reply.text, sizeof reply.text);
    if (failed(status)) {
        return status;
    }
    std::memcpy(info, reply.text, std::strlen(reply.text) + 1);
    return VI_SUCCESS;
}

ViStatus abort_all(ViSession vi) noexcept {
    return write_line(vi, "ABORT:ALL\n");
}

ViStatus abort_measurement(ViSession vi, std::int32_t measurement) noexcept {
    const char *name = measurement_name(measurement);
    if (name == nullptr) {
        return kLibraryError;
    }
    return write_format<256>(vi, "ABORT:%s\n", name);
}

} // namespace gsmbench::link
