// The two bench instruments around one shared bench model, and the DC supply's
// command table.
#include "command_helpers.h"
#include "gsmbench/sim/instruments.h"
#include "test_set.h"

namespace gsmbench::sim {

BenchInstruments make_bench_instruments(const ModelOptions &options) {
    auto clock = std::make_shared<instruments::HostClock>();
    auto bench = std::make_shared<model::Bench>(options.seed, clock);
    BenchInstruments made;
    made.test_set = std::make_unique<instruments::TestSet>(bench, clock);
    made.supply = std::make_unique<instruments::Supply>(bench, clock);
    return made;
}

namespace instruments {

std::vector<Command> TestSet::commands() {
    std::vector<Command> rows;
    add_cell_commands(rows, bench_);
    add_call_commands(rows, bench_);
    add_measurement_commands(rows, bench_);
    add_test_mode_commands(rows, bench_);
    add_phone_sim_commands(rows, bench_);
    return rows;
}

void TestSet::reset() {
    auto a = bench_->access();
    bench_->reset_test_set();
}

nlohmann::json TestSet::state() const {
    nlohmann::json all;
    {
        auto a = bench_->access();
        all = bench_->dump();
    }
    return {
        {"test_set", all["test_set"]}, {"phone", all["phone"]}, {"time_scale", all["time_scale"]}};
}

RealFormat TestSet::real_format() const {
    return bench_real_format;
}

std::vector<Command> Supply::commands() {
    model::Bench *b = bench_.get();
    std::vector<Command> rows;
    rows.push_back(
        {"[SOURce:]VOLTage[:LEVel][:IMMediate][:AMPLitude]",
         [b](Request &req) {
             const auto v = req.number(0, NumericRule{Unit::volt, 0.0, model::supply_max_volts});
             if (!v)
                 return;
             auto a = b->access();
             b->supply.volts = *v;
             b->supply_changed();
         },
         [b](Request &, Response &r) {
             auto a = b->access();
             r.real(b->supply.volts);
         }});
    rows.push_back(
        {"[SOURce:]CURRent[:LEVel][:IMMediate][:AMPLitude]",
         [b](Request &req) {
             const auto v = req.number(0, NumericRule{Unit::ampere, 0.0, model::supply_max_amps});
             if (!v)
                 return;
             auto a = b->access();
             b->supply.current_limit_a = *v;
             b->supply_changed();
         },
         [b](Request &, Response &r) {
             auto a = b->access();
             r.real(b->supply.current_limit_a);
         }});
    rows.push_back({"OUTPut[:STATe]",
                    [b](Request &req) {
                        const auto on = req.boolean(0);
                        if (!on)
                            return;
                        auto a = b->access();
                        b->supply.output = *on;
                        b->supply_changed();
                    },
                    [b](Request &, Response &r) {
                        auto a = b->access();
                        r.boolean(b->supply.output);
                    }});
    rows.push_back({"MEASure[:SCALar]:VOLTage[:DC]", nullptr, [b](Request &, Response &r) {
                        auto a = b->access();
                        r.real(b->supply_output_volts());
                    }});
    rows.push_back({"MEASure[:SCALar]:CURRent[:DC]", nullptr, [b](Request &, Response &r) {
                        auto a = b->access();
                        r.real(b->supply_output_amps());
                    }});
    return rows;
}

void Supply::reset() {
    auto a = bench_->access();
    bench_->reset_supply();
    bench_->supply_changed();
}

nlohmann::json Supply::state() const {
    auto a = bench_->access();
    return bench_->dump()["supply"];
}

RealFormat Supply::real_format() const {
    return bench_real_format;
}

} // namespace instruments
} // namespace gsmbench::sim
