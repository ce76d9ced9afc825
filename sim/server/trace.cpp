#include "server/trace.h"

#include <cstdio>

namespace gsmbench::sim {

void Tracer::line(std::string_view instrument, std::uint64_t connection, char direction,
                  std::string_view text) {
    if (!sink_)
        return;
    // Long replies (JSON dumps, over-long fault replies) are cut so a trace stays readable.
    constexpr std::size_t max_shown = 240;
    double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    char head[96];
    (void)std::snprintf(head, sizeof head, "%11.6f %.*s#%llu %c ", t, int(instrument.size()),
                        instrument.data(), static_cast<unsigned long long>(connection), direction);
    std::string out(head);
    std::size_t shown = 0;
    for (char c : text) {
        if (shown++ == max_shown) {
            out += "...(" + std::to_string(text.size()) + " bytes)";
            break;
        }
        unsigned char u = static_cast<unsigned char>(c);
        if (c == '\n') {
            out += "\\n";
        } else if (u < 0x20 || u > 0x7e || c == '\\') {
            char esc[8];
            (void)std::snprintf(esc, sizeof esc, "\\x%02x", u);
            out += esc;
        } else {
            out += c;
        }
    }
    std::lock_guard lock(mutex_);
    sink_(out);
}

} // namespace gsmbench::sim
