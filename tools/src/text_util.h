// Small text helpers shared by the tool's commands. Numbers are rendered
// without the process locale, so reports read the same on every machine.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace gsmbench::tool {

bool iequals(std::string_view a, std::string_view b);
std::vector<std::string_view> split(std::string_view text, char sep);
std::string quote(std::string_view text);
// Shortest text that reads back as the same float ("12.5", "-0.25", "1e+38").
std::string format_float(float value);
// Fixed notation with `decimals` digits after the point.
std::string format_fixed(double value, int decimals);
// Levenshtein distance, case-insensitive (a typo in the case of a letter is
// still the nearest match).
std::size_t edit_distance(std::string_view a, std::string_view b);
// The reply text as it should appear on one line: control characters escaped.
std::string printable(std::string_view text);

} // namespace gsmbench::tool
