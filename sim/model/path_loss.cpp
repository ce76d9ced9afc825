#include "path_loss.h"

#include <algorithm>
#include <numeric>

namespace gsmbench::sim::model {

bool PathLoss::set_frequencies(std::vector<double> hz) {
    if (hz.size() > max_points)
        return false;
    for (double f : hz) {
        if (!(f >= 0.0))
            return false;
    }
    freqs_ = std::move(hz);
    return true;
}

bool PathLoss::set_gains(std::vector<double> db) {
    if (db.size() > max_points)
        return false;
    gains_ = std::move(db);
    return true;
}

void PathLoss::clear() {
    freqs_.clear();
    gains_.clear();
}

double PathLoss::gain_at(double hz) const {
    if (gains_.empty())
        return 0.0;
    const std::size_t n = std::min(freqs_.size(), gains_.size());
    if (n == 0)
        return gains_.front();
    // The lists arrive in the caller's order; interpolate over them sorted.
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(),
              [this](std::size_t a, std::size_t b) { return freqs_[a] < freqs_[b]; });
    if (hz <= freqs_[order.front()])
        return gains_[order.front()];
    if (hz >= freqs_[order.back()])
        return gains_[order.back()];
    for (std::size_t k = 1; k < n; ++k) {
        const double f0 = freqs_[order[k - 1]];
        const double f1 = freqs_[order[k]];
        if (hz <= f1) {
            const double g0 = gains_[order[k - 1]];
            const double g1 = gains_[order[k]];
            return f1 > f0 ? g0 + (g1 - g0) * (hz - f0) / (f1 - f0) : g1;
        }
    }
    return gains_[order.back()];
}

} // namespace gsmbench::sim::model
