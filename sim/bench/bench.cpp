// The in-process bench: two instruments, their engines and their servers.
#include "gsmbench/sim/bench.h"

#include "scpi/engine.h"
#include "scpi/mnemonic.h"
#include "server/socket_server.h"
#include "server/trace.h"
#include "server/vxi11_server.h"

#include <iostream>
#include <stdexcept>

namespace gsmbench::sim {

struct Bench::Impl {
    BenchOptions options;
    std::unique_ptr<SimClock> clock = std::make_unique<SimClock>(1.0);
    std::unique_ptr<Tracer> tracer;
    BenchInstruments instruments;
    std::unique_ptr<Engine> test_set, supply;
    std::unique_ptr<SocketServer> test_set_server, supply_server;
    std::unique_ptr<Vxi11Server> vxi11;
    bool running = false;

    void warn(std::string_view text) const {
        if (options.warning)
            options.warning(text);
        else
            std::cerr << "gsmbench-sim: " << text << std::endl;
    }
    Engine &engine(std::string_view name) {
        if (!running)
            throw std::logic_error("bench not running");
        if (detail::iequals(name, "testset") || detail::iequals(name, test_set->name()))
            return *test_set;
        if (detail::iequals(name, "supply") || detail::iequals(name, supply->name()))
            return *supply;
        throw std::invalid_argument("no instrument named " + std::string(name));
    }
};

Bench::Bench(BenchOptions options) : impl_(std::make_unique<Impl>()) {
    impl_->options = std::move(options);
    impl_->clock->set_scale(impl_->options.time_scale);
}

Bench::~Bench() {
    stop();
}

void Bench::start() {
    Impl &m = *impl_;
    if (m.running)
        return;
    m.clock = std::make_unique<SimClock>(m.options.time_scale);
    m.tracer = std::make_unique<Tracer>(m.options.trace);
    ModelOptions model{m.options.seed};
    m.instruments = m.options.factory ? m.options.factory(model) : make_bench_instruments(model);
    if (!m.instruments.test_set || !m.instruments.supply)
        throw std::logic_error("instrument factory returned no instrument");
    auto sink = [&m](const std::string &name) -> Engine::TraceSink {
        if (!m.options.trace)
            return {};
        return [&m, name](std::string_view text) { m.tracer->line(name, 0, '-', text); };
    };
    m.test_set = std::make_unique<Engine>(*m.instruments.test_set, *m.clock, m.options.seed,
                                          sink(m.instruments.test_set->name()));
    m.supply = std::make_unique<Engine>(*m.instruments.supply, *m.clock, m.options.seed,
                                        sink(m.instruments.supply->name()));
    m.running = true;
    try {
        ConnectionLimits limits{m.options.max_message, m.options.send_timeout,
                                m.options.max_connections};
        m.test_set_server = std::make_unique<SocketServer>(*m.test_set, *m.tracer, limits);
        m.test_set_server->start(m.options.bind_address, m.options.test_set_port);
        m.supply_server = std::make_unique<SocketServer>(*m.supply, *m.tracer, limits);
        m.supply_server->start(m.options.bind_address, m.options.supply_port);
        if (m.options.vxi11) {
            m.vxi11 = std::make_unique<Vxi11Server>(*m.test_set, *m.supply, *m.tracer, limits);
            m.vxi11->start(m.options.bind_address, m.options.vxi11_port, m.options.portmapper_port);
            if (!m.vxi11->portmapper_error().empty())
                m.warn(m.vxi11->portmapper_error());
        }
    } catch (...) {
        stop();
        throw;
    }
}

void Bench::stop() {
    Impl &m = *impl_;
    if (!m.running)
        return;
    // Blocked handlers first (they hold connection threads), then the servers join those.
    m.clock->request_stop();
    m.instruments.test_set->interrupt();
    m.instruments.supply->interrupt();
    if (m.vxi11)
        m.vxi11->stop();
    if (m.test_set_server)
        m.test_set_server->stop();
    if (m.supply_server)
        m.supply_server->stop();
    m.vxi11.reset();
    m.test_set_server.reset();
    m.supply_server.reset();
    m.test_set.reset();
    m.supply.reset();
    m.instruments = {};
    m.running = false;
}

bool Bench::running() const noexcept {
    return impl_->running;
}

std::uint16_t Bench::test_set_port() const noexcept {
    return impl_->test_set_server ? impl_->test_set_server->port() : 0;
}
std::uint16_t Bench::supply_port() const noexcept {
    return impl_->supply_server ? impl_->supply_server->port() : 0;
}
std::uint16_t Bench::portmapper_port() const noexcept {
    return impl_->vxi11 ? impl_->vxi11->portmapper_port() : 0;
}
std::uint16_t Bench::vxi11_port() const noexcept {
    return impl_->vxi11 ? impl_->vxi11->core_port() : 0;
}
std::string Bench::portmapper_error() const {
    return impl_->vxi11 ? impl_->vxi11->portmapper_error() : std::string();
}

Instrument &Bench::test_set() {
    return impl_->engine("testset").instrument();
}
Instrument &Bench::supply() {
    return impl_->engine("supply").instrument();
}

nlohmann::json Bench::state() const {
    if (!impl_->running)
        return nlohmann::json::object();
    return {{impl_->test_set->name(), impl_->test_set->state()},
            {impl_->supply->name(), impl_->supply->state()}};
}

SimClock &Bench::clock() noexcept {
    return *impl_->clock;
}

std::string Bench::execute(std::string_view instrument, std::string_view message) {
    return impl_->engine(instrument).execute(0, message).reply;
}

} // namespace gsmbench::sim
