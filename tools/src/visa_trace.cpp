#include "visa_trace.h"

#include <atomic>
#include <cstdio>
#include <mutex>

namespace gsmbench::tool {
namespace {

std::mutex g_sink_mutex;
TraceSink g_sink;
std::atomic<bool> g_has_sink{false};
std::atomic<bool> g_interposed{false};
std::atomic<std::uint64_t> g_writes{0};
std::atomic<std::uint64_t> g_reads{0};

void deliver(ViSession vi, TraceDirection dir, std::string_view text, ViStatus status) {
    if (!g_has_sink.load(std::memory_order_acquire)) {
        return;
    }
    std::lock_guard<std::mutex> lock(g_sink_mutex);
    if (g_sink) {
        g_sink(vi, dir, text, status);
    }
}

} // namespace

void set_visa_trace(TraceSink sink) {
    std::lock_guard<std::mutex> lock(g_sink_mutex);
    g_sink = std::move(sink);
    g_has_sink.store(static_cast<bool>(g_sink), std::memory_order_release);
}

VisaCounts visa_counts() { return {g_writes.load(), g_reads.load()}; }

bool visa_traffic_visible() { return g_interposed.load(); }

void note_visa_interposer() { g_interposed.store(true); }

void note_visa_write(ViSession vi, std::string_view text, ViStatus status) {
    g_writes.fetch_add(1, std::memory_order_relaxed);
    deliver(vi, TraceDirection::sent, text, status);
}

void note_visa_read(ViSession vi, std::string_view text, ViStatus status) {
    g_reads.fetch_add(1, std::memory_order_relaxed);
    deliver(vi, TraceDirection::received, text, status);
}

std::string visa_status_text(ViSession rm, ViStatus status) {
    // viStatusDesc is asked on the resource manager when there is one: the
    // description does not depend on the session.
    ViChar desc[256] = {};
    if (rm != 0 && viStatusDesc(rm, status, desc) >= VI_SUCCESS && desc[0] != '\0') {
        return desc;
    }
    ViSession temp = 0;
    if (viOpenDefaultRM(&temp) == VI_SUCCESS) {
        const ViStatus s = viStatusDesc(temp, status, desc);
        viClose(temp);
        if (s >= VI_SUCCESS && desc[0] != '\0') {
            return desc;
        }
    }
    if (status == static_cast<ViStatus>(VI_ERROR_SYSTEM_ERROR)) {
        return "VI_ERROR_SYSTEM_ERROR: refused by the library (bad argument or unrecognised reply)";
    }
    char buf[64];
    std::snprintf(buf, sizeof buf, "status 0x%08X", static_cast<unsigned>(status));
    return buf;
}

} // namespace gsmbench::tool
