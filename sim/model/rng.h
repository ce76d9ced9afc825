// A small seeded generator whose sequence is the same on every platform
// (the standard distributions are not), so a seed reproduces a whole session.
#pragma once

#include <cmath>
#include <cstdint>

namespace gsmbench::sim::model {

class Rng {
  public:
    explicit Rng(std::uint64_t seed = 1) { reseed(seed); }

    void reseed(std::uint64_t seed) {
        state_ = seed ^ 0x9E3779B97F4A7C15ull;
        spare_valid_ = false;
    }

    // splitmix64
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in [0, 1).
    double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

    // Standard normal deviate (Box-Muller).
    double normal() {
        if (spare_valid_) {
            spare_valid_ = false;
            return spare_;
        }
        double u1 = uniform();
        if (u1 < 1e-300)
            u1 = 1e-300;
        const double u2 = uniform();
        const double r = std::sqrt(-2.0 * std::log(u1));
        spare_ = r * std::sin(6.283185307179586 * u2);
        spare_valid_ = true;
        return r * std::cos(6.283185307179586 * u2);
    }

    double gauss(double mean, double sigma) { return mean + sigma * normal(); }

    // Number of successes in n trials of probability p: exact for small n,
    // the normal approximation for large counts.
    std::int64_t binomial(std::int64_t n, double p) {
        if (n <= 0 || p <= 0.0)
            return 0;
        if (p >= 1.0)
            return n;
        if (n <= 64) {
            std::int64_t k = 0;
            for (std::int64_t i = 0; i < n; ++i)
                k += uniform() < p ? 1 : 0;
            return k;
        }
        const double mean = static_cast<double>(n) * p;
        const double sd = std::sqrt(mean * (1.0 - p));
        const double k = std::round(gauss(mean, sd));
        if (k < 0)
            return 0;
        if (k > static_cast<double>(n))
            return n;
        return static_cast<std::int64_t>(k);
    }

  private:
    std::uint64_t state_ = 0;
    double spare_ = 0.0;
    bool spare_valid_ = false;
};

} // namespace gsmbench::sim::model
