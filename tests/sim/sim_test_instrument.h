// A small instrument for the engine and transport tests: one row per engine feature (forms,
// optional nodes, captures, units, booleans, strings, lists, blocking), independent of the
// bench models so a model change cannot mask an engine fault.
#pragma once

#include "gsmbench/sim/bench.h"

#include <condition_variable>
#include <mutex>
#include <string>

namespace simtest {

using namespace gsmbench::sim;

class TestInstrument final : public Instrument {
  public:
    explicit TestInstrument(std::string name) : name_(std::move(name)) {}
    std::string name() const override { return name_; }
    std::string identity() const override { return "GSMBENCH,TEST-" + name_ + ",0,1"; }
    void attach(Host &host) override { host_ = &host; }
    void reset() override {
        std::lock_guard lock(mutex_);
        mode_ = "CALL";
        counter_ = 0;
        freq_ = 1e9;
        timeout_ = 10;
        level_ = 0;
        output_ = false;
        label_.clear();
        mcc_ = lac_ = bcc_ = 0;
        count_state_ = "";
        list_.clear();
        ready_ = false;
    }
    void interrupt() override {
        std::lock_guard lock(mutex_);
        cv_.notify_all();
    }
    nlohmann::json state() const override {
        std::lock_guard lock(mutex_);
        return {{"mode", mode_}, {"output", output_}};
    }

