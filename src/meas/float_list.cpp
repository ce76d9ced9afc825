#include "meas/float_list.h"

#include "link/decode.h"

namespace gsmbench::meas {
namespace {

bool is_delimiter(char c) noexcept {
    return kListDelimiters.find(c) != std::string_view::npos;
}

} // namespace

std::size_t parse_float_list(const char *text, float *values, std::int32_t capacity,
                             std::size_t max_length) noexcept {
    if (text == nullptr || values == nullptr || capacity <= 0) {
        return 0;
    }
    const auto wanted = static_cast<std::size_t>(capacity);
    const auto at_end = [&](std::size_t i) { return i >= max_length || text[i] == '\0'; };
    std::size_t stored = 0;
    std::size_t i = 0;
    while (stored < wanted) {
        while (!at_end(i) && is_delimiter(text[i])) {
            ++i;
        }
        if (at_end(i)) {
            break;
        }
        const std::size_t begin = i;
        while (!at_end(i) && !is_delimiter(text[i])) {
            ++i;
        }
        // The number grammar (sign, digits, point, exponent; no hex, no
        // words) is applied within the token's bounds, so a number never runs
        // on into the next token and nothing past the token is read.
        const std::string_view token(text + begin, i - begin);
        values[stored++] = link::narrow_to_float(link::decode_double(token));
    }
    return stored;
}

} // namespace gsmbench::meas
