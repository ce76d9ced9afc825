// One trace line per message received or reply sent: seconds since the bench started, the
// instrument and connection, the direction and the text with control bytes escaped.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

namespace gsmbench::sim {

class Tracer {
  public:
    using Sink = std::function<void(std::string_view)>;
    explicit Tracer(Sink sink) : sink_(std::move(sink)), start_(std::chrono::steady_clock::now()) {}

    bool enabled() const noexcept { return bool(sink_); }
    // direction: '<' received, '>' sent, '-' event (connect, drop, note).
    void line(std::string_view instrument, std::uint64_t connection, char direction,
              std::string_view text);

  private:
    Sink sink_;
    std::chrono::steady_clock::time_point start_;
    std::mutex mutex_;
};

} // namespace gsmbench::sim
