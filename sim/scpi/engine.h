// The SCPI engine of one instrument: parses messages, resolves headers in the compiled command
// tree, runs the model's handlers, keeps the error queue and the IEEE 488.2 status registers,
// and applies the reply faults armed under SIMulation:. Transports call execute() once per
// message (a line without its line feed) from their connection threads.
#pragma once

#include "gsmbench/sim/scpi.h"
#include "scpi/tree.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

namespace gsmbench::sim {

class Engine final : public Host {
  public:
    // Capacity of the error queue; its last slot holds -350 once it overflows.
    static constexpr std::size_t error_queue_capacity = 30;

    using TraceSink = std::function<void(std::string_view)>;

    // Compiles the engine's rows and the instrument's, then attaches and resets the instrument.
    // Throws std::logic_error for a bad command table.
    Engine(Instrument &instrument, SimClock &clock, std::uint64_t seed, TraceSink trace = {});

    struct Outcome {
        std::string reply;                  // with its '\n'; empty: nothing to send
        bool drop = false;                  // close the connection instead of replying
        std::chrono::milliseconds delay{0}; // real time to wait before sending the reply
        bool silenced = false;              // a reply existed but a fault swallowed it
    };
    Outcome execute(std::uint64_t connection, std::string_view message);

    void push_error(int code, std::string_view text, std::string_view info);
    std::size_t error_count() const;
    // IEEE 488.2 status byte as *STB? reports it (VXI-11 device_readstb).
    unsigned status_byte() const;

    Instrument &instrument() noexcept { return instrument_; }
    const std::string &name() const noexcept { return name_; }
    nlohmann::json state() const;

    // Host
    const SimClock &clock() const noexcept override { return clock_; }
    SimClock &clock() noexcept override { return clock_; }
    std::uint64_t seed() const noexcept override { return seed_; }
    void push_error(int code, std::string_view info = {}) override;
    void trace(std::string_view text) override;

  private:
    struct Faults {
        std::chrono::milliseconds delay{0};
        long long silent = 0;
        std::size_t garbage = 0;
        std::size_t long_reply = 0;
        bool drop = false;
        bool drop_now = false; // this message only
    };
    struct ErrorEntry {
        int code;
        std::string text;
    };

    std::vector<Command> engine_rows();
    void run_unit(std::string_view unit, char *writable, int &base, detail::CaptureStack &base_caps,
                  std::uint64_t connection, std::string &reply, std::size_t &answers);
    void invoke(const Command &row, Request &req, std::string &reply, std::size_t &answers);
    Faults &message_faults();
    std::string garbage(std::size_t n);

    Instrument &instrument_;
    SimClock &clock_;
    std::uint64_t seed_;
    TraceSink trace_;
    std::string name_;
    std::string identity_;
    RealFormat format_;
    detail::CommandTree tree_;

    mutable std::mutex mutex_; // everything below
    std::deque<ErrorEntry> errors_;
    unsigned esr_ = 0, ese_ = 0, sre_ = 0;
    Faults pending_;
    std::uint64_t messages_ = 0;
    std::uint64_t garbage_state_;
};

} // namespace gsmbench::sim
