// The test set instrument: the emulated GSM cell, its call processing and its
// measurements, bound to SCPI through declarative command tables. The tables
// are split by subsystem; each builder appends its rows.
#pragma once

#include <memory>
#include <vector>

#include "gsmbench/sim/scpi.h"
#include "host_clock.h"
#include "model/bench.h"

namespace gsmbench::sim::instruments {

using BenchPtr = std::shared_ptr<model::Bench>;

void add_cell_commands(std::vector<Command> &rows, const BenchPtr &bench);
void add_call_commands(std::vector<Command> &rows, const BenchPtr &bench);
void add_measurement_commands(std::vector<Command> &rows, const BenchPtr &bench);
void add_test_mode_commands(std::vector<Command> &rows, const BenchPtr &bench);
void add_phone_sim_commands(std::vector<Command> &rows, const BenchPtr &bench);

class TestSet final : public Instrument {
  public:
    TestSet(BenchPtr bench, std::shared_ptr<HostClock> clock)
        : bench_(std::move(bench)), clock_(std::move(clock)) {}

    std::string name() const override { return "testset"; }
    std::string identity() const override { return "GSMBENCH,SIM-TESTSET,0001,1.0"; }
    std::vector<Command> commands() override;
    void attach(Host &host) override { clock_->attach(host.clock()); }
    void reset() override;
    nlohmann::json state() const override;
    void interrupt() override { bench_->cancel_waits(); }
    RealFormat real_format() const override;

  private:
    BenchPtr bench_;
    std::shared_ptr<HostClock> clock_;
};

class Supply final : public Instrument {
  public:
    Supply(BenchPtr bench, std::shared_ptr<HostClock> clock)
        : bench_(std::move(bench)), clock_(std::move(clock)) {}

    std::string name() const override { return "supply"; }
    std::string identity() const override { return "GSMBENCH,SIM-SUPPLY,0001,1.0"; }
    std::vector<Command> commands() override;
    void attach(Host &host) override { clock_->attach(host.clock()); }
    void reset() override;
    nlohmann::json state() const override;
    void interrupt() override { bench_->cancel_waits(); }
    RealFormat real_format() const override;

  private:
    BenchPtr bench_;
    std::shared_ptr<HostClock> clock_;
};

} // namespace gsmbench::sim::instruments
