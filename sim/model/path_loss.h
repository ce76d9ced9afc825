// The test set's path-loss correction: a list of frequencies and a list of
// gain offsets (dB, negative for a loss) paired by position. Between points
// the gain is interpolated linearly in frequency; outside the table the
// nearest point holds. A gain list without frequencies applies its first gain
// everywhere.
#pragma once

#include <cstddef>
#include <vector>

namespace gsmbench::sim::model {

class PathLoss {
  public:
    static constexpr std::size_t max_points = 50;

    bool set_frequencies(std::vector<double> hz);
    bool set_gains(std::vector<double> db);
    void clear();

    const std::vector<double> &frequencies() const { return freqs_; }
    const std::vector<double> &gains() const { return gains_; }

    // Gain offset in dB that applies at this frequency.
    double gain_at(double hz) const;

  private:
    std::vector<double> freqs_;
    std::vector<double> gains_;
};

} // namespace gsmbench::sim::model
