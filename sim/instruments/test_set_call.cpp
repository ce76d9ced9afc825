// Call control of the test set: call state, the connected-state change
// detector, end, handover, origination and the phone's measurement reports.
#include "command_helpers.h"
#include "test_set.h"

namespace gsmbench::sim::instruments {
namespace {

void report_value(Response &r, const std::optional<model::Report> &rep, bool level) {
    if (!rep) {
        r.real(model::not_a_number); // no call: nothing reported
    } else {
        r.integer(level ? rep->rx_level : rep->rx_quality);
    }
}

} // namespace

void add_call_commands(std::vector<Command> &rows, const BenchPtr &bench) {
    model::Bench *b = bench.get();

    rows.push_back({"CALL:STATus[:STATe]", nullptr, [b](Request &, Response &r) {
                        auto a = b->access();
                        r.keyword(model::call_states.name(b->call().state));
                    }});
    rows.push_back({"CALL:END[:IMMediate]",
                    [b](Request &) {
                        auto a = b->access();
                        b->end_call();
                    },
                    nullptr});
    rows.push_back({"CALL:ORIGinate[:IMMediate]",
                    [b](Request &) {
                        auto a = b->access();
                        b->originate();
                    },
                    nullptr});
    rows.push_back({"CALL:HANDover[:IMMediate]",
                    [b](Request &) {
                        auto a = b->access();
                        b->handover();
                    },
                    nullptr});

    // CALL:CONN? answers at once unless the detector is armed; then it waits
    // for the connected state to change or for the detector's time-out.
    rows.push_back({"CALL:CONNected[:STATe]", nullptr, [b](Request &, Response &r) {
                        auto a = b->access();
                        r.integer(b->query_connected(a) ? 1 : 0);
                    }});
    rows.push_back({"CALL:CONNected:ARM[:IMMediate]",
                    [b](Request &) {
                        auto a = b->access();
                        b->arm_detector();
                    },
                    nullptr});
    rows.push_back({"CALL:CONNected:ARM:STATe", nullptr, [b](Request &, Response &r) {
                        auto a = b->access();
                        r.integer(b->call().armed ? 1 : 0);
                    }});
    rows.push_back({"CALL:CONNected:TIMeout",
                    [b](Request &req) {
                        const auto s = req.number(0, NumericRule{Unit::second, 0.0, 10000.0});
                        if (!s)
                            return;
                        auto a = b->access();
                        b->ts.connected_timeout_s = *s;
                    },
                    [b](Request &, Response &r) {
                        auto a = b->access();
                        setting_number(r, b->ts.connected_timeout_s);
                    }});

    for (const auto type : {model::ChannelType::tch, model::ChannelType::bch}) {
        const std::string node =
            type == model::ChannelType::tch ? "CALL:TCHannel" : "CALL:BCHannel";
        rows.push_back({node + ":WAIT",
                        [b, type](Request &) {
                            auto a = b->access();
                            b->wait_channel(a, type);
                        },
                        nullptr});
    }

    // The phone's reports: the last one, or (NEW) the next one it sends.
    for (const bool level : {true, false}) {
        const std::string node = level ? "CALL:MS:REPorted:RXLevel" : "CALL:MS:REPorted:RXQuality";
        rows.push_back({node + "[:TCH]", nullptr, [b, level](Request &, Response &r) {
                            auto a = b->access();
                            report_value(r, b->last_report(), level);
                        }});
        rows.push_back({node + ":NEW", nullptr, [b, level](Request &, Response &r) {
                            auto a = b->access();
                            report_value(r, b->new_report(a), level);
                        }});
    }
}

} // namespace gsmbench::sim::instruments
