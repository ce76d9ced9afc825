#include "results.h"

#include <algorithm>

#include "text_util.h"

namespace gsmbench::tool {

Verdict judge(double measured, std::optional<double> low, std::optional<double> high) {
    // A NaN compares false with everything: treat it as outside any limit.
    if (measured != measured) {
        return Verdict::fail;
    }
    if (low && measured < *low) {
        return Verdict::fail;
    }
    if (high && measured > *high) {
        return Verdict::fail;
    }
    return Verdict::pass;
}

ResultRow make_row(std::string test, std::string band, int channel, std::string level,
                   double measured, std::string unit, std::optional<double> low,
                   std::optional<double> high) {
    ResultRow row;
    row.test = std::move(test);
    row.band = std::move(band);
    row.channel = channel;
    row.level = std::move(level);
    row.measured = measured;
    row.unit = std::move(unit);
    row.low = low;
    row.high = high;
    row.verdict = judge(measured, low, high);
    return row;
}

std::string integrity_text(int integrity) {
    // The test set's integrity indicator values.
    switch (integrity) {
    case 0: return "normal";
    case 1: return "no result available";
    case 2: return "measurement timeout";
    case 3: return "hardware not installed";
    case 4: return "hardware error";
    case 5: return "over range";
    case 6: return "under range";
    case 7: return "burst short";
    case 8: return "trigger early or fall early";
    case 9: return "trigger late or rise late";
    case 10: return "signal too noisy";
    case 11: return "sync not found";
    default: return "integrity " + std::to_string(integrity);
    }
}

ResultRow integrity_row(std::string test, std::string band, int channel, std::string level,
                        int integrity) {
    ResultRow row;
    row.test = std::move(test);
    row.band = std::move(band);
    row.channel = channel;
    row.level = std::move(level);
    row.verdict = Verdict::fail;
    row.note = "no valid result: " + integrity_text(integrity) + " (integrity " +
               std::to_string(integrity) + ")";
    return row;
}

std::string measured_text(const ResultRow &row) {
    if (!row.measured) {
        return row.note.empty() ? "-" : row.note;
    }
    std::string s = format_fixed(*row.measured, 2);
    if (!row.unit.empty()) {
        s += " " + row.unit;
    }
    return s;
}

std::string limits_text(const ResultRow &row) {
    std::string s;
    if (row.low && row.high) {
        s = format_fixed(*row.low, 2) + " .. " + format_fixed(*row.high, 2);
    } else if (row.high) {
        s = "<= " + format_fixed(*row.high, 2);
    } else if (row.low) {
        s = ">= " + format_fixed(*row.low, 2);
    } else {
        return row.limit_note.empty() ? "-" : row.limit_note;
    }
    if (!row.unit.empty()) {
        s += " " + row.unit;
    }
    return s;
}

std::size_t RunReport::failed_rows() const {
    return static_cast<std::size_t>(std::count_if(
        rows.begin(), rows.end(), [](const ResultRow &r) { return r.verdict == Verdict::fail; }));
}

} // namespace gsmbench::tool
