#include "link/decode.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace gsmbench::link {
namespace {

bool is_space(char c) noexcept {
    // The C locale's isspace set, without consulting the process locale.
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool is_digit(char c) noexcept { return c >= '0' && c <= '9'; }

} // namespace

std::int32_t decode_int(const char *reply) noexcept {
    if (reply == nullptr) {
        return 0;
    }
    const char *p = reply;
    while (is_space(*p)) {
        ++p;
    }
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = (*p == '-');
        ++p;
    }
    // Accumulate as a negative number so INT32_MIN is reachable, saturating.
    constexpr std::int64_t lowest = std::numeric_limits<std::int32_t>::min();
    std::int64_t value = 0;
    for (; is_digit(*p); ++p) {
        if (value > lowest) {
            value = value * 10 - (*p - '0');
            if (value < lowest) {
                value = lowest;
            }
        }
    }
    if (!negative) {
        value = -value;
        if (value > std::numeric_limits<std::int32_t>::max()) {
            value = std::numeric_limits<std::int32_t>::max();
        }
    }
    return static_cast<std::int32_t>(value);
}

double decode_double(std::string_view text) noexcept {
    std::size_t i = 0;
    while (i < text.size() && is_space(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = (text[i] == '-');
        ++i;
    }
    // Find the extent of the number by the grammar, so from_chars never sees
    // a hexadecimal form or a word.
    const std::size_t start = i;
    std::size_t digits = 0;
    std::int64_t integer_digits = 0;
    while (i < text.size() && is_digit(text[i])) {
        ++i;
        ++digits;
        ++integer_digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && is_digit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return 0.0;
    }
    std::size_t end = i;
    std::int64_t exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        bool exponent_negative = false;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            exponent_negative = (text[j] == '-');
            ++j;
        }
        if (j < text.size() && is_digit(text[j])) {
            while (j < text.size() && is_digit(text[j])) {
                if (exponent < 100000) {
                    exponent = exponent * 10 + (text[j] - '0');
                }
                ++j;
            }
            if (exponent_negative) {
                exponent = -exponent;
            }
            end = j;
        }
    }
    double value = 0.0;
    const auto result =
        std::from_chars(text.data() + start, text.data() + end, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // Decide overflow from underflow by the magnitude the text describes.
        value = (integer_digits + exponent > 0) ? HUGE_VAL : 0.0;
    } else if (result.ec != std::errc{}) {
        value = 0.0;
    }
    return negative ? -value : value;
}

double decode_double(const char *reply) noexcept {
    if (reply == nullptr) {
        return 0.0;
    }
    return decode_double(std::string_view(reply));
}

float narrow_to_float(double value) noexcept {
    constexpr double largest = std::numeric_limits<float>::max();
    if (std::isnan(value)) {
        return std::numeric_limits<float>::quiet_NaN();
    }
    if (value > largest || value < -largest) {
        // Values that round to FLT_MAX still do; beyond half an ulp above it
        // IEEE rounding gives infinity.
        const double halfway = largest + std::ldexp(1.0, 127 - 24);
        if (value >= halfway) {
            return std::numeric_limits<float>::infinity();
        }
        if (value <= -halfway) {
            return -std::numeric_limits<float>::infinity();
        }
        return value > 0 ? std::numeric_limits<float>::max() : -std::numeric_limits<float>::max();
    }
    return static_cast<float>(value);
}

std::int32_t truncate_to_int32(double value) noexcept {
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= 2147483647.0) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (value <= -2147483648.0) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value); // truncates toward zero
}

bool reply_has_prefix(const char *reply, const char *keyword, std::size_t n) noexcept {
    if (reply == nullptr || keyword == nullptr) {
        return false;
    }
    return std::strncmp(reply, keyword, n) == 0;
}

bool decode_keyword(const char *reply, const KeywordTable &table, std::int32_t &code) noexcept {
    for (std::size_t i = 0; i < table.count; ++i) {
        const Keyword &row = table.rows[i];
        if (reply_has_prefix(reply, row.keyword, row.length)) {
            code = row.code;
            return true;
        }
    }
    code = table.unrecognised;
    return false;
}

} // namespace gsmbench::link