    std::vector<Command> commands() override {
        return {
            {"CALL:OPERating:MODE",
             [this](Request &r) {
                 if (auto c = r.choice(0, {"CALL", "CW", "OFF"})) {
                     std::lock_guard lock(mutex_);
                     static constexpr const char *modes[] = {"CALL", "CW", "OFF"};
                     mode_ = modes[*c];
                 }
             },
             [this](Request &, Response &out) {
                 std::lock_guard lock(mutex_);
                 out.keyword(mode_);
             }},
            {"CALL:MS:REPorted:RXQuality:NEW", nullptr,
             [this](Request &, Response &out) {
                 std::lock_guard lock(mutex_);
                 out.integer(++counter_);
             }},
            {"[SENSe:]FREQuency",
             [this](Request &r) {
                 if (auto v = r.number(0, {Unit::hertz, 1e6, 6e9, 1e9})) {
                     std::lock_guard lock(mutex_);
                     freq_ = *v;
                 }
             },
             [this](Request &, Response &out) {
                 std::lock_guard lock(mutex_);
                 out.real(freq_);
             }},
            {"COUNt", [](Request &r) { (void)r.integer(0, 1, 1000); }, nullptr},
            {"SETup:TIMeout:TIME",
             [this](Request &r) {
                 if (auto v = r.number(0, {Unit::second, 0.0, 1000.0})) {
                     std::lock_guard lock(mutex_);
                     timeout_ = *v;
                 }
             },
             [this](Request &, Response &out) {
                 std::lock_guard lock(mutex_);
                 out.real(timeout_);
             }},
            {"POWer:AMPLitude",
             [this](Request &r) {
                 if (auto v = r.number(0, {Unit::dbm, -130.0, 20.0})) {
                     std::lock_guard lock(mutex_);
                     level_ = *v;
                 }
             },
             [this](Request &, Response &out) {
                 std::lock_guard lock(mutex_);
                 out.real(level_);
             }},
            {"OUTPut[:STATe]",
             [this](Request &r) {
                 if (auto v = r.boolean(0)) {
                     std::lock_guard lock(mutex_);
                     output_ = *v;
                 }
             },
             [this](Request &, Response &out) {
                 std::lock_guard lock(mutex_);
                 out.boolean(output_);
             }},
            {"LABel",
             [this](Request &r) {
                 if (auto v = r.string(0)) {
                     std::lock_guard lock(mutex_);
                     label_ = *v;
                 }
             },
             [this](Request &, Response &out) {
                 std::lock_guard lock(mutex_);
                 out.string(label_);
             }},
            {"CALL:CELL:MCC", [this](Request &r) { set_int(r, mcc_); }, nullptr},
            {"CALL:CELL:LAC", [this](Request &r) { set_int(r, lac_); }, nullptr},
            {"CALL:CELL:BCC", [this](Request &r) { set_int(r, bcc_); }, nullptr},
            {"CALL:CELL", nullptr,
             [this](Request &, Response &out) {
                 std::lock_guard lock(mutex_);
                 out.integer(mcc_).integer(lac_).integer(bcc_);
             }},
            // A capture family next to literal rows: literal wins, and a literal node that
            // does not lead to the command falls back to the capture.
            {"SETup:{meas}:COUNt[:STATe]",
             [this](Request &r) {
                 if (auto v = r.boolean(0)) {
                     std::lock_guard lock(mutex_);
                     count_state_ = std::string(r.capture("meas")) + (*v ? "=1" : "=0");
                 }
             },
             [this](Request &r, Response &out) {
                 std::lock_guard lock(mutex_);
                 out.keyword(r.capture("meas")).keyword(count_state_);
             }},
            {"SETup:PFERror:COUNt:STATe", nullptr,
             [](Request &, Response &out) { out.keyword("LITERAL"); }},
            {"SETup:TXPower:EXTRa", nullptr,
             [](Request &, Response &out) { out.keyword("EXTRA"); }},
            {"CALL:{chan}:MS:TXLevel:{band}", nullptr,
             [](Request &r, Response &out) {
                 out.keyword(r.capture("chan")).keyword(r.capture(1));
             }},
            {"SYSTem:CORRection:FREQuency",
             [this](Request &r) {
                 std::vector<double> values;
                 for (std::size_t i = 0; i < r.param_count(); ++i) {
                     auto v = r.number(i, {Unit::hertz, 0.0, 6e9});
                     if (!v)
                         return;
                     values.push_back(*v);
                 }
                 std::lock_guard lock(mutex_);
                 list_ = values;
             },
             [this](Request &, Response &out) {
                 std::lock_guard lock(mutex_);
                 out.integer(static_cast<long long>(list_.size()));
                 for (double v : list_)
                     out.real(v);
             }},
            // Blocking: FETCh:WAIT? waits (simulated time) for TRIGger to complete.
            {"TRIGger",
             [this](Request &r) {
                 double duration = 1.0;
                 if (r.param_count() > 0) {
                     auto v = r.number(0, {Unit::second, 0.0, 100.0});
                     if (!v)
                         return;
                     duration = *v;
                 }
                 std::lock_guard lock(mutex_);
                 ready_ = false;
                 ready_at_ = host_->clock().deadline_after(duration);
             },
             nullptr},
            {"FETCh:WAIT", nullptr,
             [this](Request &, Response &out) {
                 std::unique_lock lock(mutex_);
                 auto at = ready_at_;
                 bool done = host_->clock().wait_until(
                     cv_, lock, at, [&] { return SimClock::clock::now() >= at; });
                 out.integer(done ? 1 : 0);
             }},
            {"ECHO", nullptr,
             [](Request &r, Response &out) {
                 if (auto v = r.integer(0, 0, 1 << 30))
                     out.integer(*v);
             }},
            {"BLOB", nullptr,
             [](Request &r, Response &out) {
                 if (auto v = r.integer(0, 1, 1 << 20))
                     out.raw(std::string(std::size_t(*v), 'B'));
             }},
            {"THRow", [](Request &) { throw std::runtime_error("model failure"); }, nullptr},
            {"PUSH",
             [this](Request &r) {
                 if (auto v = r.integer(0, -999, -1))
                     host_->push_error(int(*v), "pushed");
             },
             nullptr},
        };
    }

  private:
    void set_int(Request &r, long long &field) {
        if (auto v = r.integer(0, 0, 999)) {
            std::lock_guard lock(mutex_);
            field = *v;
        }
    }

    std::string name_;
    Host *host_ = nullptr;
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::string mode_ = "CALL";
    long long counter_ = 0;
    double freq_ = 1e9, timeout_ = 10, level_ = 0;
    bool output_ = false;
    std::string label_;
    long long mcc_ = 0, lac_ = 0, bcc_ = 0;
    std::string count_state_;
    std::vector<double> list_;
    bool ready_ = false;
    SimClock::clock::time_point ready_at_{};
};

inline BenchInstruments make_test_instruments(const ModelOptions &) {
    return {std::make_unique<TestInstrument>("testset"),
            std::make_unique<TestInstrument>("supply")};
}

inline BenchOptions test_options(double time_scale = 0.0) {
    BenchOptions o;
    o.factory = make_test_instruments;
    o.time_scale = time_scale;
    o.warning = [](std::string_view) {};
    return o;
}

} // namespace simtest
