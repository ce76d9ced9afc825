// The bench model's clock, driven by the simulator's shared SimClock: its time
// scale (SIMulation:TSCale, --time-scale) and its stop request, which must end
// every wait of a blocked query.
#pragma once

#include <atomic>

#include "gsmbench/sim/scpi.h"
#include "model/clock.h"

namespace gsmbench::sim::instruments {

class HostClock final : public model::Clock {
  public:
    void attach(SimClock &clock) { sim_.store(&clock, std::memory_order_release); }

    model::TimePoint now() const override { return std::chrono::steady_clock::now(); }

    bool sleep_until(std::condition_variable &cv, std::unique_lock<std::mutex> &lock,
                     model::TimePoint wake) override {
        const SimClock *sim = sim_.load(std::memory_order_acquire);
        if (sim != nullptr && sim->stopping())
            return false;
        cv.wait_until(lock, wake);
        return sim == nullptr || !sim->stopping();
    }

    std::optional<double> time_scale() const override {
        const SimClock *sim = sim_.load(std::memory_order_acquire);
        if (sim == nullptr)
            return std::nullopt;
        return sim->scale();
    }

  private:
    std::atomic<SimClock *> sim_{nullptr};
};

} // namespace gsmbench::sim::instruments
