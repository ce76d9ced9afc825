// VXI-11 for the two instruments as devices of one host, the way a LAN/GPIB gateway presents a
// GPIB bench: "gpib0,14" and "inst0" reach the test set, "gpib0,5" and "inst1" the supply.
// A portmapper (TCP and UDP) answers GETPORT for the core and abort programs; the core channel
// serves create_link, device_write, device_read, device_readstb, device_clear, destroy_link
// (and acknowledges trigger/remote/local/lock/unlock); the abort program is served on the core
// port too, which create_link announces as the abort port.
#pragma once

#include "scpi/engine.h"
#include "server/net.h"
#include "server/socket_server.h"
#include "server/trace.h"

#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace gsmbench::sim {

class Vxi11Server {
  public:
    Vxi11Server(Engine &test_set, Engine &supply, Tracer &tracer, ConnectionLimits limits);
    ~Vxi11Server();

    // Throws std::runtime_error when the core channel cannot listen; a portmapper that cannot
    // bind is reported by portmapper_error() and leaves the core channel running.
    void start(const std::string &address, std::uint16_t core_port, std::uint16_t portmapper_port);
    void stop();

    std::uint16_t core_port() const noexcept { return core_port_; }
    std::uint16_t portmapper_port() const noexcept { return portmapper_port_; }
    const std::string &portmapper_error() const noexcept { return portmapper_error_; }

    // Which engine a VXI-11 device name addresses (nullptr: none).
    Engine *device(std::string_view name) const;

  private:
    struct Connection {
        net::socket_t socket;
        std::uint64_t id;
        bool portmapper;
        std::thread thread;
        std::atomic<bool> done{false};
    };
    struct Link;
    void accept_loop(net::socket_t listener, bool portmapper);
    void serve(Connection &c);
    void udp_loop();
    void reap(bool all);

    Engine &test_set_, &supply_;
    Tracer &tracer_;
    ConnectionLimits limits_;
    std::uint16_t core_port_ = 0, portmapper_port_ = 0;
    std::string portmapper_error_;
    net::socket_t core_listener_ = net::invalid_socket;
    net::socket_t pmap_listener_ = net::invalid_socket;
    net::socket_t pmap_udp_ = net::invalid_socket;
    std::atomic<bool> stopping_{false};
    std::vector<std::thread> loops_;
    std::mutex mutex_;
    std::list<std::unique_ptr<Connection>> connections_;
    std::atomic<std::int32_t> next_lid_{1};
};

} // namespace gsmbench::sim
