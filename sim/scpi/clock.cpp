// Simulated time: turns the models' simulated durations into real deadlines.
#include "gsmbench/sim/scpi.h"

#include <cmath>

namespace gsmbench::sim {

SimClock::SimClock(double scale) noexcept : scale_(1.0) {
    set_scale(scale);
}

double SimClock::scale() const noexcept {
    return scale_.load(std::memory_order_relaxed);
}

void SimClock::set_scale(double scale) noexcept {
    if (scale >= 0.0 && scale <= 1000.0) // also rejects NaN
        scale_.store(scale, std::memory_order_relaxed);
}

SimClock::clock::duration SimClock::to_real(double simulated_seconds) const noexcept {
    double real = simulated_seconds * scale();
    // A day bounds every wait: no simulated event of a bench test lasts longer, and the bound
    // keeps the conversion below clamps away from overflow.
    if (!(real > 0.0))
        return clock::duration::zero();
    if (real > 86400.0)
        real = 86400.0;
    return std::chrono::duration_cast<clock::duration>(std::chrono::duration<double>(real));
}

SimClock::clock::time_point SimClock::deadline_after(double simulated_seconds) const noexcept {
    return clock::now() + to_real(simulated_seconds);
}

void SimClock::sleep_for(double simulated_seconds) const {
    auto deadline = deadline_after(simulated_seconds);
    std::unique_lock lock(sleep_mutex_);
    sleep_cv_.wait_until(lock, deadline, [&] { return stopping(); });
}

void SimClock::request_stop() noexcept {
    {
        std::lock_guard lock(sleep_mutex_);
        stopping_.store(true, std::memory_order_release);
    }
    sleep_cv_.notify_all();
}

} // namespace gsmbench::sim
