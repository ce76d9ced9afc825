#include "link/channel.h"

#include <charconv>
#include <cstring>

namespace gsmbench::link {

ViStatus write_line(ViSession vi, const char *line) noexcept {
    if (line == nullptr) {
        return kLibraryError;
    }
    return viPrintf(vi, "%s", line);
}

ViStatus read_reply(ViSession vi, Read mode, char *reply, std::size_t size) noexcept {
    if (reply == nullptr || size < 2) {
        return kLibraryError;
    }
    // "%<size-1>t" or "%<size-1>s": VISA stores at most size-1 characters and
    // the terminating NUL.
    char directive[24] = {'%'};
    const auto result =
        std::to_chars(directive + 1, directive + sizeof directive - 2, size - 1);
    result.ptr[0] = (mode == Read::whole_reply) ? 't' : 's';
    result.ptr[1] = '\0';
    reply[size - 1] = '\0';
    const ViStatus status = viScanf(vi, directive, reply);
    // Whatever VISA did, the buffer ends inside its bounds.
    reply[size - 1] = '\0';
    return status;
}

ViStatus query(ViSession vi, const char *line, Read mode, char *reply, std::size_t size) noexcept {
    if (reply == nullptr || size == 0) {
        return kLibraryError;
    }
    std::memset(reply, 0, size);
    const ViStatus written = write_line(vi, line);
    if (failed(written)) {
        return written;
    }
    std::memset(reply, 0, size);
    return read_reply(vi, mode, reply, size);
}

} // namespace gsmbench::link
