#include "plan.h"

#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>

#include "text_util.h"

namespace gsmbench::tool {
namespace {

using nlohmann::json;

struct BandRow {
    std::string_view name;
    std::string_view label;
    // Valid ARFCN ranges (two where the band wraps, as E-GSM does).
    int lo1, hi1, lo2, hi2;
};

// Rows in band-table order (the code is the row).
constexpr BandRow kBands[] = {
    {"PGSM", "900 MHz", 1, 124, 1, 124},      {"DCS", "1800 MHz", 512, 885, 512, 885},
    {"EGSM", "900 MHz", 0, 124, 975, 1023},   {"GSM450", "450 MHz", 259, 293, 259, 293},
    {"GSM480", "480 MHz", 306, 340, 306, 340}, {"GSM750", "750 MHz", 438, 511, 438, 511},
    {"GSM850", "850 MHz", 128, 251, 128, 251}, {"PCS", "1900 MHz", 512, 810, 512, 810},
    {"RGSM", "900 MHz", 0, 124, 955, 1023},   {"TGSM810", "810 MHz", 350, 425, 350, 425},
};

struct Bad {
    std::string message;
};

[[noreturn]] void fail(const std::string &path, const std::string &what) {
    throw Bad{path + ": " + what};
}

std::string join(const std::string &path, std::string_view key) {
    return path.empty() ? std::string(key) : path + "." + std::string(key);
}

std::string type_name(const json &j) { return j.type_name(); }

// Each object may hold only the keys the plan knows; a misspelt key would
// otherwise be silently ignored and its default used.
void known_keys(const json &j, const std::string &path, std::initializer_list<std::string_view> keys) {
    if (!j.is_object()) {
        fail(path.empty() ? "plan" : path, "expected an object, found " + type_name(j));
    }
    for (const auto &[key, value] : j.items()) {
        bool known = false;
        std::string_view nearest;
        std::size_t best = std::numeric_limits<std::size_t>::max();
        for (std::string_view k : keys) {
            known = known || k == key;
            if (const std::size_t d = edit_distance(k, key); d < best) {
                best = d;
                nearest = k;
            }
        }
        if (!known) {
            std::string msg = "unknown field";
            if (best <= 3) {
                msg += " (did you mean '" + std::string(nearest) + "'?)";
            }
            fail(join(path, key), msg);
        }
    }
}

const json &member(const json &j, const std::string &path, std::string_view key) {
    const auto it = j.find(std::string(key));
    if (it == j.end() || it->is_null()) {
        fail(join(path, key), "missing");
    }
    return *it;
}

double number(const json &j, const std::string &path, std::string_view key, double lo, double hi) {
    const json &v = member(j, path, key);
    if (!v.is_number()) {
        fail(join(path, key), "expected a number, found " + type_name(v));
    }
    const double d = v.get<double>();
    if (!std::isfinite(d) || d < lo || d > hi) {
        fail(join(path, key), "value " + format_fixed(d, 3) + " is outside " + format_fixed(lo, 1) +
                                  " .. " + format_fixed(hi, 1));
    }
    return d;
}

int integer(const json &v, const std::string &path, long long lo, long long hi) {
    if (!v.is_number_integer()) {
        fail(path, "expected a whole number, found " +
                       (v.is_number() ? std::string("a fraction") : type_name(v)));
    }
    const long long n = v.get<long long>();
    if (n < lo || n > hi) {
        fail(path, "value " + std::to_string(n) + " is outside " + std::to_string(lo) + " .. " +
                       std::to_string(hi));
    }
    return static_cast<int>(n);
}

int integer(const json &j, const std::string &path, std::string_view key, long long lo, long long hi) {
    return integer(member(j, path, key), join(path, key), lo, hi);
}

bool boolean(const json &j, const std::string &path, std::string_view key) {
    const json &v = member(j, path, key);
    if (!v.is_boolean()) {
        fail(join(path, key), "expected true or false, found " + type_name(v));
    }
    return v.get<bool>();
}

std::string text(const json &j, const std::string &path, std::string_view key, std::size_t max_len) {
    const json &v = member(j, path, key);
    if (!v.is_string()) {
        fail(join(path, key), "expected a string, found " + type_name(v));
    }
    std::string s = v.get<std::string>();
    if (s.empty() || s.size() > max_len) {
        fail(join(path, key), "expected 1 to " + std::to_string(max_len) + " characters");
    }
    // These texts go onto command lines unchanged; keep them plain SCPI.
    for (const char c : s) {
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+')) {
            fail(join(path, key), "'" + s + "' may hold only letters, digits, '.', '+' and '-'");
        }
    }
    return s;
}

const json &array(const json &j, const std::string &path, std::string_view key, std::size_t min,
                  std::size_t max) {
    const json &v = member(j, path, key);
    if (!v.is_array()) {
        fail(join(path, key), "expected a list, found " + type_name(v));
    }
    if (v.size() < min || v.size() > max) {
        fail(join(path, key), "expected " + std::to_string(min) + " to " + std::to_string(max) +
                                  " entries, found " + std::to_string(v.size()));
    }
    return v;
}

std::string at(const std::string &path, std::string_view key, std::size_t i) {
    return join(path, key) + "[" + std::to_string(i) + "]";
}

std::vector<OrfsLimit> orfs_list(const json &j, const std::string &path, std::string_view key,
                                 std::size_t max) {
    std::vector<OrfsLimit> out;
    const json &list = array(j, path, key, 0, max);
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string p = at(path, key, i);
        known_keys(list[i], p, {"offset", "max"});
        // 15 characters: the width of one offset slot of the ORFS record.
        out.push_back({text(list[i], p, "offset", 15), number(list[i], p, "max", -200, 100)});
    }
    return out;
}

