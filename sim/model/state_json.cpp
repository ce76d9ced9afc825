// The whole bench state as JSON, for inspection by tests and by people.
#include <nlohmann/json.hpp>

#include "bench.h"

namespace gsmbench::sim::model {
namespace {

using nlohmann::json;

json per_band(const std::array<int, band_count> &values) {
    json j = json::object();
    for (int i = 0; i < band_count; ++i) {
        j[std::string(band_name(static_cast<Band>(i)))] = values[static_cast<std::size_t>(i)];
    }
    return j;
}

json traffic(const TrafficSetup &t) {
    return {
        {"band", band_name(t.band)}, {"channel", per_band(t.channel)}, {"txl", per_band(t.txl)}};
}

json bit_error(const BitErrorSettings &b) {
    return {{"cls_delay_s", b.cls_delay_s},
            {"sl_control", b.sl_control},
            {"type", ber_types.name(b.type)},
            {"ld_auto", b.ld_auto},
            {"manual_delay", b.manual_delay}};
}

} // namespace

nlohmann::json Bench::dump() const {
    json j;
    j["time_scale"] = time_scale_;
    json t;
    t["operating_mode"] = operating_modes.name(ts.mode);
    t["cell_band"] = band_name(ts.cell_band);
    t["bch_channel"] = per_band(ts.bch_channel);
    t["bch_txl"] = per_band(ts.bch_txl);
    t["tch"] = traffic(ts.tch);
    t["tch_pending"] = traffic(ts.tch_pending);
    t["cell_power_dbm"] = ts.cell_power_dbm;
    t["connection_type"] = connection_types.name(ts.connection);
    t["correction"] = {{"frequencies_hz", ts.correction.frequencies()},
                       {"gains_db", ts.correction.gains()}};
    t["identity"] = {{"mcc", ts.identity.mcc},
                     {"lac", ts.identity.lac},
                     {"mnc", ts.identity.mnc},
                     {"ncc", ts.identity.ncc},
                     {"bcc", ts.identity.bcc}};
    t["gpib_debug"] = ts.gpib_debug;
    t["connected_timeout_s"] = ts.connected_timeout_s;
    t["test_mode"] = {
        {"rfg_gsm_hz", ts.rfg_gsm_hz},         {"rfg_sel_hz", ts.rfg_sel_hz},
        {"rfan_auto", ts.rfan_auto},           {"burst_type", burst_types.name(ts.burst)},
        {"cw_level_dbm", ts.cw_level_dbm},     {"cw_state", ts.cw_state},
        {"dpow_count_gsm", ts.dpow_count_gsm}, {"dpow_count_sel", ts.dpow_count_sel}};
    json ms = json::object();
    for (std::size_t i = 0; i < meas_count; ++i) {
        const MeasSettings &s = meas[i];
        const MeasRun &r = runs_[i];
        static constexpr const char *phases[] = {"OFF", "RUNNING", "DONE"};
        json one = {{"count_state", s.count_state},
                    {"count", s.count},
                    {"timeout_state", s.timeout_state},
                    {"timeout_s", s.timeout_s},
                    {"continuous", s.continuous},
                    {"trigger", trigger_sources.name(s.trigger)},
                    {"trigger_delay_s", s.trigger_delay_s},
                    {"trigger_qualifier", s.trigger_qualifier},
                    {"confidence", s.confidence},
                    {"sync", burst_syncs.name(s.sync)},
                    {"phase", phases[static_cast<int>(r.phase)]},
                    {"unreported", r.unreported}};
        if (r.result) {
            one["result"] = {{"integrity", static_cast<int>(r.result->integrity)},
                             {"values", r.result->values},
                             {"within_limits", r.result->within_limits}};
        }
        ms[std::string(measurements.name(static_cast<Meas>(i)))] = std::move(one);
    }
    t["measurements"] = std::move(ms);
    t["berr"] = bit_error(berr);
    t["fber"] = bit_error(fber);
    t["orfs"] = {{"switching_hz", orfs.switching_hz}, {"modulation_hz", orfs.modulation_hz}};
    t["call"] = {{"state", call_states.name(call_.state)},
                 {"connected", connected()},
                 {"detector_armed", call_.armed},
                 {"connected_changes", call_.connected_changes}};
    j["test_set"] = std::move(t);
    j["supply"] = {{"volts", supply.volts},
                   {"output", supply.output},
                   {"current_limit_a", supply.current_limit_a},
                   {"measured_volts", supply_output_volts()},
                   {"measured_amps", supply_output_amps()}};
    j["phone"] = {{"state", phone_states.name(phone_.state)},
                  {"registered", phone_.registered},
                  {"brownout", phone_.brownout},
                  {"powered", phone_powered()},
                  {"transmitting", phone_transmitting()},
                  {"rx_dbm", phone_rx_dbm()},
                  {"tx_dbm", phone_tx_dbm()},
                  {"current_a", phone_current_a()},
                  {"autocall", phone_cfg.autocall},
                  {"autocall_delay_s", phone_cfg.autocall_delay_s},
                  {"block_registration", phone_cfg.block_registration},
                  {"sensitivity_dbm", phone_cfg.sensitivity_dbm},
                  {"cable_loss_db", phone_cfg.cable_loss_db}};
    return j;
}

} // namespace gsmbench::sim::model
