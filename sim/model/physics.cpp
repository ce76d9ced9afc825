// What the test set measures, derived from the state of the bench: the phone's
// output power from its power-control level, the real cable loss and the
// test set's path-loss correction; modulation quality, spectrum and bit error
// ratios from the signal levels, all with seeded noise.
#include <algorithm>
#include <cmath>
#include <iterator>

#include "bench.h"

namespace gsmbench::sim::model {
namespace {

struct Point {
    double x;
    double y;
};

double interpolate(const Point *table, std::size_t n, double x) {
    if (x <= table[0].x)
        return table[0].y;
    for (std::size_t i = 1; i < n; ++i) {
        if (x <= table[i].x) {
            const Point &a = table[i - 1];
            const Point &b = table[i];
            return a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x);
        }
    }
    return table[n - 1].y;
}

// Modulation spectrum of a healthy GMSK transmitter, dB relative to the
// carrier, by offset in kHz.
constexpr Point modulation_shape[] = {{0, 0.0},      {100, -4.0},   {200, -35.0}, {250, -38.0},
                                      {400, -67.0},  {600, -71.0},  {800, -72.0}, {1200, -74.0},
                                      {1800, -76.0}, {3000, -80.0}, {6000, -82.0}};

double modulation_limit_db(double khz) {
    if (khz < 150)
        return 0.5;
    if (khz < 225)
        return -30.0;
    if (khz < 325)
        return -33.0;
    if (khz < 1800)
        return -60.0;
    return -65.0;
}

double switching_limit_dbm(double khz) {
    if (khz < 600)
        return -23.0;
    if (khz < 1200)
        return -26.0;
    if (khz < 1800)
        return -32.0;
    return -36.0;
}

// Probability of a bit error at `margin_db` above the phone's sensitivity, for
// a ratio of `at_sensitivity` there and a slope of one decade per `db_per_decade`.
double error_probability(double margin_db, double at_sensitivity, double db_per_decade) {
    const double p = at_sensitivity * std::pow(10.0, -margin_db / db_per_decade);
    return std::clamp(p, 0.0, 0.5);
}

} // namespace

double Bench::phone_rx_dbm() const {
    const auto k = static_cast<std::size_t>(ts.tch.band);
    const double f = downlink_hz(ts.tch.band, ts.tch.channel[k]);
    return ts.cell_power_dbm - ts.correction.gain_at(f) - phone_cfg.cable_loss_db;
}

double Bench::phone_tx_dbm() const {
    const auto k = static_cast<std::size_t>(ts.tch.band);
    double p = pcl_power_dbm(ts.tch.band, ts.tch.txl[k]) + phone_cfg.power_offset_db;
    // Below 3.5 V the power amplifier runs out of headroom at high power.
    if (supply.volts < 3.5 && p > 29.0)
        p -= (3.5 - supply.volts) * 20.0;
    return p;
}

bool Bench::phone_transmitting() const {
    if (!phone_powered() || phone_.state == PhoneState::off ||
        phone_.state == PhoneState::booting) {
        return false;
    }
    if (is_test_mode(ts.mode))
        return true;
    return ts.mode == OperatingMode::call && call_.state == CallState::conn;
}

double Bench::phone_current_a() const {
    switch (phone_.state) {
    case PhoneState::off:
        return 0.0;
    case PhoneState::booting:
        return 0.12;
    case PhoneState::searching:
        return is_test_mode(ts.mode) ? 0.10 : 0.08;
    case PhoneState::registering:
        return 0.09;
    case PhoneState::idle:
        break;
    }
    const bool busy = call_.state != CallState::idle && call_.state != CallState::pag;
    if (!busy)
        return 0.012;
    // One transmit slot in eight; the PA converts at about 45 %.
    const double rf_w = std::pow(10.0, phone_tx_dbm() / 10.0) / 1000.0;
    const double volts = std::max(supply.volts, 0.1);
    return 0.10 + rf_w / 0.45 / volts / 8.0;
}

double Bench::supply_output_volts() const {
    return supply.output ? supply.volts : 0.0;
}

double Bench::supply_output_amps() const {
    if (!supply.output)
        return 0.0;
    return std::min(phone_current_a(), supply.current_limit_a);
}

std::size_t Bench::value_count(Meas m) const {
    switch (m) {
    case Meas::txp:
        return 1;
    case Meas::pfer:
        return 3;
    case Meas::pvt:
        return 4;
    case Meas::orfs:
        return orfs.switching_hz.size() + orfs.modulation_hz.size();
    case Meas::berr:
    case Meas::fber:
        return 3;
    case Meas::dpow:
        return static_cast<std::size_t>(std::max(1, ts.dpow_count_gsm));
    default:
        return 0;
    }
}

MeasResult Bench::no_signal_result(Meas m, Integrity why) const {
    MeasResult r;
    r.integrity = why;
    r.values.assign(value_count(m), not_a_number);
    r.within_limits = false;
    return r;
}

