// The simulated bench inside the tool: the test set and the supply on
// ephemeral loopback ports, reached through the same VISA layer as real
// instruments.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace gsmbench::tool {

struct EmbeddedBenchOptions {
    double time_scale = 0.0; // 0: instant simulated time
    std::uint64_t seed = 1;
    // The simulator's own trace of every message and reply (null: none).
    std::function<void(std::string_view)> trace;
};

class EmbeddedBench {
  public:
    // Starts the simulator; throws std::runtime_error when it cannot.
    explicit EmbeddedBench(const EmbeddedBenchOptions &options);
    ~EmbeddedBench();
    EmbeddedBench(const EmbeddedBench &) = delete;
    EmbeddedBench &operator=(const EmbeddedBench &) = delete;

    std::string testset_resource() const;
    std::string supply_resource() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// False when this build has no simulator (the tool then needs instruments).
bool embedded_bench_available();

} // namespace gsmbench::tool
