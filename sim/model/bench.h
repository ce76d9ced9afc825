// The simulated bench: the test set (an emulated GSM cell and its
// measurements), the DC supply and the phone under test that the supply powers
// and the cell serves. The two instruments share one phone, so they share one
// Bench and one lock.
//
// Time is evaluated lazily: every access first brings the model up to the
// current clock time, firing the timed events (boot, registration, call
// set-up steps, measurement completions) that fell due since, in time order,
// under the conditions that held since the previous access. Commands always
// pass through an access, so conditions never change between two events
// without the model seeing it.
#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "clock.h"
#include "gsm_bands.h"
#include "path_loss.h"
#include "rng.h"
#include "vocabulary.h"

namespace gsmbench::sim::model {

// The instrument's "no value" number (what it sends for a result it has not got).
inline constexpr double not_a_number = 9.91e37;

// Integrity indicators, the first value of every measurement result.
enum class Integrity : int {
    normal = 0,
    no_result = 1,  // never initiated, aborted or switched off
    timeout = 2,    // the measurement time-out ended it first
    under_range = 6 // no signal from the phone to measure
};

// --- test set settings --------------------------------------------------

inline constexpr double cell_power_min_dbm = -140.0;
inline constexpr double cell_power_max_dbm = 10.0;

struct CellIdentity {
    int mcc = 1;
    int lac = 1;
    int mnc = 1;
    int ncc = 1;
    int bcc = 5;
    bool operator==(const CellIdentity &) const = default;
};

// The traffic channel's band and, per band, its channel and the phone's TX
// level. The test set keeps the set in use and a pending set that the next
// handover moves the call to.
struct TrafficSetup {
    Band band = Band::pgsm;
    std::array<int, band_count> channel{};
    std::array<int, band_count> txl{};
    bool operator==(const TrafficSetup &) const = default;
};

struct TestSetConfig {
    OperatingMode mode = OperatingMode::call;
    Band cell_band = Band::pgsm;
    std::array<int, band_count> bch_channel{};
    std::array<int, band_count> bch_txl{}; // the phone's level on control channels
    TrafficSetup tch;
    TrafficSetup tch_pending;
    double cell_power_dbm = -85.0;
    ConnectionType connection = ConnectionType::a;
    PathLoss correction;
    CellIdentity identity;
    bool gpib_debug = false;
    double connected_timeout_s = 10.0;
    // Test mode
    double rfg_gsm_hz = 0.0;
    double rfg_sel_hz = 0.0;
    bool rfan_auto = true;
    BurstType burst = BurstType::tsc5;
    int cw_level_dbm = -60;
    int cw_state = 0;
    int dpow_count_gsm = 10;
    int dpow_count_sel = 10;

    TestSetConfig();
};

struct MeasSettings {
    bool count_state = false;
    int count = 10;
    bool timeout_state = false;
    double timeout_s = 10.0;
    bool continuous = false;
    TriggerSource trigger = TriggerSource::autom;
    double trigger_delay_s = 0.0;
    bool trigger_qualifier = false;
    bool confidence = false;
    BurstSync sync = BurstSync::midamble;
};

// The loopback settings of BER and FBER.
struct BitErrorSettings {
    double cls_delay_s = 0.0; // settling time after closing the loop
    bool sl_control = false;  // signalling-link control
    BerType type = BerType::typeii;
    bool ld_auto = true;  // loopback delay found automatically
    int manual_delay = 0; // in bursts, when not automatic
};

struct OrfsSettings {
    std::vector<double> switching_hz;
    std::vector<double> modulation_hz;
    OrfsSettings();
};

struct MeasResult {
    Integrity integrity = Integrity::no_result;
    std::vector<double> values; // the reply's values after the integrity indicator
    bool within_limits = true;  // ORFS limit check
};

struct MeasRun {
    enum class Phase { off, running, done };
    Phase phase = Phase::off;
    TimePoint start{};
    TimePoint end{};
    bool timed_out = false;  // this run ends at its time-out
    bool unreported = false; // finished and not yet named by INIT:DONE?
    TimePoint finished_at{};
    std::optional<MeasResult> result; // the last completed cycle's result
};

// --- phone and supply ----------------------------------------------------

enum class PhoneState { off, booting, searching, registering, idle };
inline constexpr KeywordTable<PhoneState, 5> phone_states{
    {"OFF", "BOOTING", "SEARCHING", "REGISTERING", "IDLE"}};

struct PhoneConfig {
    double min_volts = 3.3;
    double max_volts = 4.4;
    double sensitivity_dbm = -108.0;
    bool autocall = true;
    double autocall_delay_s = 1.0;
    bool block_registration = false;
    double cable_loss_db = 0.0;   // the real loss between phone and test set
    double power_offset_db = 0.3; // this handset's deviation from nominal power
    double freq_error_ppm = 0.01;
};

struct PhoneStatus {
    PhoneState state = PhoneState::off;
    std::optional<TimePoint> due; // end of boot or of registration
    bool registered = false;
    bool brownout = false; // shut down by the supply's current limit
    std::optional<TimePoint> autocall_at;
};

struct SupplyState {
    double volts = 0.0;
    bool output = false;
    double current_limit_a = 3.0;
};

inline constexpr double supply_max_volts = 20.0;
inline constexpr double supply_max_amps = 5.0;

struct CallStatus {
    CallState state = CallState::idle;
    std::optional<TimePoint> due;
    std::uint64_t connected_changes = 0;
    bool armed = false;
    std::uint64_t armed_at_changes = 0;
};

struct Report {
    int rx_level = 0;   // RXLEV 0..63
    int rx_quality = 0; // RXQUAL 0..7
};

// Simulated durations (seconds) of the phone and call-processing steps.
struct Timing {
    double boot_s = 2.0;
    double register_s = 1.5;
    double sreq_s = 0.3;
    double aler_s = 0.6;
    double disc_s = 0.2;
    double hand_s = 0.3;
    double page_s = 0.5;
    double page_timeout_s = 5.0;
    double report_period_s = 0.48; // one SACCH multiframe
};

class Bench {
  public:
    explicit Bench(std::uint64_t seed = 1, std::shared_ptr<Clock> clock = nullptr);
    Bench(const Bench &) = delete;
    Bench &operator=(const Bench &) = delete;

