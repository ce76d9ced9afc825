// Test mode (no signalling): RF generator frequency, receiver control, burst
// type and the CW output. The test-mode channels per band are the CALL:BCH and
// CALL:TCH rows of the cell configuration.
#include "command_helpers.h"
#include "test_set.h"

namespace gsmbench::sim::instruments {

void add_test_mode_commands(std::vector<Command> &rows, const BenchPtr &bench) {
    model::Bench *b = bench.get();

    // CALL:RFG:FREQ:GSM 1.5GHZ sets; the library reads back through the node
    // spelt FRE, which is therefore a node of its own.
    for (const bool gsm : {true, false}) {
        const std::string target = gsm ? ":GSM" : ":SELected";
        auto set = [b, gsm](Request &req) {
            const auto f = req.number(0, NumericRule{Unit::hertz, 0.0, 6e9});
            if (!f)
                return;
            auto a = b->access();
            (gsm ? b->ts.rfg_gsm_hz : b->ts.rfg_sel_hz) = *f;
        };
        auto query = [b, gsm](Request &, Response &r) {
            auto a = b->access();
            r.real(gsm ? b->ts.rfg_gsm_hz : b->ts.rfg_sel_hz);
        };
        rows.push_back({"CALL:RFGenerator:FREQuency" + target, set, query});
        rows.push_back({"CALL:RFGenerator:FRE" + target, set, query});
    }

    // Receiver control: RFAN:CONT:AUTO switches the analyser's automatic
    // control, which includes the burst control read by ...:MEAS:BURS:AUTO?.
    auto set_auto = [b](Request &req) {
        const auto on = req.boolean(0);
        if (!on)
            return;
        auto a = b->access();
        b->ts.rfan_auto = *on;
    };
    auto query_auto = [b](Request &, Response &r) {
        auto a = b->access();
        r.boolean(b->ts.rfan_auto);
    };
    rows.push_back({"RFANalyzer:CONTrol:AUTO", set_auto, query_auto});
    rows.push_back({"RFANalyzer:CONTrol:MEASurement:BURSt:AUTO", set_auto, query_auto});

    rows.push_back({"CALL:BURSt:TYPE",
                    [b](Request &req) {
                        std::vector<std::string_view> names(model::burst_types.names.begin(),
                                                            model::burst_types.names.end());
                        const auto i = req.choice(0, names);
                        if (!i)
                            return;
                        auto a = b->access();
                        b->ts.burst = static_cast<model::BurstType>(*i);
                    },
                    [b](Request &, Response &r) {
                        auto a = b->access();
                        r.keyword(model::burst_types.name(b->ts.burst));
                    }});

    rows.push_back({"CALL:CELL:POWer:SAMPlitude:CW",
                    [b](Request &req) {
                        const auto level =
                            req.number(0, NumericRule{Unit::dbm, model::cell_power_min_dbm,
                                                      model::cell_power_max_dbm});
                        if (!level)
                            return;
                        auto a = b->access();
                        b->ts.cw_level_dbm = static_cast<int>(*level);
                    },
                    [b](Request &, Response &r) {
                        auto a = b->access();
                        r.integer(b->ts.cw_level_dbm);
                    }});
    rows.push_back({"CALL:CELL:POWer:STATe:CW",
                    [b](Request &req) {
                        const auto on = req.boolean(0);
                        if (!on)
                            return;
                        auto a = b->access();
                        b->ts.cw_state = *on ? 1 : 0;
                    },
                    [b](Request &, Response &r) {
                        auto a = b->access();
                        r.integer(b->ts.cw_state);
                    }});
}

// Model faults and knobs of the phone under test (SIMulation:PHONe:...).
void add_phone_sim_commands(std::vector<Command> &rows, const BenchPtr &bench) {
    model::Bench *b = bench.get();
    auto bool_row = [b](const char *pattern, bool model::PhoneConfig::*field) {
        return Command{pattern,
                       [b, field](Request &req) {
                           const auto on = req.boolean(0);
                           if (!on)
                               return;
                           auto a = b->access();
                           b->phone_cfg.*field = *on;
                       },
                       [b, field](Request &, Response &r) {
                           auto a = b->access();
                           r.boolean(b->phone_cfg.*field);
                       }};
    };
    auto number_row = [b](const char *pattern, double model::PhoneConfig::*field,
                          NumericRule rule) {
        return Command{pattern,
                       [b, field, rule](Request &req) {
                           const auto v = req.number(0, rule);
                           if (!v)
                               return;
                           auto a = b->access();
                           b->phone_cfg.*field = *v;
                       },
                       [b, field](Request &, Response &r) {
                           auto a = b->access();
                           r.real(b->phone_cfg.*field);
                       }};
    };
    rows.push_back(
        bool_row("SIMulation:PHONe:REGister:BLOCk", &model::PhoneConfig::block_registration));
    rows.push_back(bool_row("SIMulation:PHONe:ACALl[:STATe]", &model::PhoneConfig::autocall));
    rows.push_back(number_row("SIMulation:PHONe:ACALl:DELay", &model::PhoneConfig::autocall_delay_s,
                              NumericRule{Unit::second, 0.0, 3600.0}));
    rows.push_back(number_row("SIMulation:PHONe:LOSS", &model::PhoneConfig::cable_loss_db,
                              NumericRule{Unit::db, -50.0, 100.0}));
    rows.push_back(number_row("SIMulation:PHONe:SENSitivity", &model::PhoneConfig::sensitivity_dbm,
                              NumericRule{Unit::dbm, -130.0, -60.0}));
    rows.push_back({"SIMulation:PHONe:STATe", nullptr, [b](Request &, Response &r) {
                        auto a = b->access();
                        r.keyword(model::phone_states.name(b->phone().state));
                    }});
}

} // namespace gsmbench::sim::instruments
