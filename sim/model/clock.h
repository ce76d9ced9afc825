// Time for the bench models. Everything the simulated bench does takes
// simulated seconds; the time scale turns them into real time (1 = real time,
// 0.01 = a hundred times faster, 0 = instant). Tests replace the steady clock
// with a manual one so that "still running" states can be observed without
// any real waiting.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>

namespace gsmbench::sim::model {

using TimePoint = std::chrono::steady_clock::time_point;
using Duration = std::chrono::steady_clock::duration;

class Clock {
  public:
    virtual ~Clock() = default;
    virtual TimePoint now() const = 0;
    // Sleeps on cv until wake (or a notification). Returns false when this
    // clock cannot pass time by waiting (a manual clock), so the caller stops.
    virtual bool sleep_until(std::condition_variable &cv, std::unique_lock<std::mutex> &lock,
                             TimePoint wake) = 0;
    // The time scale this clock imposes (the simulator's shared setting), or
    // nullopt to leave the bench's own.
    virtual std::optional<double> time_scale() const { return std::nullopt; }
};

class SteadyClock final : public Clock {
  public:
    TimePoint now() const override { return std::chrono::steady_clock::now(); }
    bool sleep_until(std::condition_variable &cv, std::unique_lock<std::mutex> &lock,
                     TimePoint wake) override {
        cv.wait_until(lock, wake);
        return true;
    }
};

// A clock that moves only when told to.
class ManualClock final : public Clock {
  public:
    TimePoint now() const override { return now_; }
    bool sleep_until(std::condition_variable &, std::unique_lock<std::mutex> &,
                     TimePoint) override {
        return false;
    }
    void advance(double seconds) {
        now_ += std::chrono::duration_cast<Duration>(std::chrono::duration<double>(seconds));
    }

  private:
    TimePoint now_{std::chrono::hours(1)};
};

// Converts simulated seconds into clock time through the time scale.
inline Duration scaled(double sim_seconds, double time_scale) {
    const double real = sim_seconds * time_scale;
    if (!(real > 0.0))
        return Duration::zero();
    // Cap at a day so that absurd settings cannot overflow the clock.
    const double capped = real < 86400.0 ? real : 86400.0;
    return std::chrono::duration_cast<Duration>(std::chrono::duration<double>(capped));
}

} // namespace gsmbench::sim::model
