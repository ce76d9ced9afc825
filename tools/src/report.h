// Writers for a production run's results: the terminal table, JSON, CSV and a
// self-contained HTML page with a TX power chart.
#pragma once

#include <ostream>
#include <string>

#include <nlohmann/json.hpp>

#include "results.h"

namespace gsmbench::tool {

// The results table, the overall verdict and the run's figures. Failed rows
// are marked so they stand out on a terminal (`color`) and in plain text.
void write_table(std::ostream &out, const RunReport &report, bool color);

// The one-line verdict: "PASS: 126 results, 0 failed, 0.214 s, 1234 exchanges".
std::string summary_line(const RunReport &report);

nlohmann::json report_json(const RunReport &report);
void write_csv(std::ostream &out, const RunReport &report);
void write_html(std::ostream &out, const RunReport &report);

// The chart alone (an <svg> element): measured TX power against
// power-control level, one panel per band, with the limit lines.
std::string tx_power_svg(const RunReport &report);

// Writes `text` to `path`; false with a message on failure.
bool write_file(const std::string &path, const std::string &text, std::string &error);

} // namespace gsmbench::tool