    // Holds the bench lock; brings the model up to date on entry and again on
    // exit (so the effects of a command take hold at once) and wakes waiters.
    class Access {
      public:
        explicit Access(Bench &bench);
        ~Access();
        Access(const Access &) = delete;
        Access &operator=(const Access &) = delete;
        Bench *operator->() { return bench_; }
        Bench &operator*() { return *bench_; }
        std::unique_lock<std::mutex> &lock() { return lock_; }

      private:
        Bench *bench_;
        std::unique_lock<std::mutex> lock_;
    };
    Access access() { return Access(*this); }

    // Everything below expects the caller to hold an Access.

    void set_time_scale(double scale);
    double time_scale() const { return time_scale_; }
    void reseed(std::uint64_t seed) { rng_.reseed(seed); }
    Clock &clock() { return *clock_; }

    // Plain settings, written directly by the command tables.
    TestSetConfig ts;
    std::array<MeasSettings, meas_count> meas;
    BitErrorSettings berr;
    BitErrorSettings fber;
    OrfsSettings orfs;
    SupplyState supply;
    PhoneConfig phone_cfg;
    Timing timing;

    MeasSettings &settings(Meas m) { return meas[static_cast<std::size_t>(m)]; }

    // Instrument resets (*RST).
    void reset_test_set();
    void reset_supply();
    // Any new supply setting releases a handset that browned out.
    void supply_changed() { phone_.brownout = false; }

    // Traffic channel: immediate forms change the channel in use (a call moves
    // through HAND); setup forms change the pending set, which is also the set
    // in use while no call is up.
    void set_tch_band(Band band, bool immediate);
    void set_tch_channel(Band band, int channel, bool immediate);
    void set_tch_txl(Band band, int level, bool immediate);

    // Call processing.
    const PhoneStatus &phone() const { return phone_; }
    const CallStatus &call() const { return call_; }
    bool connected() const;
    void end_call();
    void handover();
    void originate();
    void arm_detector();
    // CALL:CONN?: when the detector is armed, waits for the connected state to
    // change or for the detector time-out; disarms it and answers 0 or 1.
    bool query_connected(Access &access);
    // CALL:<type>:WAIT: waits (up to the connected time-out) until no call
    // set-up, handover or release is in progress on that channel type.
    void wait_channel(Access &access, ChannelType type);

    // Measurements.
    void initiate(Meas m);
    void switch_off(Meas m);
    void abort_all();
    // One finished measurement per call, the earliest first; nullopt and
    // `running` true while others still run.
    std::optional<Meas> take_done(bool &running);
    std::vector<Meas> measurements_on() const;
    const MeasRun &run(Meas m) const { return runs_[static_cast<std::size_t>(m)]; }
    // Waits for the measurement to finish (bounded by its own time-out),
    // then gives its result (integrity no_result when it was never started).
    MeasResult fetch(Access &access, Meas m);
    // Simulated duration of one measurement cycle with the current settings.
    double duration_s(Meas m) const;

    // The phone's measurement reports: nullopt while no call is up.
    std::optional<Report> last_report();
    std::optional<Report> new_report(Access &access);

    // Physics seen from the test set.
    bool phone_powered() const;
    bool phone_transmitting() const;
    double phone_rx_dbm() const; // cell power arriving at the phone (TCH)
    double phone_tx_dbm() const; // the phone's true output power
    double supply_output_volts() const;
    double supply_output_amps() const;
    double phone_current_a() const;

    // State dump for inspection: {"test_set":{...},"phone":{...},"supply":{...}}.
    nlohmann::json dump() const;

    // Wakes every waiting query (device clear, shutdown). Call without an Access.
    void cancel_waits();

  private:
    friend class Access;
    void advance();
    void react(TimePoint t);
    std::optional<TimePoint> next_event() const;
    void fire(TimePoint t);
    void set_call_state(CallState s, TimePoint t, std::optional<double> next_in_s);
    void drop_call();
    bool cell_ok() const;
    void start_registration(TimePoint t);
    void finish_measurement(Meas m, TimePoint t);
    MeasResult compute_result(Meas m);
    MeasResult no_signal_result(Meas m, Integrity why) const;
    std::size_t value_count(Meas m) const;
    Report make_report();
    template <typename Pred>
    bool wait_until(std::unique_lock<std::mutex> &lock, Pred done, TimePoint deadline);
    TimePoint at(TimePoint t, double sim_seconds) const {
        return t + scaled(sim_seconds, time_scale_);
    }

    std::shared_ptr<Clock> clock_;
    double time_scale_ = 1.0;
    Rng rng_;
    std::mutex mutex_;
    std::condition_variable cv_;
    std::uint64_t cancel_generation_ = 0;
    TimePoint last_time_{};
    PhoneStatus phone_;
    CallStatus call_;
    std::array<MeasRun, meas_count> runs_{};
    // What the phone camped on; a change makes an idle phone register again.
    struct CampKey {
        Band band;
        int channel;
        CellIdentity id;
        bool operator==(const CampKey &) const = default;
    };
    std::optional<CampKey> camped_;
    CampKey camp_key() const;
    std::optional<Report> report_;
    TimePoint report_time_{};
};

} // namespace gsmbench::sim::model
