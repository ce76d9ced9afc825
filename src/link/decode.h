// Pure, allocation-free, locale-independent decoders for instrument replies.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace gsmbench::link {

// atol rules: leading white space, one optional sign, decimal digits up to the
// first other character; no digit gives 0. Values beyond the 32-bit range
// saturate at INT32_MIN / INT32_MAX instead of wrapping.
std::int32_t decode_int(const char *reply) noexcept;

// atof rules with a period as the decimal point whatever the locale: leading
// white space, sign, digits, optional point and fraction, optional exponent
// (E or e, sign, digits). No hexadecimal, no "inf"/"nan" words: text that does
// not start with a number gives 0. Overflow gives +/-HUGE_VAL.
double decode_double(const char *reply) noexcept;
// The same, reading at most `length` bytes of `text`.
double decode_double(std::string_view text) noexcept;

// Rounds to the nearest float; magnitudes beyond the float range become
// +/-infinity (IEEE behaviour, spelled out so it is defined on every compiler).
float narrow_to_float(double value) noexcept;

// Truncation toward zero into a 32-bit integer slot. A value beyond the range
// saturates (the test set's "no result" 9.91E+37 becomes INT32_MAX); NaN
// gives 0.
std::int32_t truncate_to_int32(double value) noexcept;

// strncmp(reply, keyword, n) == 0 as a bool: the first n bytes are equal, the
// comparison stopping early only where both end together.
bool reply_has_prefix(const char *reply, const char *keyword, std::size_t n) noexcept;

// One row of a keyword table: the reply matches when it begins with the first
// `length` bytes of `keyword`. Rows are tried in order, so a keyword that is a
// prefix of another must come after it.
struct Keyword {
    const char *keyword;
    std::uint8_t length;
    std::int32_t code;
};

// A keyword table with the code stored when no row matches (always the code
// after the highest keyword code).
struct KeywordTable {
    const Keyword *rows;
    std::size_t count;
    std::int32_t unrecognised;
};

template <std::size_t N>
constexpr KeywordTable make_keyword_table(const Keyword (&rows)[N], std::int32_t unrecognised) {
    return KeywordTable{rows, N, unrecognised};
}

// Stores the code of the first matching row and returns true; stores the
// table's unrecognised code and returns false when nothing matches.
bool decode_keyword(const char *reply, const KeywordTable &table, std::int32_t &code) noexcept;

} // namespace gsmbench::link
