#include "server/socket_server.h"
#include "server/connection_list.h"

#include <cstring>
#include <stdexcept>

namespace gsmbench::sim {

std::uint64_t next_connection_id() {
    static std::atomic<std::uint64_t> next{1};
    return next.fetch_add(1, std::memory_order_relaxed);
}

void sleep_unless_stopping(const SimClock &clock, std::chrono::milliseconds delay) {
    auto deadline = std::chrono::steady_clock::now() + delay;
    while (!clock.stopping()) {
        auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            return;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
            deadline - now, std::chrono::milliseconds(20)));
    }
}

SocketServer::SocketServer(Engine &engine, Tracer &tracer, ConnectionLimits limits)
    : engine_(engine), tracer_(tracer), limits_(limits) {}

SocketServer::~SocketServer() {
    stop();
}

void SocketServer::start(const std::string &address, std::uint16_t port) {
    std::string error;
    listener_ = net::listen_tcp(address, port, error);
    if (listener_ == net::invalid_socket)
        throw std::runtime_error(engine_.name() + " SOCKET server: " + error);
    port_ = net::local_port(listener_);
    stopping_ = false;
    acceptor_ = std::thread([this] { accept_loop(); });
}

void SocketServer::stop() {
    stopping_ = true;
    if (acceptor_.joinable())
        acceptor_.join();
    if (listener_ != net::invalid_socket) {
        net::close_socket(listener_);
        listener_ = net::invalid_socket;
    }
    {
        std::lock_guard lock(mutex_);
        for (auto &c : connections_)
            net::shutdown_both(c->socket); // wakes the thread out of recv/send
    }
    reap(true);
}

void SocketServer::reap(bool all) {
    reap_connections(mutex_, connections_, all);
}

void SocketServer::accept_loop() {
    while (!stopping_) {
        // Polling with a short time-out lets stop() end the loop without platform tricks to
        // wake a blocked accept().
        if (!net::wait_readable(listener_, std::chrono::milliseconds(100))) {
            reap(false);
            continue;
        }
        std::string peer;
        net::socket_t s = net::accept_client(listener_, peer);
        if (s == net::invalid_socket)
            continue;
        reap(false);
        auto c = std::make_unique<Connection>();
        c->socket = s;
        c->id = next_connection_id();
        std::lock_guard lock(mutex_);
        if (connections_.size() >= limits_.max_connections) {
            tracer_.line(engine_.name(), c->id, '-', "refused " + peer + ": too many connections");
            net::close_socket(s);
            continue;
        }
        tracer_.line(engine_.name(), c->id, '-', "connected from " + peer);
        net::configure_connection(s, limits_.send_timeout);
        Connection &ref = *c;
        connections_.push_back(std::move(c));
        ref.thread = std::thread([this, &ref] { serve(ref); });
    }
}

void SocketServer::serve(Connection &c) {
    std::string message;
    bool discarding = false; // skipping the rest of an over-long message
    char buffer[16384];
    const char *why = "closed by client";
    for (bool open = true; open;) {
        long n = net::receive(c.socket, buffer, sizeof buffer);
        if (n <= 0) {
            if (n < 0)
                why = "receive failed";
            break;
        }
        const char *p = buffer, *end = buffer + n;
        while (p < end) {
            auto *lf = static_cast<const char *>(std::memchr(p, '\n', std::size_t(end - p)));
            const char *stop = lf ? lf : end;
            if (!discarding) {
                message.append(p, stop);
                if (message.size() > limits_.max_message) {
                    // An instrument has a finite input buffer: the message is lost, the error
                    // queue says so, and parsing restarts after the next line feed.
                    engine_.push_error(err::too_much_data, "message longer than " +
                                                               std::to_string(limits_.max_message) +
                                                               " bytes");
                    tracer_.line(engine_.name(), c.id, '-', "message too long, discarded");
                    message.clear();
                    message.shrink_to_fit();
                    discarding = true;
                }
            }
            p = stop;
            if (!lf)
                break;
            ++p;
            if (discarding) {
                discarding = false;
                continue;
            }
            if (!message.empty() && message.back() == '\r')
                message.pop_back();
            tracer_.line(engine_.name(), c.id, '<', message);
            Engine::Outcome out = engine_.execute(c.id, message);
            message.clear();
            if (out.delay.count() > 0)
                sleep_unless_stopping(engine_.clock(), out.delay);
            if (out.drop) {
                why = "dropped (fault injection)";
                open = false;
                break;
            }
            if (!out.reply.empty()) {
                tracer_.line(engine_.name(), c.id, '>', out.reply);
                if (!net::send_all(c.socket, out.reply.data(), out.reply.size())) {
                    why = "dropped: client does not take its replies";
                    open = false;
                    break;
                }
            }
        }
    }
    tracer_.line(engine_.name(), c.id, '-', why);
    net::shutdown_both(c.socket);
    {
        // Closed under the lock so stop() never shuts down a descriptor number reused since.
        std::lock_guard lock(mutex_);
        net::close_socket(c.socket);
        c.socket = net::invalid_socket;
    }
    c.done = true;
}

} // namespace gsmbench::sim
