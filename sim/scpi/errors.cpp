// Standard SCPI error texts (SCPI-99 volume 2, chapter 21) for the numbers the simulator uses.
#include "gsmbench/sim/scpi.h"

#include <algorithm>
#include <array>
#include <utility>

namespace gsmbench::sim {
namespace {
struct ErrorRow {
    int code;
    std::string_view text;
};
// Sorted by code for the binary search below.
constexpr std::array<ErrorRow, 35> error_rows{{
    {-430, "Query DEADLOCKED"},
    {-420, "Query UNTERMINATED"},
    {-410, "Query INTERRUPTED"},
    {-400, "Query error"},
    {-350, "Queue overflow"},
    {-300, "Device-specific error"},
    {-241, "Hardware missing"},
    {-224, "Illegal parameter value"},
    {-223, "Too much data"},
    {-222, "Data out of range"},
    {-221, "Settings conflict"},
    {-220, "Parameter error"},
    {-200, "Execution error"},
    {-171, "Invalid expression"},
    {-160, "Block data error"},
    {-158, "String data not allowed"},
    {-151, "Invalid string data"},
    {-150, "String data error"},
    {-148, "Character data not allowed"},
    {-144, "Character data too long"},
    {-141, "Invalid character data"},
    {-140, "Character data error"},
    {-138, "Suffix not allowed"},
    {-131, "Invalid suffix"},
    {-130, "Suffix error"},
    {-121, "Invalid character in number"},
    {-120, "Numeric data error"},
    {-113, "Undefined header"},
    {-112, "Program mnemonic too long"},
    {-111, "Header separator error"},
    {-109, "Missing parameter"},
    {-108, "Parameter not allowed"},
    {-104, "Data type error"},
    {-103, "Invalid separator"},
    {-102, "Syntax error"},
}};
constexpr std::array<ErrorRow, 3> more_rows{{
    {-101, "Invalid character"},
    {-100, "Command error"},
    {0, "No error"},
}};

constexpr bool sorted() {
    for (std::size_t i = 1; i < error_rows.size(); ++i)
        if (error_rows[i - 1].code >= error_rows[i].code)
            return false;
    return error_rows.back().code < more_rows.front().code;
}
static_assert(sorted(), "error rows must be sorted by code");
} // namespace

std::string_view error_text(int code) noexcept {
    auto it = std::lower_bound(error_rows.begin(), error_rows.end(), code,
                               [](const ErrorRow &row, int c) { return row.code < c; });
    if (it != error_rows.end() && it->code == code)
        return it->text;
    for (const auto &row : more_rows)
        if (row.code == code)
            return row.text;
    return "Unknown error";
}

} // namespace gsmbench::sim
