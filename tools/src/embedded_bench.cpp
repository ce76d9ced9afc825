#include "embedded_bench.h"

#include <stdexcept>

#if defined(GSMBENCH_TOOL_HAVE_SIM)
#include "gsmbench/sim/bench.h"
#endif

namespace gsmbench::tool {

#if defined(GSMBENCH_TOOL_HAVE_SIM)

struct EmbeddedBench::Impl {
    explicit Impl(sim::BenchOptions options) : bench(std::move(options)) {}
    sim::Bench bench;
};

EmbeddedBench::EmbeddedBench(const EmbeddedBenchOptions &options) {
    sim::BenchOptions bench_options;
    bench_options.bind_address = "127.0.0.1";
    bench_options.time_scale = options.time_scale;
    bench_options.seed = options.seed;
    bench_options.trace = options.trace;
    impl_ = std::make_unique<Impl>(std::move(bench_options));
    impl_->bench.start();
}

EmbeddedBench::~EmbeddedBench() {
    if (impl_) {
        impl_->bench.stop();
    }
}

std::string EmbeddedBench::testset_resource() const {
    return "TCPIP0::127.0.0.1::" + std::to_string(impl_->bench.test_set_port()) + "::SOCKET";
}

std::string EmbeddedBench::supply_resource() const {
    return "TCPIP0::127.0.0.1::" + std::to_string(impl_->bench.supply_port()) + "::SOCKET";
}

bool embedded_bench_available() { return true; }

#else

struct EmbeddedBench::Impl {};

EmbeddedBench::EmbeddedBench(const EmbeddedBenchOptions &) {
    throw std::runtime_error("this build has no simulator: give --testset and --supply");
}
EmbeddedBench::~EmbeddedBench() = default;
std::string EmbeddedBench::testset_resource() const { return {}; }
std::string EmbeddedBench::supply_resource() const { return {}; }
bool embedded_bench_available() { return false; }

#endif

} // namespace gsmbench::tool
