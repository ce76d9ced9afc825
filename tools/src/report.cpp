#include "report.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>

#include "text_util.h"

namespace gsmbench::tool {
namespace {

std::string channel_text(const ResultRow &r) { return r.channel < 0 ? "" : std::to_string(r.channel); }
std::string verdict_text(Verdict v) { return v == Verdict::pass ? "PASS" : "FAIL"; }

std::string pad(const std::string &s, std::size_t width) {
    return s.size() >= width ? s : s + std::string(width - s.size(), ' ');
}

std::string csv_field(const std::string &s) {
    if (s.find_first_of(",\"\n\r") == std::string::npos) {
        return s;
    }
    std::string out = "\"";
    for (const char c : s) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    return out + "\"";
}

std::string html_escape(std::string_view s) {
    std::string out;
    for (const char c : s) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string num(double v) { return format_fixed(v, 1); }

} // namespace

std::string summary_line(const RunReport &report) {
    const RunSummary &s = report.summary;
    std::string verdict = s.error ? "ERROR" : (s.passed ? "PASS" : "FAIL");
    std::string line = verdict + ": " + std::to_string(report.rows.size()) + " results, " +
                       std::to_string(report.failed_rows()) + " failed, " +
                       format_fixed(s.seconds, 3) + " s, " + std::to_string(s.calls) +
                       " exchanges";
    if (s.lines_written + s.replies_read > 0) {
        line += " (" + std::to_string(s.lines_written) + " writes, " +
                std::to_string(s.replies_read) + " reads)";
    }
    return line;
}

void write_table(std::ostream &out, const RunReport &report, bool color) {
    const char *headings[] = {"Test", "Band", "Channel", "Level", "Measured", "Limits", "Verdict"};
    std::vector<std::array<std::string, 7>> cells;
    for (const ResultRow &r : report.rows) {
        cells.push_back({r.test, r.band, channel_text(r), r.level, measured_text(r), limits_text(r),
                         verdict_text(r.verdict)});
    }
    std::array<std::size_t, 7> width{};
    for (std::size_t c = 0; c < 7; ++c) {
        width[c] = std::string_view(headings[c]).size();
        for (const auto &row : cells) {
            width[c] = std::max(width[c], row[c].size());
        }
    }
    auto line = [&](const std::array<std::string, 7> &row, bool failed) {
        std::string text;
        for (std::size_t c = 0; c < 7; ++c) {
            text += (c ? "  " : "") + (c == 6 ? row[c] : pad(row[c], width[c]));
        }
        if (failed && color) {
            out << "\x1b[31;1m" << text << "\x1b[0m\n";
        } else {
            out << text << '\n';
        }
    };
    if (!cells.empty()) {
        line({headings[0], headings[1], headings[2], headings[3], headings[4], headings[5], headings[6]},
             false);
        std::size_t total = 0;
        for (const auto w : width) {
            total += w + 2;
        }
        out << std::string(total - 2, '-') << '\n';
        for (std::size_t i = 0; i < cells.size(); ++i) {
            line(cells[i], report.rows[i].verdict == Verdict::fail);
        }
        out << '\n';
    }
    const RunSummary &s = report.summary;
    if (!s.testset_identity.empty()) {
        out << "Test set: " << s.testset_identity << " (" << s.testset_resource << ")\n";
    }
    if (s.error) {
        out << "Error: " << s.failed_call << " failed with status " << s.status << " (0x" << std::hex
            << std::uppercase << static_cast<std::uint32_t>(s.status) << std::dec << std::nouppercase
            << "): " << s.status_text << '\n';
        if (!s.error_detail.empty()) {
            out << "       " << s.error_detail << '\n';
        }
    }
    const std::string verdict = summary_line(report);
    if (color) {
        const char *paint = s.error ? "\x1b[33;1m" : (s.passed ? "\x1b[32;1m" : "\x1b[31;1m");
        out << paint << verdict << "\x1b[0m\n";
    } else {
        out << verdict << '\n';
    }
}

nlohmann::json report_json(const RunReport &report) {
    using nlohmann::json;
    const RunSummary &s = report.summary;
    json rows = json::array();
    for (const ResultRow &r : report.rows) {
        json row = {{"test", r.test},
                    {"band", r.band},
                    {"channel", r.channel < 0 ? json(nullptr) : json(r.channel)},
                    {"level", r.level},
                    {"measured", r.measured ? json(*r.measured) : json(nullptr)},
                    {"unit", r.unit},
                    {"low", r.low ? json(*r.low) : json(nullptr)},
                    {"high", r.high ? json(*r.high) : json(nullptr)},
                    {"verdict", verdict_text(r.verdict)}};
        if (r.pcl >= 0) {
            row["pcl"] = r.pcl;
        }
        if (!r.note.empty()) {
            row["note"] = r.note;
        }
        rows.push_back(std::move(row));
    }
    json summary = {{"verdict", s.error ? "ERROR" : (s.passed ? "PASS" : "FAIL")},
                    {"results", report.rows.size()},
                    {"failed", report.failed_rows()},
                    {"seconds", s.seconds},
                    {"exchanges", s.calls},
                    {"writes", s.lines_written},
                    {"reads", s.replies_read},
                    {"plan", s.plan_name},
                    {"testset", s.testset_resource},
                    {"supply", s.supply_resource},
                    {"testset_identity", s.testset_identity}};
    if (s.error) {
        summary["error"] = {{"call", s.failed_call},
                            {"status", s.status},
                            {"status_hex", [&] {
                                 std::ostringstream h;
                                 h << "0x" << std::hex << std::uppercase
                                   << static_cast<std::uint32_t>(s.status);
                                 return h.str();
                             }()},
                            {"description", s.status_text},
                            {"detail", s.error_detail}};
    }
    return {{"summary", summary}, {"results", rows}};
}

void write_csv(std::ostream &out, const RunReport &report) {
    out << "test,band,channel,level,measured,unit,low,high,verdict,note\n";
    for (const ResultRow &r : report.rows) {
        out << csv_field(r.test) << ',' << csv_field(r.band) << ',' << channel_text(r) << ','
            << csv_field(r.level) << ',' << (r.measured ? format_fixed(*r.measured, 3) : "") << ','
            << csv_field(r.unit) << ',' << (r.low ? format_fixed(*r.low, 3) : "") << ','
            << (r.high ? format_fixed(*r.high, 3) : "") << ',' << verdict_text(r.verdict) << ','
            << csv_field(r.note) << '\n';
    }
}

std::string tx_power_svg(const RunReport &report) {
    // One panel per band: x = power-control level, y = dBm. Points are the
    // measured powers (one colour per channel), the dashed lines the limits.
    struct Point {
        int pcl;
        double dbm;
        int channel;
        bool pass;
    };
    struct Limit {
        double low, high;
    };
    std::vector<std::string> bands;
    std::map<std::string, std::vector<Point>> points;
    std::map<std::string, std::map<int, Limit>> limits;
    for (const ResultRow &r : report.rows) {
        if (r.test != "TX power" || r.pcl < 0) {
            continue;
        }
        if (std::find(bands.begin(), bands.end(), r.band) == bands.end()) {
            bands.push_back(r.band);
        }
        if (r.measured) {
            points[r.band].push_back({r.pcl, *r.measured, r.channel, r.verdict == Verdict::pass});
        }
        if (r.low && r.high) {
            limits[r.band][r.pcl] = {*r.low, *r.high};
        }
    }
    const int panel_w = 420, panel_h = 300, margin_l = 50, margin_b = 40, margin_t = 30, margin_r = 15;
    const int width = std::max<int>(1, static_cast<int>(bands.size())) * panel_w;
    std::ostringstream svg;
    svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << width << "\" height=\"" << panel_h
        << "\" viewBox=\"0 0 " << width << ' ' << panel_h
        << "\" font-family=\"sans-serif\" font-size=\"11\" role=\"img\" "
           "aria-label=\"Measured TX power against power-control level\">\n";
    if (bands.empty()) {
        svg << "<text x=\"10\" y=\"20\">No TX power results</text>\n</svg>\n";
        return svg.str();
    }
    const char *palette[] = {"#1f77b4", "#ff7f0e", "#2ca02c", "#9467bd", "#8c564b", "#e377c2"};
    for (std::size_t b = 0; b < bands.size(); ++b) {
        const std::string &band = bands[b];
        const auto &pts = points[band];
        const auto &lim = limits[band];
        int pcl_lo = 99, pcl_hi = -1;
        double y_lo = 1e9, y_hi = -1e9;
        for (const auto &p : pts) {
            pcl_lo = std::min(pcl_lo, p.pcl);
            pcl_hi = std::max(pcl_hi, p.pcl);
            y_lo = std::min(y_lo, p.dbm);
            y_hi = std::max(y_hi, p.dbm);
        }
        for (const auto &[pcl, l] : lim) {
            pcl_lo = std::min(pcl_lo, pcl);
            pcl_hi = std::max(pcl_hi, pcl);
            y_lo = std::min(y_lo, l.low);
            y_hi = std::max(y_hi, l.high);
        }
        if (pcl_hi < pcl_lo) {
            pcl_lo = 0;
            pcl_hi = 1;
        }
        if (pcl_hi == pcl_lo) {
            ++pcl_hi;
        }
        y_lo = std::floor((y_lo - 2) / 5) * 5;
        y_hi = std::ceil((y_hi + 2) / 5) * 5;
        const double x0 = static_cast<double>(b) * panel_w + margin_l;
        const double x1 = static_cast<double>(b + 1) * panel_w - margin_r;
        const double y0 = panel_h - margin_b, y1 = margin_t;
        auto X = [&](double pcl) { return x0 + (pcl - pcl_lo) / (pcl_hi - pcl_lo) * (x1 - x0); };
        auto Y = [&](double dbm) { return y0 - (dbm - y_lo) / (y_hi - y_lo) * (y0 - y1); };
        svg << "<g>\n<text x=\"" << num((x0 + x1) / 2) << "\" y=\"18\" text-anchor=\"middle\" "
               "font-size=\"13\" font-weight=\"bold\">"
            << html_escape(band) << " TX power</text>\n";
        svg << "<rect x=\"" << num(x0) << "\" y=\"" << num(y1) << "\" width=\"" << num(x1 - x0)
            << "\" height=\"" << num(y0 - y1) << "\" fill=\"none\" stroke=\"#999\"/>\n";
        for (double v = y_lo; v <= y_hi + 1e-9; v += 5) {
            svg << "<line x1=\"" << num(x0) << "\" x2=\"" << num(x1) << "\" y1=\"" << num(Y(v))
                << "\" y2=\"" << num(Y(v)) << "\" stroke=\"#eee\"/><text x=\"" << num(x0 - 4)
                << "\" y=\"" << num(Y(v) + 4) << "\" text-anchor=\"end\">" << num(v) << "</text>\n";
        }
        for (int p = pcl_lo; p <= pcl_hi; ++p) {
            if ((pcl_hi - pcl_lo) > 16 && p % 2) {
                continue;
            }
            svg << "<text x=\"" << num(X(p)) << "\" y=\"" << num(y0 + 14)
                << "\" text-anchor=\"middle\">" << p << "</text>\n";
        }
        svg << "<text x=\"" << num((x0 + x1) / 2) << "\" y=\"" << num(y0 + 30)
            << "\" text-anchor=\"middle\">power-control level</text>\n";
        svg << "<text transform=\"translate(" << num(x0 - 36) << ' ' << num((y0 + y1) / 2)
            << ") rotate(-90)\" text-anchor=\"middle\">dBm</text>\n";
        for (const bool upper : {false, true}) {
            std::string path;
            for (const auto &[pcl, l] : lim) {
                path += (path.empty() ? "M" : " L") + num(X(pcl)) + "," + num(Y(upper ? l.high : l.low));
            }
            if (!path.empty()) {
                svg << "<path d=\"" << path << "\" fill=\"none\" stroke=\"#d62728\" "
                       "stroke-dasharray=\"5,3\"><title>"
                    << (upper ? "upper" : "lower") << " limit</title></path>\n";
            }
        }
        std::vector<int> channels;
        for (const auto &p : pts) {
            if (std::find(channels.begin(), channels.end(), p.channel) == channels.end()) {
                channels.push_back(p.channel);
            }
        }
        for (std::size_t c = 0; c < channels.size(); ++c) {
            const char *colour = palette[c % std::size(palette)];
            std::string path;
            for (const auto &p : pts) {
                if (p.channel != channels[c]) {
                    continue;
                }
                path += (path.empty() ? "M" : " L") + num(X(p.pcl)) + "," + num(Y(p.dbm));
                svg << "<circle cx=\"" << num(X(p.pcl)) << "\" cy=\"" << num(Y(p.dbm))
                    << "\" r=\"3.5\" fill=\"" << (p.pass ? colour : "#d62728") << "\"><title>ch "
                    << p.channel << ", PCL " << p.pcl << ": " << format_fixed(p.dbm, 2)
                    << " dBm</title></circle>\n";
            }
            svg << "<path d=\"" << path << "\" fill=\"none\" stroke=\"" << colour
                << "\" stroke-width=\"1\"/>\n";
            svg << "<text x=\"" << num(x1 - 6) << "\" y=\"" << num(y1 + 14 + 13 * static_cast<double>(c))
                << "\" text-anchor=\"end\" fill=\"" << colour << "\">ch " << channels[c] << "</text>\n";
        }
        svg << "</g>\n";
    }
    svg << "</svg>\n";
    return svg.str();
}

void write_html(std::ostream &out, const RunReport &report) {
    const RunSummary &s = report.summary;
    const std::string verdict = s.error ? "ERROR" : (s.passed ? "PASS" : "FAIL");
    out << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>"
        << html_escape(s.plan_name) << " - " << verdict << "</title>\n<style>\n"
        << "body{font-family:sans-serif;margin:1.5em;color:#222}"
           "table{border-collapse:collapse;font-size:13px}"
           "th,td{border:1px solid #ccc;padding:3px 8px;text-align:left}"
           "th{background:#f0f0f0}td.num{text-align:right}"
           "tr.fail td{background:#fde0e0}.PASS{color:#1a7f1a}.FAIL,.ERROR{color:#c00}"
           "h1 span{font-weight:bold}\n</style>\n</head>\n<body>\n";
    out << "<h1>" << html_escape(s.plan_name) << ": <span class=\"" << verdict << "\">" << verdict
        << "</span></h1>\n<p>" << html_escape(summary_line(report)) << "</p>\n";
    out << "<p>Test set: " << html_escape(s.testset_resource);
    if (!s.testset_identity.empty()) {
        out << " (" << html_escape(s.testset_identity) << ")";
    }
    out << "<br>Supply: " << html_escape(s.supply_resource) << "</p>\n";
    if (s.error) {
        out << "<p class=\"ERROR\">" << html_escape(s.failed_call) << " returned " << s.status << ": "
            << html_escape(s.status_text) << "<br>" << html_escape(s.error_detail) << "</p>\n";
    }
    out << "<h2>TX power</h2>\n" << tx_power_svg(report);
    out << "<h2>Results</h2>\n<table>\n<tr><th>Test</th><th>Band</th><th>Channel</th><th>Level</th>"
           "<th>Measured</th><th>Limits</th><th>Verdict</th></tr>\n";
    for (const ResultRow &r : report.rows) {
        const bool fail = r.verdict == Verdict::fail;
        out << "<tr" << (fail ? " class=\"fail\"" : "") << "><td>" << html_escape(r.test) << "</td><td>"
            << html_escape(r.band) << "</td><td class=\"num\">" << channel_text(r) << "</td><td>"
            << html_escape(r.level) << "</td><td class=\"num\">" << html_escape(measured_text(r))
            << "</td><td>" << html_escape(limits_text(r)) << "</td><td class=\""
            << verdict_text(r.verdict) << "\">" << verdict_text(r.verdict) << "</td></tr>\n";
    }
    out << "</table>\n</body>\n</html>\n";
}

bool write_file(const std::string &path, const std::string &text, std::string &error) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        error = path + ": cannot open for writing";
        return false;
    }
    out << text;
    out.flush();
    if (!out) {
        error = path + ": write failed";
        return false;
    }
    return true;
}

} // namespace gsmbench::tool