void parse(const json &j, Plan &plan) {
    known_keys(j, "", {"name", "supply", "cell", "path_loss", "timeouts", "measurement", "limits",
                       "ber", "rx", "bands"});
    {
        const json &v = member(j, "", "name");
        if (!v.is_string()) {
            fail("name", "expected a string, found " + type_name(v));
        }
        plan.name = v.get<std::string>();
    }
    const json &supply = member(j, "", "supply");
    known_keys(supply, "supply", {"voltage_v"});
    plan.supply_voltage_v = number(supply, "supply", "voltage_v", 0.0, 30.0);

    const json &cell = member(j, "", "cell");
    known_keys(cell, "cell", {"power_dbm", "mcc", "mnc", "lac", "ncc", "bcc"});
    plan.cell_power_dbm = number(cell, "cell", "power_dbm", -140.0, 0.0);
    // The ranges the test set accepts for the broadcast identity.
    plan.mcc = integer(cell, "cell", "mcc", 0, 999);
    plan.mnc = integer(cell, "cell", "mnc", 0, 99);
    plan.lac = integer(cell, "cell", "lac", 0, 65535);
    plan.ncc = integer(cell, "cell", "ncc", 0, 7);
    plan.bcc = integer(cell, "cell", "bcc", 0, 7);

    // The correction table holds at most 20 points.
    const json &loss = array(j, "", "path_loss", 1, 20);
    plan.path_loss.clear();
    for (std::size_t i = 0; i < loss.size(); ++i) {
        const std::string p = at("", "path_loss", i);
        known_keys(loss[i], p, {"frequency", "gain_db"});
        plan.path_loss.push_back({text(loss[i], p, "frequency", 31), number(loss[i], p, "gain_db", -50, 50)});
    }

    const json &timeouts = member(j, "", "timeouts");
    known_keys(timeouts, "timeouts", {"registration_s", "measurement_s"});
    plan.registration_timeout_s = number(timeouts, "timeouts", "registration_s", 0.1, 3600);
    plan.measurement_timeout_s = number(timeouts, "timeouts", "measurement_s", 0.1, 600);

    const json &meas = member(j, "", "measurement");
    known_keys(meas, "measurement", {"count"});
    plan.measurement_count = integer(meas, "measurement", "count", 1, 999);

    const json &limits = member(j, "", "limits");
    known_keys(limits, "limits",
               {"rms_phase_error_deg", "peak_phase_error_deg", "pvt_mask", "orfs"});
    plan.rms_phase_error_deg = number(limits, "limits", "rms_phase_error_deg", 0, 180);
    plan.peak_phase_error_deg = number(limits, "limits", "peak_phase_error_deg", 0, 180);
    plan.pvt_mask = boolean(limits, "limits", "pvt_mask");
    const json &orfs = member(limits, "limits", "orfs");
    known_keys(orfs, "limits.orfs", {"switching", "modulation", "instrument_limit"});
    // The offset lists are as long as the ORFS record's slots.
    plan.orfs_switching = orfs_list(orfs, "limits.orfs", "switching", 8);
    plan.orfs_modulation = orfs_list(orfs, "limits.orfs", "modulation", 22);
    plan.orfs_instrument_limit = boolean(orfs, "limits.orfs", "instrument_limit");
    if (plan.orfs_switching.size() + plan.orfs_modulation.size() > 32) {
        fail("limits.orfs", "at most 32 offsets in all (the result holds 32 values)");
    }

    const json &ber = member(j, "", "ber");
    known_keys(ber, "ber", {"level_dbm", "bits", "max_percent"});
    plan.ber_level_dbm = number(ber, "ber", "level_dbm", -140, 0);
    plan.ber_bits = integer(ber, "ber", "bits", 1, 10000000);
    plan.ber_max_percent = number(ber, "ber", "max_percent", 0, 100);

    const json &rx = member(j, "", "rx");
    known_keys(rx, "rx", {"level_tolerance", "quality_max"});
    plan.rx_level_tolerance = integer(rx, "rx", "level_tolerance", 0, 63);
    plan.rx_quality_max = integer(rx, "rx", "quality_max", 0, 7);

    const json &bands = array(j, "", "bands", 1, 10);
    plan.bands.clear();
    for (std::size_t b = 0; b < bands.size(); ++b) {
        const std::string p = at("", "bands", b);
        const json &band = bands[b];
        known_keys(band, p, {"band", "bch_channel", "channels", "tx_levels", "frequency_error_hz"});
        BandPlan bp;
        bp.name = text(band, p, "band", 31);
        bp.code = band_code(bp.name);
        // SEL is the test set's "selected band" alias, not a band to test in.
        if (bp.code < 0 || bp.code >= static_cast<int>(std::size(kBands))) {
            std::string names;
            for (const BandRow &r : kBands) {
                names += names.empty() ? "" : ", ";
                names += r.name;
            }
            fail(p + ".band", "unknown band '" + bp.name + "' (known: " + names + ")");
        }
        bp.name = std::string(kBands[bp.code].name);
        for (std::size_t other = 0; other < plan.bands.size(); ++other) {
            if (plan.bands[other].code == bp.code) {
                fail(p + ".band", bp.name + " is already bands[" + std::to_string(other) + "]");
            }
        }
        bp.bch_channel = integer(band, p, "bch_channel", 0, 1023);
        if (!channel_in_band(bp.code, bp.bch_channel)) {
            fail(p + ".bch_channel", "channel " + std::to_string(bp.bch_channel) + " is not in " + bp.name);
        }
        const json &channels = array(band, p, "channels", 1, 32);
        for (std::size_t c = 0; c < channels.size(); ++c) {
            const std::string cp = at(p, "channels", c);
            const int ch = integer(channels[c], cp, 0, 1023);
            if (!channel_in_band(bp.code, ch)) {
                fail(cp, "channel " + std::to_string(ch) + " is not in " + bp.name);
            }
            bp.channels.push_back(ch);
        }
        const json &levels = array(band, p, "tx_levels", 1, 32);
        for (std::size_t l = 0; l < levels.size(); ++l) {
            const std::string lp = at(p, "tx_levels", l);
            known_keys(levels[l], lp, {"pcl", "expected_dbm", "tolerance_db"});
            TxLevel level;
            level.pcl = integer(levels[l], lp, "pcl", 0, 31);
            level.expected_dbm = number(levels[l], lp, "expected_dbm", -20, 50);
            level.tolerance_db = number(levels[l], lp, "tolerance_db", 0, 20);
            bp.tx_levels.push_back(level);
        }
        bp.frequency_error_hz = number(band, p, "frequency_error_hz", 0, 100000);
        plan.bands.push_back(std::move(bp));
    }
}

} // namespace

