// Stand-in for the instrument models while they are not part of the build: two instruments
// that answer the engine's common commands and nothing else, so the simulator links and its
// transports can be exercised on their own. The CMake file drops this file as soon as a model
// source defines make_bench_instruments().
#include "gsmbench/sim/instruments.h"

namespace gsmbench::sim {
namespace {
class PlaceholderInstrument final : public Instrument {
  public:
    PlaceholderInstrument(std::string name, std::string identity)
        : name_(std::move(name)), identity_(std::move(identity)) {}
    std::string name() const override { return name_; }
    std::string identity() const override { return identity_; }
    std::vector<Command> commands() override { return {}; }

  private:
    std::string name_, identity_;
};
} // namespace

BenchInstruments make_bench_instruments(const ModelOptions &) {
    BenchInstruments b;
    b.test_set = std::make_unique<PlaceholderInstrument>(
        "testset", "GSMBENCH,SIMULATED TEST SET (PLACEHOLDER),0,0");
    b.supply = std::make_unique<PlaceholderInstrument>(
        "supply", "GSMBENCH,SIMULATED DC SUPPLY (PLACEHOLDER),0,0");
    return b;
}

} // namespace gsmbench::sim
