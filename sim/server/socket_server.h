// Raw SCPI over TCP (the LAN "SOCKET" resource class): line-feed terminated messages, one
// thread per connection, each reply written with one send.
#pragma once

#include "scpi/engine.h"
#include "server/net.h"
#include "server/trace.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace gsmbench::sim {

struct ConnectionLimits {
    std::size_t max_message = std::size_t{64} * 1024;
    std::chrono::milliseconds send_timeout{5000};
    std::size_t max_connections = 64;
};

// Connection ids are unique over the whole bench so a trace never shows two clients as one.
std::uint64_t next_connection_id();

// Real-time wait that ends early when the bench stops (fault delays).
void sleep_unless_stopping(const SimClock &clock, std::chrono::milliseconds delay);

class SocketServer {
  public:
    SocketServer(Engine &engine, Tracer &tracer, ConnectionLimits limits);
    ~SocketServer();

    // Throws std::runtime_error when it cannot listen.
    void start(const std::string &address, std::uint16_t port);
    void stop();
    std::uint16_t port() const noexcept { return port_; }

  private:
    struct Connection {
        net::socket_t socket;
        std::uint64_t id;
        std::thread thread;
        std::atomic<bool> done{false};
    };
    void accept_loop();
    void serve(Connection &c);
    void reap(bool all);

    Engine &engine_;
    Tracer &tracer_;
    ConnectionLimits limits_;
    net::socket_t listener_ = net::invalid_socket;
    std::uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread acceptor_;
    std::mutex mutex_;
    std::list<std::unique_ptr<Connection>> connections_;
};

} // namespace gsmbench::sim
