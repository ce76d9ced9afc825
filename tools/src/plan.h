// The production test plan: what `gsmbench run` sets up, measures and judges.
//
// A plan file is JSON. Fields it leaves out keep the built-in default's value
// (objects merge, arrays replace), so a line can ship a file that states only
// what differs from the default. Every field is checked, and a bad one is
// reported by its path ("bands[1].tx_levels[0].pcl: ...").
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace gsmbench::tool {

struct TxLevel {
    int pcl = 0;              // power-control level commanded to the phone
    double expected_dbm = 0;  // nominal output power at this level
    double tolerance_db = 0;  // pass when |measured - expected| <= tolerance
};

struct BandPlan {
    std::string name; // band mnemonic: PGSM, EGSM, DCS, PCS, GSM850, ...
    int code = 0;     // its row in the band table
    int bch_channel = 0;
    std::vector<int> channels; // traffic channels, measured in this order
    std::vector<TxLevel> tx_levels;
    double frequency_error_hz = 0; // |frequency error| ceiling
};

struct OrfsLimit {
    std::string offset; // as sent to the test set, e.g. "400KHZ"
    double max = 0;     // dBm for switching, dB for modulation
};

struct CorrectionEntry {
    std::string frequency; // e.g. "900MHZ"
    double gain_db = 0;
};

struct Plan {
    std::string name;
    double supply_voltage_v = 0;
    double cell_power_dbm = 0;
    int mcc = 0, mnc = 0, lac = 0, ncc = 0, bcc = 0;
    std::vector<CorrectionEntry> path_loss;
    double registration_timeout_s = 0; // power-on to connected call
    double measurement_timeout_s = 0;  // per measurement, also the fetch wait
    int measurement_count = 1;         // bursts averaged per TX measurement

    double rms_phase_error_deg = 0;
    double peak_phase_error_deg = 0;
    bool pvt_mask = true;                  // the test set's mask verdict counts
    std::vector<OrfsLimit> orfs_switching; // dBm ceilings
    std::vector<OrfsLimit> orfs_modulation; // dB ceilings
    bool orfs_instrument_limit = true;     // the test set's own ORFS verdict counts

    double ber_level_dbm = 0;   // cell power for the BER test (sensitivity)
    int ber_bits = 0;           // bits per BER measurement
    double ber_max_percent = 0; // class II ratio ceiling
    int rx_level_tolerance = 0; // reported RXLEV vs the level the cell sends
    int rx_quality_max = 0;     // highest acceptable RXQUAL at the BER level

    std::vector<BandPlan> bands;
};

// The built-in plan: a 900 MHz and an 1800 MHz band, low/mid/high channels.
const nlohmann::json &default_plan_json();

struct PlanError {
    std::string message; // "<path>: <what is wrong>"
};

// Builds a plan from JSON, overlaying `overrides` on the default. Returns
// false and fills `error` on the first bad field.
bool load_plan(const nlohmann::json &overrides, Plan &plan, PlanError &error);

// Reads and loads a plan file; file and JSON syntax errors are reported too.
bool load_plan_file(const std::string &path, Plan &plan, PlanError &error);

// Band table lookups shared with the runner.
int band_code(std::string_view name); // -1 when unknown
std::string_view band_name(int code);
// The nominal downlink/uplink band label shown in reports ("900 MHz").
std::string_view band_label(int code);
bool channel_in_band(int code, int channel);

} // namespace gsmbench::tool
