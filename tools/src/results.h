// Results of a production run and how each is judged against its limits.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace gsmbench::tool {

enum class Verdict : unsigned char { pass, fail };

struct ResultRow {
    std::string test;    // "TX power", "RMS phase error", ...
    std::string band;    // band mnemonic, empty for whole-run rows
    int channel = -1;    // -1: not channel-specific
    std::string level;   // "PCL 5", "-102.0 dBm", or empty
    int pcl = -1;        // the power-control level, -1 when not a TX row
    std::optional<double> measured;
    std::string unit;    // "dBm", "deg", "Hz", "%", ""
    std::optional<double> low, high; // limits; an absent side is unbounded
    Verdict verdict = Verdict::pass;
    std::string note;    // why a row failed without a value, or extra detail
    std::string limit_note; // the limit in words where it is not a number ("mask")
};

// Judges a measured value against [low, high]; either bound may be absent.
Verdict judge(double measured, std::optional<double> low, std::optional<double> high);

// A row for a value with limits.
ResultRow make_row(std::string test, std::string band, int channel, std::string level,
                   double measured, std::string unit, std::optional<double> low,
                   std::optional<double> high);

// A row for a result the test set could not measure: its integrity indicator
// was not 0 (no signal, over range, ...), so the value means nothing.
ResultRow integrity_row(std::string test, std::string band, int channel, std::string level,
                        int integrity);

// The test set's integrity indicator in words.
std::string integrity_text(int integrity);

// "12.34 dBm" / "<= 5.00 deg" / "30.00 .. 34.00 dBm" as shown in tables.
std::string measured_text(const ResultRow &row);
std::string limits_text(const ResultRow &row);

struct RunSummary {
    bool passed = false;
    bool error = false;           // an instrument or transport error ended the run
    std::string failed_call;      // the library call that failed
    std::int32_t status = 0;      // its status
    std::string status_text;      // VISA's description of it
    std::string error_detail;     // anything further (what the tool was doing)
    double seconds = 0;
    std::uint64_t calls = 0;      // library calls: one exchange each
    std::uint64_t lines_written = 0;
    std::uint64_t replies_read = 0;
    std::string testset_identity; // *IDN? reply
    std::string testset_resource, supply_resource;
    std::string plan_name;
};

struct RunReport {
    std::vector<ResultRow> rows;
    RunSummary summary;
    std::size_t failed_rows() const;
};

} // namespace gsmbench::tool
