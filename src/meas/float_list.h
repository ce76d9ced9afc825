// Decoder for the test set's list-valued replies ("+0,+1.25E+01;..."): splits
// a reply into tokens and converts each token's leading number to a float.
//
// Pure function of its arguments: no allocation, no locale, no state shared
// between calls or threads, so it is safe to call concurrently and to fuzz.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

namespace gsmbench::meas {

// The characters that separate values: the instrument separates list values
// with commas and compound-query answers with semicolons; a blank is accepted
// as well. Runs of separators (leading and trailing ones included) only
// separate and never make an empty value.
inline constexpr std::string_view kListDelimiters = ";, ";

// Stores the number at the start of token i (counting from 0) in values[i],
// rounded to the nearest float, for at most `capacity` tokens, in reply order.
// A token without a leading number (a word, "inf", "nan") stores 0.0, and
// "0x1F" stores 0.0 (the "0" before the 'x'). Elements past the last token are
// left as they were.
//
// The text is read in place up to its first NUL or `max_length` bytes,
// whichever comes first, and scanning stops as soon as `capacity` values are
// stored, so the rest of an arbitrarily long reply is never looked at.
// Returns the number of values stored. `text` may be null (no tokens);
// `values` is written only when capacity is above 0.
std::size_t
parse_float_list(const char *text, float *values, std::int32_t capacity,
                 std::size_t max_length = std::numeric_limits<std::size_t>::max()) noexcept;

} // namespace gsmbench::meas
