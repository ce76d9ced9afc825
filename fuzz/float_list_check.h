// One decoder run checked against the reference: the values stored, the
// elements left alone past the last token, and guard elements past the
// capacity that must never be written.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "float_list_reference.h"
#include "meas/float_list.h"

namespace gsmbench::fuzz {

// A NaN with a payload the decoder can never produce (it never makes a NaN).
inline float sentinel() {
    const std::uint32_t bits = 0x7fc0beefu;
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

inline bool same_bits(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Returns an empty string when the run matches the reference, else a
// description of the first difference.
inline std::string check_decode(const char *reply, std::size_t length, int capacity) {
    constexpr int kGuards = 4;
    const int slots = capacity > 0 ? capacity : 0;
    std::vector<float> values(static_cast<std::size_t>(slots + kGuards), sentinel());
    const std::size_t stored = meas::parse_float_list(reply, values.data(), capacity, length);
    const std::vector<float> expected = reference_decode(reply, length, capacity);
    if (stored != expected.size()) {
        return "stored " + std::to_string(stored) + " values, expected " +
               std::to_string(expected.size());
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
        const float want = i < expected.size() ? expected[i] : sentinel();
        if (!same_bits(values[i], want)) {
            return "element " + std::to_string(i) + " is " + std::to_string(values[i]) +
                   ", expected " + std::to_string(want) +
                   (i >= static_cast<std::size_t>(slots) ? " (guard written)" : "");
        }
    }
    return {};
}

} // namespace gsmbench::fuzz
