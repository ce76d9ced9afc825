// Factory of the two bench instrument models: the test set (with the phone under test and its
// call processing) and the DC supply that powers the phone. They are made together because the
// phone links them: the supply's output and voltage decide whether the phone camps, and the
// current the supply measures follows the phone's state.
//
// Implemented by the models in sim/instruments/; the bench calls it once per start.
#pragma once

#include "gsmbench/sim/scpi.h"

#include <cstdint>
#include <memory>

namespace gsmbench::sim {

struct ModelOptions {
    // Seed of every pseudo-random value (measurement noise): equal seeds give equal runs.
    std::uint64_t seed = 1;
};

struct BenchInstruments {
    std::unique_ptr<Instrument> test_set;
    std::unique_ptr<Instrument> supply;
};

BenchInstruments make_bench_instruments(const ModelOptions &options);

} // namespace gsmbench::sim
