#include "cell/gain_text.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>

namespace gsmbench::cell {
namespace {

// Every finite double has at most 767 significant decimal digits, so a
// scientific rendering with this precision is exact: no rounding can carry
// into the leading digit, and its exponent is the value's true one.
constexpr int kExactPrecision = 770;

int parse_exponent(std::string_view text) noexcept {
    const std::size_t at = text.find('e');
    int exponent = 0;
    if (at != std::string_view::npos) {
        std::size_t start = at + 1;
        if (start < text.size() && text[start] == '+') {
            ++start; // from_chars takes a '-' but not a '+'
        }
        std::from_chars(text.data() + start, text.data() + text.size(), exponent);
    }
    return exponent;
}

int leading_exponent(double magnitude) noexcept {
    char exact[kExactPrecision + 16];
    const auto result = std::to_chars(exact, exact + sizeof exact, magnitude,
                                      std::chars_format::scientific, kExactPrecision);
    return parse_exponent(std::string_view(exact, static_cast<std::size_t>(result.ptr - exact)));
}

// Drops trailing zeros of a fraction, keeping the point itself.
std::string_view strip_fraction_zeros(std::string_view text) noexcept {
    if (text.find('.') == std::string_view::npos) {
        return text;
    }
    while (text.back() == '0') {
        text.remove_suffix(1);
    }
    return text;
}

class TextOut {
  public:
    explicit TextOut(char (&out)[kGainTextSize]) noexcept : out_(out) {}
    void put(std::string_view text) noexcept {
        // The longest text is 12 characters; the check only guards the buffer.
        if (text.size() < kGainTextSize - length_) {
            std::memcpy(out_ + length_, text.data(), text.size());
            length_ += text.size();
        }
        out_[length_] = '\0';
    }
    std::size_t length() const noexcept { return length_; }

  private:
    char *out_;
    std::size_t length_ = 0;
};

} // namespace

std::size_t render_gain(double value, char (&out)[kGainTextSize]) noexcept {
    std::memset(out, 0, kGainTextSize);
    if (!std::isfinite(value)) {
        return 0;
    }
    TextOut text(out);
    if (value == 0.0) {
        text.put("0.");
        return text.length();
    }
    if (value < 0) {
        text.put("-");
    }
    const double magnitude = std::fabs(value);
    const int e = leading_exponent(magnitude);
    char digits[48];
    if (e < -1 || e > 4) {
        const auto result = std::to_chars(digits, digits + sizeof digits, magnitude,
                                          std::chars_format::scientific, 4);
        const std::string_view rendered(digits, static_cast<std::size_t>(result.ptr - digits));
        const std::size_t at = rendered.find('e');
        text.put(strip_fraction_zeros(rendered.substr(0, at)));
        const int exponent = parse_exponent(rendered);
        const int size = exponent < 0 ? -exponent : exponent;
        const char exponent_text[] = {
            'e', exponent < 0 ? '-' : '+', static_cast<char>('0' + size / 100 % 10),
            static_cast<char>('0' + size / 10 % 10), static_cast<char>('0' + size % 10)};
        text.put(std::string_view(exponent_text, sizeof exponent_text));
    } else {
        const auto result = std::to_chars(digits, digits + sizeof digits, magnitude,
                                          std::chars_format::fixed, 4 - e);
        text.put(strip_fraction_zeros(
            std::string_view(digits, static_cast<std::size_t>(result.ptr - digits))));
    }
    return text.length();
}

} // namespace gsmbench::cell
