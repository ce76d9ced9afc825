#include "bench.h"

#include <algorithm>
#include <chrono>

namespace gsmbench::sim::model {

TestSetConfig::TestSetConfig() {
    for (int i = 0; i < band_count; ++i) {
        const auto b = static_cast<Band>(i);
        const auto k = static_cast<std::size_t>(i);
        bch_channel[k] = band_info(b).default_bch;
        tch.channel[k] = band_info(b).default_tch;
        // GSM 900 PCL 5 and DCS/PCS PCL 0: each band's highest power.
        tch.txl[k] = band_info(b).high_band ? 0 : 5;
        bch_txl[k] = tch.txl[k];
    }
    tch_pending = tch;
    rfg_gsm_hz = downlink_hz(Band::pgsm, band_info(Band::pgsm).default_bch);
    rfg_sel_hz = rfg_gsm_hz;
}

OrfsSettings::OrfsSettings()
    : switching_hz{400e3, 600e3, 1200e3, 1800e3}, modulation_hz{100e3, 200e3, 250e3,
                                                                400e3, 600e3, 1200e3} {}

Bench::Bench(std::uint64_t seed, std::shared_ptr<Clock> clock)
    : clock_(clock ? std::move(clock) : std::make_shared<SteadyClock>()), rng_(seed) {
    last_time_ = clock_->now();
    reset_test_set();
    reset_supply();
}

Bench::Access::Access(Bench &bench) : bench_(&bench), lock_(bench.mutex_) {
    bench_->advance();
}

Bench::Access::~Access() {
    bench_->advance();
    bench_->cv_.notify_all();
}

void Bench::set_time_scale(double scale) {
    time_scale_ = scale > 0.0 ? scale : 0.0;
}

void Bench::reset_test_set() {
    ts = TestSetConfig{};
    meas = {};
    for (Meas m : {Meas::berr, Meas::fber})
        settings(m).count = 10000;
    berr = {};
    fber = {};
    orfs = {};
    for (MeasRun &r : runs_)
        r = {};
    if (call_.state != CallState::idle)
        drop_call();
    call_.armed = false;
    report_.reset();
    // The cell comes back as a new network: an idle phone registers afresh.
    camped_.reset();
    if (phone_.state == PhoneState::idle || phone_.state == PhoneState::registering) {
        phone_.state = PhoneState::searching;
        phone_.registered = false;
        phone_.due.reset();
        phone_.autocall_at.reset();
    }
}

void Bench::reset_supply() {
    supply = SupplyState{};
}

// --- time -----------------------------------------------------------------

void Bench::advance() {
    if (const auto scale = clock_->time_scale())
        set_time_scale(*scale);
    const TimePoint now = clock_->now();
    TimePoint t = std::min(last_time_, now);
    // Each pass handles the reactions to the present conditions, then the
    // earliest timed event; the guard only stops a runaway chain.
    for (int guard = 0; guard < 100000; ++guard) {
        react(t);
        const auto next = next_event();
        if (!next || *next > now)
            break;
        t = std::max(t, *next);
        fire(t);
    }
    last_time_ = now;
}

std::optional<TimePoint> Bench::next_event() const {
    std::optional<TimePoint> best;
    auto consider = [&best](const std::optional<TimePoint> &tp) {
        if (tp && (!best || *tp < *best))
            best = tp;
    };
    consider(phone_.due);
    if (call_.state == CallState::idle && phone_.state == PhoneState::idle)
        consider(phone_.autocall_at);
    consider(call_.due);
    for (const MeasRun &r : runs_) {
        if (r.phase == MeasRun::Phase::running)
            consider(r.end);
    }
    return best;
}

template <typename Pred>
bool Bench::wait_until(std::unique_lock<std::mutex> &lock, Pred done, TimePoint deadline) {
    const std::uint64_t generation = cancel_generation_;
    for (;;) {
        advance();
        if (done())
            return true;
        const TimePoint now = clock_->now();
        if (now >= deadline || generation != cancel_generation_)
            return false;
        // Events are evaluated lazily, so poll at a short interval as well as
        // waking on every command another client sends.
        const TimePoint wake = std::min(deadline, now + std::chrono::milliseconds(5));
        if (!clock_->sleep_until(cv_, lock, wake)) {
            advance();
            return done();
        }
    }
}

void Bench::cancel_waits() {
    {
        std::lock_guard<std::mutex> guard(mutex_);
        ++cancel_generation_;
    }
    cv_.notify_all();
}

// --- phone and call processing ------------------------------------------

bool Bench::phone_powered() const {
    return supply.output && !phone_.brownout && supply.volts >= phone_cfg.min_volts &&
           supply.volts <= phone_cfg.max_volts;
}

Bench::CampKey Bench::camp_key() const {
    return {ts.cell_band, ts.bch_channel[static_cast<std::size_t>(ts.cell_band)], ts.identity};
}

bool Bench::cell_ok() const {
    const Band b = ts.cell_band;
    const int ch = ts.bch_channel[static_cast<std::size_t>(b)];
    if (ts.mode != OperatingMode::call || !band_info(b).phone_supports || !channel_valid(b, ch)) {
        return false;
    }
    const double rx =
        ts.cell_power_dbm - ts.correction.gain_at(downlink_hz(b, ch)) - phone_cfg.cable_loss_db;
    return rx >= phone_cfg.sensitivity_dbm;
}

bool Bench::connected() const {
    return call_.state == CallState::conn || call_.state == CallState::hand;
}

void Bench::set_call_state(CallState s, TimePoint t, std::optional<double> next_in_s) {
    const bool was = connected();
    call_.state = s;
    call_.due = next_in_s ? std::optional<TimePoint>(at(t, *next_in_s)) : std::nullopt;
    if (was != connected())
        ++call_.connected_changes;
    if (!connected())
        report_.reset();
}

void Bench::drop_call() {
    const bool was = connected();
    call_.state = CallState::idle;
    call_.due.reset();
    if (was)
        ++call_.connected_changes;
    report_.reset();
}

void Bench::start_registration(TimePoint t) {
    phone_.state = PhoneState::registering;
    phone_.registered = false;
    phone_.autocall_at.reset();
    camped_ = camp_key();
    phone_.due = phone_cfg.block_registration ? std::nullopt
                                              : std::optional<TimePoint>(at(t, timing.register_s));
}

void Bench::react(TimePoint t) {
    if (supply.output && phone_current_a() > supply.current_limit_a && phone_powered()) {
        // The supply folds back into current limiting; the handset browns out
        // and stays off until the supply is set again.
        phone_.brownout = true;
    }
    if (!phone_powered()) {
        if (phone_.state != PhoneState::off) {
            const bool brownout = phone_.brownout;
            phone_ = PhoneStatus{};
            phone_.brownout = brownout;
            camped_.reset();
        }
        if (call_.state != CallState::idle)
            drop_call();
        return;
    }
    if (phone_.state == PhoneState::off) {
        phone_.state = PhoneState::booting;
        phone_.due = at(t, timing.boot_s);
        return;
    }
    if (call_.state != CallState::idle) {
        // A call survives cell changes but not the loss of the signalling mode
        // or of the downlink (radio link failure).
        const bool link_lost = ts.mode != OperatingMode::call ||
                               phone_rx_dbm() < phone_cfg.sensitivity_dbm - 10.0 ||
                               (call_.state != CallState::pag && !phone_.registered);
        if (link_lost)
            drop_call();
        return;
    }
    switch (phone_.state) {
    case PhoneState::searching:
        if (cell_ok())
            start_registration(t);
        break;
    case PhoneState::registering:
    case PhoneState::idle:
        if (!cell_ok()) {
            phone_.state = PhoneState::searching;
            phone_.registered = false;
            phone_.due.reset();
            phone_.autocall_at.reset();
            camped_.reset();
        } else if (camped_ != camp_key()) {
            start_registration(t);
        } else if (phone_.state == PhoneState::registering && !phone_.due &&
                   !phone_cfg.block_registration) {
            phone_.due = at(t, timing.register_s);
        }
        break;
    default:
        break;
    }
}

void Bench::fire(TimePoint t) {
    // Measurements first when several events fall on the same instant: a
    // result belongs to the conditions that held while it was measured.
    for (std::size_t i = 0; i < meas_count; ++i) {
        MeasRun &r = runs_[i];
        if (r.phase == MeasRun::Phase::running && r.end <= t) {
            finish_measurement(static_cast<Meas>(i), t);
            return;
        }
    }
    if (phone_.due && *phone_.due <= t) {
        phone_.due.reset();
        if (phone_.state == PhoneState::booting) {
            phone_.state = PhoneState::searching;
        } else if (phone_.state == PhoneState::registering) {
            phone_.state = PhoneState::idle;
            phone_.registered = true;
            if (phone_cfg.autocall)
                phone_.autocall_at = at(t, phone_cfg.autocall_delay_s);
        }
        return;
    }
    if (call_.due && *call_.due <= t) {
        switch (call_.state) {
        case CallState::sreq:
            set_call_state(CallState::aler, t, timing.aler_s);
            break;
        case CallState::aler:
            set_call_state(CallState::conn, t, std::nullopt);
            break;
        case CallState::disc:
            set_call_state(CallState::idle, t, std::nullopt);
            break;
        case CallState::pag:
            if (phone_.registered) {
                set_call_state(CallState::aler, t, timing.aler_s);
            } else {
                set_call_state(CallState::idle, t, std::nullopt);
            }
            break;
        case CallState::hand: {
            ts.tch = ts.tch_pending;
            const auto k = static_cast<std::size_t>(ts.tch.band);
            if (band_info(ts.tch.band).phone_supports &&
                channel_valid(ts.tch.band, ts.tch.channel[k])) {
                set_call_state(CallState::conn, t, std::nullopt);
            } else {
                drop_call(); // the handset cannot follow: handover failure
            }
            break;
        }
        default:
            call_.due.reset();
            break;
        }
        return;
    }
    if (phone_.autocall_at && *phone_.autocall_at <= t) {
        phone_.autocall_at.reset();
        if (call_.state == CallState::idle && phone_.registered) {
            set_call_state(CallState::sreq, t, timing.sreq_s);
        }
    }
}

void Bench::set_tch_band(Band band, bool immediate) {
    ts.tch_pending.band = band;
    if (!connected()) {
        ts.tch.band = band;
    } else if (immediate && ts.tch.band != band) {
        handover();
    }
}

void Bench::set_tch_channel(Band band, int channel, bool immediate) {
    const auto k = static_cast<std::size_t>(band);
    ts.tch_pending.channel[k] = channel;
    if (!connected()) {
        ts.tch.channel[k] = channel;
    } else if (immediate && ts.tch.channel[k] != channel) {
        if (band == ts.tch.band) {
            handover(); // channel assignment within the call
        } else {
            ts.tch.channel[k] = channel;
        }
    }
}

void Bench::set_tch_txl(Band band, int level, bool immediate) {
    const auto k = static_cast<std::size_t>(band);
    ts.tch_pending.txl[k] = level;
    // Power control takes effect at once; only the setup form waits for a handover.
    if (!connected() || immediate)
        ts.tch.txl[k] = level;
}

void Bench::end_call() {
    switch (call_.state) {
    case CallState::idle:
    case CallState::disc:
        break;
    case CallState::pag:
        set_call_state(CallState::idle, last_time_, std::nullopt);
        break;
    default:
        set_call_state(CallState::disc, last_time_, timing.disc_s);
        break;
    }
}

void Bench::handover() {
    if (call_.state == CallState::conn) {
        set_call_state(CallState::hand, last_time_, timing.hand_s);
    } else if (!connected()) {
        ts.tch = ts.tch_pending;
    }
}

void Bench::originate() {
    if (call_.state != CallState::idle)
        return;
    set_call_state(CallState::pag, last_time_,
                   phone_.registered ? timing.page_s : timing.page_timeout_s);
}

void Bench::arm_detector() {
    call_.armed = true;
    call_.armed_at_changes = call_.connected_changes;
}

bool Bench::query_connected(Access &access) {
    if (call_.armed) {
        const std::uint64_t mark = call_.armed_at_changes;
        const TimePoint deadline = at(clock_->now(), ts.connected_timeout_s);
        wait_until(
            access.lock(), [&] { return call_.connected_changes != mark; }, deadline);
        call_.armed = false;
    }
    return connected();
}

void Bench::wait_channel(Access &access, ChannelType type) {
    const TimePoint deadline = at(clock_->now(), ts.connected_timeout_s);
    if (type == ChannelType::tch) {
        wait_until(
            access.lock(),
            [&] { return call_.state == CallState::idle || call_.state == CallState::conn; },
            deadline);
    } else {
        // A registration held back on purpose will not finish: do not wait for it.
        wait_until(
            access.lock(),
            [&] {
                return phone_.state == PhoneState::booting
                           ? false
                           : phone_.state != PhoneState::registering ||
                                 phone_cfg.block_registration;
            },
            deadline);
    }
}

// --- measurements -------------------------------------------------------

double Bench::duration_s(Meas m) const {
    const MeasSettings &s = meas[static_cast<std::size_t>(m)];
    const double n = s.count_state ? std::max(1, s.count) : 1;
    constexpr double frame_s = 0.004615; // one TDMA frame
    double d = 0.0;
    switch (m) {
    case Meas::txp:
        d = 0.02 + n * frame_s;
        break;
    case Meas::pfer:
    case Meas::pvt:
        d = 0.03 + n * 2 * frame_s;
        break;
    case Meas::orfs:
        d = 0.1 + n * 10 * frame_s;
        break;
    case Meas::dpow:
        d = 0.01 + std::max(1, ts.dpow_count_gsm) * frame_s;
        break;
    case Meas::berr: {
        // Bits of the chosen class carried per 20 ms speech frame.
        double per_frame = 78.0;
        switch (berr.type) {
        case BerType::typeia:
        case BerType::restypeia:
            per_frame = 50.0;
            break;
        case BerType::typeib:
        case BerType::restypeib:
            per_frame = 132.0;
            break;
        default:
            break;
        }
        d = berr.cls_delay_s + std::max(1, s.count) / per_frame * 0.02;
        break;
    }
    case Meas::fber:
        d = fber.cls_delay_s + std::max(1, s.count) / 114.0 * frame_s;
        break;
    default:
        d = 0.1 + n * frame_s;
        break;
    }
    return d + std::max(0.0, s.trigger_delay_s);
}

void Bench::initiate(Meas m) {
    if (!can_initiate(m))
        return;
    MeasRun &r = runs_[static_cast<std::size_t>(m)];
    const MeasSettings &s = settings(m);
    const double d = duration_s(m);
    r.phase = MeasRun::Phase::running;
    r.start = last_time_;
    r.timed_out = s.timeout_state && s.timeout_s < d;
    r.end = at(r.start, r.timed_out ? std::max(0.0, s.timeout_s) : d);
    r.unreported = false;
    r.result.reset();
}

void Bench::switch_off(Meas m) {
    runs_[static_cast<std::size_t>(m)] = MeasRun{};
}

void Bench::abort_all() {
    for (MeasRun &r : runs_)
        r = MeasRun{};
}

void Bench::finish_measurement(Meas m, TimePoint t) {
    MeasRun &r = runs_[static_cast<std::size_t>(m)];
    r.result = r.timed_out ? no_signal_result(m, Integrity::timeout) : compute_result(m);
    r.unreported = true;
    r.finished_at = t;
    if (settings(m).continuous) {
        // Continuous measurements start their next cycle at once.
        const double d = duration_s(m);
        r.timed_out = settings(m).timeout_state && settings(m).timeout_s < d;
        const Duration period =
            scaled(r.timed_out ? std::max(0.0, settings(m).timeout_s) : d, time_scale_);
        if (period <= Duration::zero()) {
            // An instant clock would loop for ever; hold the next cycle.
            r.phase = MeasRun::Phase::done;
        } else {
            // Cycles nobody looked at are skipped: start the one running now.
            const TimePoint now = clock_->now();
            const auto missed = now > t ? (now - t) / period : 0;
            r.start = t + missed * period;
            r.end = r.start + period;
        }
    } else {
        r.phase = MeasRun::Phase::done;
    }
}

std::optional<Meas> Bench::take_done(bool &running) {
    running = false;
    std::optional<std::size_t> first;
    for (std::size_t i = 0; i < meas_count; ++i) {
        const MeasRun &r = runs_[i];
        if (r.unreported && (!first || r.finished_at < runs_[*first].finished_at))
            first = i;
        if (r.phase == MeasRun::Phase::running)
            running = true;
    }
    if (!first)
        return std::nullopt;
    runs_[*first].unreported = false;
    return static_cast<Meas>(*first);
}

std::vector<Meas> Bench::measurements_on() const {
    std::vector<Meas> on;
    for (std::size_t i = 0; i < meas_count; ++i) {
        if (runs_[i].phase != MeasRun::Phase::off)
            on.push_back(static_cast<Meas>(i));
    }
    return on;
}

MeasResult Bench::fetch(Access &access, Meas m) {
    const std::size_t i = static_cast<std::size_t>(m);
    if (runs_[i].phase == MeasRun::Phase::running && !runs_[i].result) {
        // The run carries its own time-out in its end time; the extra second
        // only covers clock granularity.
        const TimePoint deadline = runs_[i].end + std::chrono::seconds(1);
        wait_until(
            access.lock(), [&] { return runs_[i].result.has_value(); }, deadline);
    }
    if (runs_[i].result)
        return *runs_[i].result;
    return no_signal_result(m, runs_[i].phase == MeasRun::Phase::off ? Integrity::no_result
                                                                     : Integrity::timeout);
}

// --- reports ------------------------------------------------------------

std::optional<Report> Bench::last_report() {
    if (!connected())
        return std::nullopt;
    if (!report_) {
        report_ = make_report();
        report_time_ = last_time_;
    }
    return report_;
}

std::optional<Report> Bench::new_report(Access &access) {
    if (!connected())
        return std::nullopt;
    if (report_) {
        // A NEW? answer is the next report the phone sends.
        const TimePoint due = at(report_time_, timing.report_period_s);
        wait_until(
            access.lock(), [&] { return !connected() || clock_->now() >= due; }, due);
        if (!connected())
            return std::nullopt;
    }
    report_ = make_report();
    report_time_ = clock_->now();
    return report_;
}

} // namespace gsmbench::sim::model