MeasResult Bench::compute_result(Meas m) {
    const bool loopback = m == Meas::berr || m == Meas::fber;
    const bool downlink = phone_rx_dbm() >= phone_cfg.sensitivity_dbm - 10.0;
    if (!phone_transmitting() || (loopback && !downlink)) {
        return no_signal_result(m, Integrity::under_range);
    }
    const MeasSettings &s = settings(m);
    const double n = s.count_state ? std::max(1, s.count) : 1;
    const double avg = 1.0 / std::sqrt(n); // averaging narrows the noise

    const auto k = static_cast<std::size_t>(ts.tch.band);
    const double f_up = uplink_hz(ts.tch.band, ts.tch.channel[k]);
    // What reaches the test set's port, corrected by its path-loss table.
    const double tx = phone_tx_dbm();
    const double nominal = pcl_power_dbm(ts.tch.band, ts.tch.txl[k]) + phone_cfg.power_offset_db;
    const bool compressed = supply.volts < 3.5 && nominal > 29.0;
    const double seen = tx - phone_cfg.cable_loss_db - ts.correction.gain_at(f_up);
    const double margin = phone_rx_dbm() - phone_cfg.sensitivity_dbm;

    MeasResult r;
    r.integrity = Integrity::normal;
    switch (m) {
    case Meas::txp:
        r.values = {seen + rng_.gauss(0.0, 0.08 * avg)};
        break;
    case Meas::pfer: {
        const double rms = 1.4 + (compressed ? 2.0 : 0.0) + std::abs(rng_.gauss(0.0, 0.25 * avg));
        const double peak = rms * 3.1 + std::abs(rng_.gauss(0.0, 0.6 * avg));
        // The handset locks to the cell; a weak downlink lets it wander.
        const double wander = margin < 6.0 ? (6.0 - margin) * 4.0 : 0.0;
        const double ferr =
            phone_cfg.freq_error_ppm * f_up * 1e-6 + rng_.gauss(0.0, (5.0 + wander) * avg);
        r.values = {rms, peak, ferr};
        break;
    }
    case Meas::pvt: {
        const double mask = compressed ? 1.0 : 0.0;
        const double timing = rng_.gauss(0.05, 0.05 * avg); // burst timing error, bits
        const double ripple = 0.3 + std::abs(rng_.gauss(0.0, 0.1 * avg)) + (compressed ? 2.5 : 0.0);
        r.values = {mask, seen + rng_.gauss(0.0, 0.08 * avg), timing, ripple};
        break;
    }
    case Meas::orfs: {
        const double splatter = compressed ? 12.0 : 0.0;
        bool ok = true;
        for (double hz : orfs.switching_hz) {
            const double khz = std::max(std::abs(hz) / 1e3, 100.0);
            const double v = seen - 62.0 - 25.0 * std::log10(khz / 400.0) + splatter +
                             rng_.gauss(0.0, 0.5 * avg);
            ok = ok && v <= switching_limit_dbm(khz);
            r.values.push_back(v);
        }
        for (double hz : orfs.modulation_hz) {
            const double khz = std::abs(hz) / 1e3;
            const double v = interpolate(modulation_shape, std::size(modulation_shape), khz) +
                             (khz >= 200 ? splatter : 0.0) + rng_.gauss(0.0, 0.5 * avg);
            ok = ok && v <= modulation_limit_db(khz);
            r.values.push_back(v);
        }
        r.within_limits = ok;
        break;
    }
    case Meas::berr:
    case Meas::fber: {
        double at_sens = 1.5; // raw channel bits, before decoding
        double slope = 6.0;
        if (m == Meas::berr) {
            slope = 3.0; // decoded classes fall off faster above sensitivity
            switch (berr.type) {
            case BerType::typeia:
                at_sens = 0.1;
                break;
            case BerType::typeib:
                at_sens = 0.4;
                break;
            case BerType::typeii:
                at_sens = 2.0;
                break;
            case BerType::restypeia:
                at_sens = 0.05;
                break;
            case BerType::restypeib:
                at_sens = 0.2;
                break;
            case BerType::restypeii:
                at_sens = 1.0;
                break;
            }
        }
        const double p = error_probability(margin, at_sens / 100.0, slope);
        const std::int64_t bits = std::max(1, s.count);
        const std::int64_t errors = rng_.binomial(bits, p);
        r.values = {static_cast<double>(bits),
                    100.0 * static_cast<double>(errors) / static_cast<double>(bits),
                    static_cast<double>(errors)};
        break;
    }
    case Meas::dpow:
        for (std::size_t i = 0; i < value_count(m); ++i)
            r.values.push_back(seen + rng_.gauss(0.0, 0.1));
        break;
    default:
        break;
    }
    return r;
}

Report Bench::make_report() {
    const double rx = phone_rx_dbm() + rng_.gauss(0.0, 0.7);
    Report rep;
    rep.rx_level = std::clamp(static_cast<int>(std::floor(rx + 111.0)), 0, 63);
    // RXQUAL bands of the raw bit error ratio: 0.2 %, 0.4 %, ... 12.8 %.
    const double ber = error_probability(rx - phone_cfg.sensitivity_dbm, 0.015, 6.0) * 100.0;
    int q = 0;
    for (double edge = 0.2; q < 7 && ber >= edge; edge *= 2.0)
        ++q;
    rep.rx_quality = q;
    return rep;
}

} // namespace gsmbench::sim::model
