// Measurements of the test set: the general settings every measurement has,
// the BER/FBER loopback and ORFS offset settings, initiation and completion,
// and the result fetches.
#include <array>

#include "command_helpers.h"
#include "test_set.h"

namespace gsmbench::sim::instruments {
namespace {

using model::Meas;
using model::MeasSettings;

constexpr NumericRule timeout_spec{Unit::second, 0.0, 10000.0};
constexpr NumericRule delay_spec{Unit::second, -1.0, 100.0};
constexpr long long max_count = 10000000;

template <typename Enum, std::size_t N>
std::vector<std::string_view> choices_of(const model::KeywordTable<Enum, N> &table) {
    return {table.names.begin(), table.names.end()};
}

// A row of the per-measurement settings: SETup:<meas>:<rest>.
using MeasSet = void (*)(Request &, MeasSettings &);
using MeasQuery = void (*)(Response &, const MeasSettings &);

struct SettingRow {
    const char *rest;
    MeasSet set;
    MeasQuery query;
};

constexpr SettingRow setting_rows[] = {
    // COUN n / COUNt:SNUMber n: the count, switching counting on.
    {"COUNt[:SNUMber]",
     [](Request &req, MeasSettings &s) {
         if (const auto n = req.integer(0, 1, max_count)) {
             s.count = static_cast<int>(*n);
             s.count_state = true;
         }
     },
     [](Response &r, const MeasSettings &s) { r.integer(s.count); }},
    {"COUNt:NUMBer",
     [](Request &req, MeasSettings &s) {
         if (const auto n = req.integer(0, 1, max_count))
             s.count = static_cast<int>(*n);
     },
     [](Response &r, const MeasSettings &s) { r.integer(s.count); }},
    {"COUNt:STATe",
     [](Request &req, MeasSettings &s) {
         if (const auto on = req.boolean(0))
             s.count_state = *on;
     },
     [](Response &r, const MeasSettings &s) { r.boolean(s.count_state); }},
    // TIM 500 MS, TIM:TIME 10 S, TIM:TIM 10 MS (TIM is also TIME's short form).
    {"TIMeout[:TIMe]",
     [](Request &req, MeasSettings &s) {
         if (const auto t = req.number(0, timeout_spec))
             s.timeout_s = *t;
     },
     [](Response &r, const MeasSettings &s) { setting_number(r, s.timeout_s); }},
    {"TIMeout:STATe",
     [](Request &req, MeasSettings &s) {
         if (const auto on = req.boolean(0))
             s.timeout_state = *on;
     },
     [](Response &r, const MeasSettings &s) { r.boolean(s.timeout_state); }},
    {"CONTinuous",
     [](Request &req, MeasSettings &s) {
         if (const auto on = req.boolean(0))
             s.continuous = *on;
     },
     [](Response &r, const MeasSettings &s) { r.boolean(s.continuous); }},
    {"TRIGger:SOURce",
     [](Request &req, MeasSettings &s) {
         if (const auto i = req.choice(0, {"AUTO", "PROTocol", "RISE", "IMMediate"})) {
             s.trigger = static_cast<model::TriggerSource>(*i);
         }
     },
     [](Response &r, const MeasSettings &s) { r.keyword(model::trigger_sources.name(s.trigger)); }},
    {"TRIGger:DELay",
     [](Request &req, MeasSettings &s) {
         if (const auto t = req.number(0, delay_spec))
             s.trigger_delay_s = *t;
     },
     [](Response &r, const MeasSettings &s) { setting_number(r, s.trigger_delay_s); }},
    {"TRIGger:QUALifier",
     [](Request &req, MeasSettings &s) {
         if (const auto on = req.boolean(0))
             s.trigger_qualifier = *on;
     },
     [](Response &r, const MeasSettings &s) { r.boolean(s.trigger_qualifier); }},
    {"CONFidence[:STATe]",
     [](Request &req, MeasSettings &s) {
         if (const auto on = req.boolean(0))
             s.confidence = *on;
     },
     [](Response &r, const MeasSettings &s) { r.boolean(s.confidence); }},
    {"SYNChronization",
     [](Request &req, MeasSettings &s) {
         if (const auto i = req.choice(0, {"MIDamble", "AMPLitude", "NONE"})) {
             s.sync = static_cast<model::BurstSync>(*i);
         }
     },
     [](Response &r, const MeasSettings &s) { r.keyword(model::burst_syncs.name(s.sync)); }},
};

// The loopback settings shared by BERR and FBER.
void add_bit_error_rows(std::vector<Command> &rows, model::Bench *b, const std::string &node,
                        model::BitErrorSettings model::Bench::*which) {
    rows.push_back({node + ":CLSDelay:STIMe",
                    [b, which](Request &req) {
                        const auto t = req.number(0, NumericRule{Unit::second, 0.0, 100.0});
                        if (!t)
                            return;
                        auto a = b->access();
                        (b->*which).cls_delay_s = *t;
                    },
                    [b, which](Request &, Response &r) {
                        auto a = b->access();
                        setting_number(r, (b->*which).cls_delay_s);
                    }});
    rows.push_back({node + ":SLControl",
                    [b, which](Request &req) {
                        const auto on = req.boolean(0);
                        if (!on)
                            return;
                        auto a = b->access();
                        (b->*which).sl_control = *on;
                    },
                    [b, which](Request &, Response &r) {
                        auto a = b->access();
                        r.boolean((b->*which).sl_control);
                    }});
    rows.push_back({node + ":LDControl:AUTO",
                    [b, which](Request &req) {
                        const auto on = req.boolean(0);
                        if (!on)
                            return;
                        auto a = b->access();
                        (b->*which).ld_auto = *on;
                    },
                    [b, which](Request &, Response &r) {
                        auto a = b->access();
                        r.boolean((b->*which).ld_auto);
                    }});
    rows.push_back({node + ":MANual:DELay",
                    [b, which](Request &req) {
                        const auto n = req.integer(0, 0, 255);
                        if (!n)
                            return;
                        auto a = b->access();
                        (b->*which).manual_delay = static_cast<int>(*n);
                    },
                    [b, which](Request &, Response &r) {
                        auto a = b->access();
                        r.integer((b->*which).manual_delay);
                    }});
}

void add_offset_list_row(std::vector<Command> &rows, model::Bench *b, const char *pattern,
                         std::vector<double> model::OrfsSettings::*list) {
    rows.push_back({pattern,
                    [b, list](Request &req) {
                        req.accept_remaining();
                        if (req.param_count() > 40) {
                            req.error(err::too_much_data);
                            return;
                        }
                        // An empty list (the bare header) measures no offsets.
                        auto values = number_list(req, NumericRule{Unit::hertz, -10e6, 10e6});
                        if (!values)
                            return;
                        auto a = b->access();
                        b->orfs.*list = std::move(*values);
                    },
                    [b, list](Request &, Response &r) {
                        auto a = b->access();
                        for (double f : b->orfs.*list)
                            r.real(f);
                    }});
}

// Names INITiate accepts beyond the measurements: they name no measurement,
// and the test set takes them as requests to start nothing.
bool is_initiate_placeholder(std::string_view name) {
    return name == "NONE" || name == "WAIT" || name == "ERROR";
}

// One fetch row: waits for the measurement, then answers by `reply`.
template <typename Reply>
Command fetch_row(model::Bench *b, std::string pattern, Meas m, Reply reply) {
    return {std::move(pattern), nullptr, [b, m, reply](Request &, Response &r) {
                model::MeasResult res;
                {
                    auto a = b->access();
                    res = b->fetch(a, m);
                }
                reply(r, res);
            }};
}

// One value of a result (position after the integrity indicator).
auto value_at(std::size_t i) {
    return [i](Response &r, const model::MeasResult &res) {
        r.real(res.integrity == model::Integrity::normal && i < res.values.size()
                   ? res.values[i]
                   : model::not_a_number);
    };
}

} // namespace

void add_measurement_commands(std::vector<Command> &rows, const BenchPtr &bench) {
    model::Bench *b = bench.get();

    for (const SettingRow &row : setting_rows) {
        const MeasSet set = row.set;
        const MeasQuery query = row.query;
        rows.push_back({std::string("SETup:{meas}:") + row.rest,
                        [b, set](Request &req) {
                            const auto m = captured_meas(req);
                            if (!m)
                                return;
                            auto a = b->access();
                            set(req, b->settings(*m));
                        },
                        [b, query](Request &req, Response &r) {
                            const auto m = captured_meas(req);
                            if (!m)
                                return;
                            auto a = b->access();
                            query(r, b->settings(*m));
                        }});
    }
    // SET:CONT:ON / SET:CONT:OFF: every measurement's arm state at once.
    for (const bool on : {true, false}) {
        rows.push_back({on ? "SETup:CONTinuous:ON" : "SETup:CONTinuous:OFF",
                        [b, on](Request &) {
                            auto a = b->access();
                            for (MeasSettings &s : b->meas)
                                s.continuous = on;
                        },
                        nullptr});
    }

    add_bit_error_rows(rows, b, "SETup:BERRor", &model::Bench::berr);
    add_bit_error_rows(rows, b, "SETup:FBERror", &model::Bench::fber);
    rows.push_back({"SETup:BERRor:TYPE",
                    [b](Request &req) {
                        const auto i = req.choice(0, choices_of(model::ber_types));
                        if (!i)
                            return;
                        auto a = b->access();
                        b->berr.type = static_cast<model::BerType>(*i);
                    },
                    [b](Request &, Response &r) {
                        auto a = b->access();
                        r.keyword(model::ber_types.name(b->berr.type));
                    }});
    add_offset_list_row(rows, b, "SETup:ORFSpectrum:SWITching:FREQuency",
                        &model::OrfsSettings::switching_hz);
    add_offset_list_row(rows, b, "SETup:ORFSpectrum:MODulation:FREQuency",
                        &model::OrfsSettings::modulation_hz);
    for (const bool gsm : {true, false}) {
        rows.push_back(
            {gsm ? "SETup:DPOWer:COUNt:NUMBer:GSM" : "SETup:DPOWer:COUNt:NUMBer:SELected",
             [b, gsm](Request &req) {
                 const auto n = req.integer(0, 1, 999);
                 if (!n)
                     return;
                 auto a = b->access();
                 (gsm ? b->ts.dpow_count_gsm : b->ts.dpow_count_sel) = static_cast<int>(*n);
             },
             [b, gsm](Request &, Response &r) {
                 auto a = b->access();
                 r.integer(gsm ? b->ts.dpow_count_gsm : b->ts.dpow_count_sel);
             }});
    }

    // Initiation and completion.
    for (const bool on : {true, false}) {
        rows.push_back({on ? "INITiate:{meas}[:ON]" : "INITiate:{meas}:OFF",
                        [b, on](Request &req) {
                            if (is_initiate_placeholder(req.capture("meas")))
                                return;
                            const auto m = captured_meas(req);
                            if (!m)
                                return;
                            if (!model::can_initiate(*m)) {
                                req.undefined_header();
                                return;
                            }
                            auto a = b->access();
                            if (on) {
                                b->initiate(*m);
                            } else {
                                b->switch_off(*m);
                            }
                        },
                        nullptr});
    }
    rows.push_back({"INITiate:ON", nullptr, [b](Request &, Response &r) {
                        auto a = b->access();
                        const auto on = b->measurements_on();
                        if (on.empty())
                            r.keyword("NONE");
                        for (Meas m : on)
                            r.keyword(model::measurements.name(m));
                    }});
    rows.push_back(
        {"INITiate:DONE", nullptr, [b](Request &, Response &r) {
             auto a = b->access();
             bool running = false;
             const auto done = b->take_done(running);
             r.keyword(done ? model::measurements.name(*done) : running ? "WAIT" : "NONE");
         }});
    rows.push_back({"INITiate:COUNt", nullptr, [b](Request &, Response &r) {
                        auto a = b->access();
                        r.integer(static_cast<long long>(b->measurements_on().size()));
                    }});
    rows.push_back({"ABORt[:ALL]",
                    [b](Request &) {
                        auto a = b->access();
                        b->abort_all();
                    },
                    nullptr});
    rows.push_back({"ABORt:{meas}",
                    [b](Request &req) {
                        const auto m = captured_meas(req);
                        if (!m)
                            return;
                        auto a = b->access();
                        b->switch_off(*m);
                    },
                    nullptr});

    // Results.
    rows.push_back(fetch_row(b, "FETCh:TXPower[:ALL]", Meas::txp, result));
    rows.push_back(fetch_row(b, "FETCh:TXPower:POWer[:AVERage]", Meas::txp, value_at(0)));
    rows.push_back(fetch_row(b, "FETCh:TXPower:INTegrity", Meas::txp,
                             [](Response &r, const model::MeasResult &res) {
                                 r.integer(static_cast<int>(res.integrity));
                             }));
    rows.push_back(fetch_row(b, "FETCh:PFERror[:ALL]", Meas::pfer, result));
    rows.push_back(fetch_row(b, "FETCh:PFERror:RMS[:AVERage]", Meas::pfer, value_at(0)));
    rows.push_back(fetch_row(b, "FETCh:PFERror:PEAK[:AVERage]", Meas::pfer, value_at(1)));
    rows.push_back(fetch_row(b, "FETCh:PFERror:FERRor[:AVERage]", Meas::pfer, value_at(2)));
    rows.push_back(fetch_row(b, "FETCh:PVTime[:ALL]", Meas::pvt, result));
    rows.push_back(fetch_row(b, "FETCh:ORFSpectrum[:ALL]", Meas::orfs, result));
    rows.push_back(fetch_row(
        b, "FETCh:ORFSpectrum:LIMit", Meas::orfs, [](Response &r, const model::MeasResult &res) {
            const bool pass = res.integrity == model::Integrity::normal && res.within_limits;
            r.integer(pass ? 0 : 1);
        }));
    rows.push_back(fetch_row(b, "FETCh:BERRor[:ALL]", Meas::berr, result));
    rows.push_back(fetch_row(b, "FETCh:FBERror[:ALL]", Meas::fber, result));
    rows.push_back(fetch_row(b, "FETCh:DPOWer[:ALL]", Meas::dpow, result));
}

} // namespace gsmbench::sim::instruments
