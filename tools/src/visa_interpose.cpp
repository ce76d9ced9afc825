// The tool's viPrintf and viScanf, in front of the VISA library's own.
//
// Compiled into the executables only (not into a library): on ELF platforms a
// program's definitions come first in symbol lookup, so the driver library's
// calls land here as well as the tool's, and each is forwarded to the next
// definition, the real VISA library's viVPrintf/viVScanf, with its arguments
// untouched. That is how `--trace` shows the traffic of real instruments and
// how the summary counts writes and reads without the driver knowing.
#include "visa_trace.h"

#if defined(__ELF__) && !defined(_WIN32)

#include <dlfcn.h>

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using VPrintf = ViStatus (*)(ViSession, ViConstString, va_list);
using VScanf = ViStatus (*)(ViSession, ViConstString, va_list);

template <typename F> F next_symbol(const char *name) {
    void *p = dlsym(RTLD_NEXT, name);
    if (p == nullptr) {
        std::fprintf(stderr, "gsmbench: cannot find %s in the VISA library\n", name);
        std::abort();
    }
    return reinterpret_cast<F>(p);
}

// What a write put on the bus, for the trace. The driver always writes
// "%s" with the whole line; other formats are rendered as printf would.
std::string rendered(ViConstString fmt, va_list args) {
    if (std::strcmp(fmt, "%s") == 0) {
        const char *s = va_arg(args, const char *);
        return s ? s : "";
    }
    char buf[4096];
    const int n = std::vsnprintf(buf, sizeof buf, fmt, args);
    return std::string(buf, n < 0 ? 0 : std::min<std::size_t>(static_cast<std::size_t>(n), sizeof buf - 1));
}

// A read directive of the forms the driver and the tool use ("%t", "%255t",
// "%s", "%255s") stores into its first argument; anything else is not shown.
bool single_buffer_directive(ViConstString fmt) {
    if (fmt[0] != '%') {
        return false;
    }
    std::size_t i = 1;
    while (std::isdigit(static_cast<unsigned char>(fmt[i]))) {
        ++i;
    }
    return (fmt[i] == 't' || fmt[i] == 's') && fmt[i + 1] == '\0';
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) ViStatus _VI_FUNCC viPrintf(ViSession vi, ViConstString fmt, ...) {
    static const VPrintf next = next_symbol<VPrintf>("viVPrintf");
    va_list args;
    va_start(args, fmt);
    va_list copy;
    va_copy(copy, args);
    const ViStatus status = next(vi, fmt, args);
    va_end(args);
    gsmbench::tool::note_visa_write(vi, fmt ? rendered(fmt, copy) : std::string(), status);
    va_end(copy);
    return status;
}

__attribute__((visibility("default"))) ViStatus _VI_FUNCC viScanf(ViSession vi, ViConstString fmt, ...) {
    static const VScanf next = next_symbol<VScanf>("viVScanf");
    va_list args;
    va_start(args, fmt);
    va_list copy;
    va_copy(copy, args);
    const ViStatus status = next(vi, fmt, args);
    va_end(args);
    std::string text;
    if (fmt != nullptr && single_buffer_directive(fmt) && status == VI_SUCCESS) {
        const char *buffer = va_arg(copy, const char *);
        if (buffer != nullptr) {
            text = buffer;
        }
    }
    va_end(copy);
    gsmbench::tool::note_visa_read(vi, text, status);
    return status;
}

} // extern "C"

namespace {
const bool g_registered = [] {
    gsmbench::tool::note_visa_interposer();
    return true;
}();
} // namespace

#endif
