// Settings that cross the boundary as a small code: setting one sends a fixed
// line per code, reading one back maps the reply's leading keyword to the code.
#pragma once

#include <cstddef>
#include <cstdint>

#include "link/code_tables.h"
#include "link/decode.h"
#include "link/visa_api.h"

namespace gsmbench::cell {

// A complete command line per code, indexed by the code (the row's code field
// documents it and is checked by the table tests, never consulted).
using FixedLine = link::NamedCode<32>;

// Keyword replies are short; 32 bytes hold the longest keyword many times
// over, and the read is bounded to them.
inline constexpr std::size_t kKeywordReplySize = 32;

ViStatus send_line(ViSession vi, const char *line) noexcept;

// Sends the table's line for `code`; VI_ERROR_SYSTEM_ERROR, nothing sent,
// when the code names no row (negative codes included).
template <std::size_t Rows>
ViStatus send_fixed_line(ViSession vi, const FixedLine (&table)[Rows], std::int32_t code) noexcept {
    const char *line = link::name_for(table, code);
    return line == nullptr ? static_cast<ViStatus>(VI_ERROR_SYSTEM_ERROR) : send_line(vi, line);
}

// Output slots are the caller's ViInt32 (long on Windows, int elsewhere),
// never a std::int32_t pointer that would not convert on every platform.
// Writes `query`, reads the reply and stores its keyword's code, or the
// table's unrecognised code with VI_ERROR_SYSTEM_ERROR. `out` is untouched
// when the write or the read fails.
ViStatus query_code(ViSession vi, const char *query, const link::KeywordTable &table,
                    ViInt32 *out) noexcept;

} // namespace gsmbench::cell