int band_code(std::string_view name) {
    for (std::size_t i = 0; i < std::size(kBands); ++i) {
        if (iequals(kBands[i].name, name)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::string_view band_name(int code) {
    return code >= 0 && code < static_cast<int>(std::size(kBands)) ? kBands[code].name : "?";
}

std::string_view band_label(int code) {
    return code >= 0 && code < static_cast<int>(std::size(kBands)) ? kBands[code].label : "?";
}

bool channel_in_band(int code, int channel) {
    if (code < 0 || code >= static_cast<int>(std::size(kBands))) {
        return false;
    }
    const BandRow &r = kBands[code];
    return (channel >= r.lo1 && channel <= r.hi1) || (channel >= r.lo2 && channel <= r.hi2);
}

const nlohmann::json &default_plan_json() {
    // GSM 900 (E-GSM) and DCS 1800 with the nominal power-control tables
    // (E-GSM PCL 5 = 33 dBm down in 2 dB steps to PCL 19 = 5 dBm; DCS PCL 0 =
    // 30 dBm down to PCL 15 = 0 dBm) and production tolerances: tighter at
    // full power, wider at the lowest level, as the phone standards allow.
    static const json plan = json::parse(R"({
  "name": "GSM 900 / DCS 1800 production test",
  "supply": { "voltage_v": 3.8 },
  "cell": { "power_dbm": -60.0, "mcc": 1, "mnc": 1, "lac": 1, "ncc": 1, "bcc": 5 },
  "path_loss": [
    { "frequency": "900MHZ", "gain_db": -0.5 },
    { "frequency": "1800MHZ", "gain_db": -0.8 }
  ],
  "timeouts": { "registration_s": 30.0, "measurement_s": 10.0 },
  "measurement": { "count": 1 },
  "limits": {
    "rms_phase_error_deg": 5.0,
    "peak_phase_error_deg": 20.0,
    "pvt_mask": true,
    "orfs": {
      "switching": [
        { "offset": "400KHZ", "max": -23.0 },
        { "offset": "600KHZ", "max": -26.0 },
        { "offset": "1200KHZ", "max": -32.0 },
        { "offset": "1800KHZ", "max": -36.0 }
      ],
      "modulation": [
        { "offset": "200KHZ", "max": -30.0 },
        { "offset": "250KHZ", "max": -33.0 },
        { "offset": "400KHZ", "max": -60.0 },
        { "offset": "600KHZ", "max": -60.0 }
      ],
      "instrument_limit": true
    }
  },
  "ber": { "level_dbm": -102.0, "bits": 10000, "max_percent": 2.44 },
  "rx": { "level_tolerance": 6, "quality_max": 5 },
  "bands": [
    {
      "band": "EGSM",
      "bch_channel": 20,
      "channels": [975, 37, 124],
      "tx_levels": [
        { "pcl": 5, "expected_dbm": 33.0, "tolerance_db": 2.0 },
        { "pcl": 12, "expected_dbm": 19.0, "tolerance_db": 3.0 },
        { "pcl": 19, "expected_dbm": 5.0, "tolerance_db": 5.0 }
      ],
      "frequency_error_hz": 90.0
    },
    {
      "band": "DCS",
      "bch_channel": 698,
      "channels": [512, 698, 885],
      "tx_levels": [
        { "pcl": 0, "expected_dbm": 30.0, "tolerance_db": 2.0 },
        { "pcl": 8, "expected_dbm": 14.0, "tolerance_db": 3.0 },
        { "pcl": 15, "expected_dbm": 0.0, "tolerance_db": 5.0 }
      ],
      "frequency_error_hz": 180.0
    }
  ]
})");
    return plan;
}

bool load_plan(const nlohmann::json &overrides, Plan &plan, PlanError &error) {
    try {
        if (!overrides.is_object()) {
            fail("plan", "expected a JSON object at the top, found " + type_name(overrides));
        }
        json merged = default_plan_json();
        merged.merge_patch(overrides);
        Plan parsed;
        parse(merged, parsed);
        plan = std::move(parsed);
        return true;
    } catch (const Bad &bad) {
        error.message = bad.message;
        return false;
    }
}

bool load_plan_file(const std::string &path, Plan &plan, PlanError &error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error.message = path + ": cannot open the plan file";
        return false;
    }
    std::stringstream text;
    text << in.rdbuf();
    json overrides;
    try {
        overrides = json::parse(text.str());
    } catch (const json::parse_error &e) {
        error.message = path + ": not valid JSON: " + std::string(e.what());
        return false;
    }
    if (!load_plan(overrides, plan, error)) {
        error.message = path + ": " + error.message;
        return false;
    }
    return true;
}

} // namespace gsmbench::tool
