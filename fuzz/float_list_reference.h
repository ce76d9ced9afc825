// An independent decoder for result lists, written the plain way (string
// splitting and the C library's strtod in the C locale), against which the
// driver's in-place decoder is checked by the random-input test and the
// fuzzer. It shares no code with the driver.
#pragma once

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace gsmbench::fuzz {

// strtod also reads hexadecimal numbers and "inf"/"nan" words, which the
// instrument never sends and the driver does not accept: the token is cut at
// the first character that no decimal number contains, so strtod sees only
// what the decimal grammar could use.
inline float reference_token_value(const std::string &token) {
    std::string cut;
    std::size_t i = 0;
    while (i < token.size() && std::strchr(" \t\n\v\f\r", token[i]) != nullptr &&
           token[i] != '\0') {
        cut += token[i++];
    }
    for (; i < token.size() && std::strchr("0123456789+-.eE", token[i]) != nullptr &&
           token[i] != '\0';
         ++i) {
        cut += token[i];
    }
    const double d = std::strtod(cut.c_str(), nullptr);
    // Narrowing written out: a double beyond the float range rounds to the
    // largest float or to infinity by IEEE round-to-nearest (halfway at
    // FLT_MAX + 2^103).
    if (std::fabs(d) > FLT_MAX) {
        const double halfway = static_cast<double>(FLT_MAX) + std::ldexp(1.0, 103);
        const float magnitude = std::fabs(d) >= halfway ? INFINITY : FLT_MAX;
        return d < 0 ? -magnitude : magnitude;
    }
    return static_cast<float>(d);
}

// The values of the first `capacity` tokens of `reply` (its first `length`
// bytes, up to a NUL), tokens being maximal runs without ';', ',' or ' '.
inline std::vector<float> reference_decode(const char *reply, std::size_t length, int capacity) {
    std::vector<float> out;
    std::string token;
    const auto flush = [&] {
        if (!token.empty() && static_cast<int>(out.size()) < capacity) {
            out.push_back(reference_token_value(token));
        }
        token.clear();
    };
    for (std::size_t i = 0; i < length && reply[i] != '\0'; ++i) {
        if (reply[i] == ';' || reply[i] == ',' || reply[i] == ' ') {
            flush();
        } else {
            token += reply[i];
        }
    }
    flush();
    return out;
}

} // namespace gsmbench::fuzz
