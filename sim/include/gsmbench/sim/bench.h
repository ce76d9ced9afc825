// The bench simulator in-process: the test set and the DC supply served over raw SCPI sockets
// (and VXI-11 when asked) on 127.0.0.1. Tests and the command-line tool start it on ephemeral
// ports; the gsmbench-sim daemon is a thin wrapper around it.
//
//     gsmbench::sim::BenchOptions options;      // ephemeral ports, instant time
//     options.time_scale = 0;
//     gsmbench::sim::Bench bench(options);
//     bench.start();                            // throws std::runtime_error if it cannot listen
//     std::string rsrc = "TCPIP0::127.0.0.1::" + std::to_string(bench.test_set_port()) +
//     "::SOCKET";
//     ...
//     bench.stop();                             // also done by the destructor
#pragma once

#include "gsmbench/sim/instruments.h"
#include "gsmbench/sim/scpi.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace gsmbench::sim {

struct BenchOptions {
    std::string bind_address = "127.0.0.1";
    std::uint16_t test_set_port = 0; // 0: an ephemeral port (read it back with test_set_port())
    std::uint16_t supply_port = 0;

    // VXI-11: one host with two devices, "gpib0,14"/"inst0" = test set, "gpib0,5"/"inst1" =
    // supply. The portmapper answers GETPORT on portmapper_port (111 is what ordinary VISA
    // clients ask; 0 = ephemeral); the core channel listens on vxi11_port (0 = ephemeral).
    // When the portmapper cannot bind, the bench says so through `warning` and carries on
    // with SOCKET (and the core channel) only.
    bool vxi11 = false;
    std::uint16_t portmapper_port = 0;
    std::uint16_t vxi11_port = 0;

    // One line per message received and reply sent ("time instrument#connection < text").
    // Null: no trace. Called from connection threads, one call at a time.
    std::function<void(std::string_view line)> trace;
    // Non-fatal problems (portmapper not bound, ...). Null: written to stderr.
    std::function<void(std::string_view line)> warning;

    std::uint64_t seed = 1;
    double time_scale = 1.0; // real seconds per simulated second; 0 = instant (see SimClock)

    // Robustness bounds per connection: a message longer than max_message bytes is discarded
    // up to its line feed with -223 "Too much data"; a client that does not take a reply within
    // send_timeout is dropped.
    std::size_t max_message = std::size_t{64} * 1024;
    std::chrono::milliseconds send_timeout{5000};
    // Connections per instrument; further ones are accepted and closed at once.
    std::size_t max_connections = 64;

    // Makes the two instruments; null means make_bench_instruments(). Tests of the engine and
    // servers plug in their own small instruments here.
    std::function<BenchInstruments(const ModelOptions &)> factory;
};

class Bench {
  public:
    explicit Bench(BenchOptions options = {});
    ~Bench();
    Bench(const Bench &) = delete;
    Bench &operator=(const Bench &) = delete;

    // Makes the instruments and opens the listeners. Throws std::runtime_error when a SOCKET
    // or the VXI-11 core port cannot be opened (the portmapper only warns).
    void start();
    // Closes listeners and connections, wakes blocked handlers, joins every thread. Idempotent.
    void stop();
    bool running() const noexcept;

    std::uint16_t test_set_port() const noexcept;
    std::uint16_t supply_port() const noexcept;
    // 0 when VXI-11 is off or the portmapper could not bind.
    std::uint16_t portmapper_port() const noexcept;
    std::uint16_t vxi11_port() const noexcept;
    // Why the portmapper is not running (empty when it is, or VXI-11 is off).
    std::string portmapper_error() const;

    // The instruments (valid between start() and stop()).
    Instrument &test_set();
    Instrument &supply();
    // SIMulation:STATe? of both: {"testset":{...},"supply":{...}}.
    nlohmann::json state() const;
    // Shared simulated clock (time scale).
    SimClock &clock() noexcept;

    // Executes one message on an instrument without any transport, as a connection would
    // ("testset" or "supply"); returns the reply including its '\n', or "" when none.
    // For tests and benchmarks of the engine.
    std::string execute(std::string_view instrument, std::string_view message);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace gsmbench::sim
