// What the tool sees of the VISA traffic: counts of lines written and replies
// read, and an optional trace of their text.
//
// The library and the tool call VISA's viPrintf and viScanf. Where the
// platform lets a program stand in front of a shared library's symbols (ELF),
// the tool's own viPrintf/viScanf (visa_interpose.cpp) see every exchange and
// pass it on to the VISA library unchanged; elsewhere the counts stay at zero
// and tracing of real instruments is not available.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include <visa.h>

namespace gsmbench::tool {

enum class TraceDirection : unsigned char { sent, received };

using TraceSink = std::function<void(ViSession vi, TraceDirection dir, std::string_view text,
                                     ViStatus status)>;

// Installs (or, with an empty function, removes) the sink.
void set_visa_trace(TraceSink sink);

struct VisaCounts {
    std::uint64_t writes = 0;
    std::uint64_t reads = 0;
};
VisaCounts visa_counts();

// True when this build sees the VISA traffic.
bool visa_traffic_visible();

// Called by the interposer.
void note_visa_interposer();
void note_visa_write(ViSession vi, std::string_view text, ViStatus status);
void note_visa_read(ViSession vi, std::string_view text, ViStatus status);

// VISA's description of a status ("VI_ERROR_TMO: ..."), or a fallback text
// when there is no VISA session to ask.
std::string visa_status_text(ViSession rm, ViStatus status);

} // namespace gsmbench::tool
