#include "link/format.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace gsmbench::link {

std::string_view field_text(const char *field, std::size_t size) noexcept {
    if (field == nullptr) {
        return {};
    }
    const void *nul = std::memchr(field, '\0', size);
    const std::size_t length =
        nul ? static_cast<std::size_t>(static_cast<const char *>(nul) - field) : size;
    return {field, length};
}

std::size_t format_fixed6(double value, char *out, std::size_t capacity) noexcept {
    if (capacity == 0) {
        return 0;
    }
    // printf prints non-finite values as words; keep that behaviour so the
    // instrument reports a parameter error rather than receiving garbage.
    if (std::isnan(value) || std::isinf(value)) {
        const char *word = std::isnan(value) ? (std::signbit(value) ? "-nan" : "nan")
                                             : (value < 0 ? "-inf" : "inf");
        const std::size_t length = std::strlen(word);
        if (length >= capacity) {
            out[0] = '\0';
            return 0;
        }
        std::memcpy(out, word, length + 1);
        return length;
    }
    // std::to_chars with fixed precision is exact and never consults the
    // locale; it rounds as glibc's printf does (round-half-even on the exact
    // binary value).
    const auto result = std::to_chars(out, out + capacity - 1, value, std::chars_format::fixed, 6);
    if (result.ec != std::errc{}) {
        out[0] = '\0';
        return 0;
    }
    *result.ptr = '\0';
    return static_cast<std::size_t>(result.ptr - out);
}

LineBuilder::LineBuilder(char *buffer, std::size_t capacity) noexcept
    : buffer_(buffer), capacity_(capacity) {
    if (capacity_ > 0) {
        buffer_[0] = '\0';
    } else {
        overflow_ = true;
    }
}

LineBuilder &LineBuilder::append(std::string_view text) noexcept {
    if (overflow_) {
        return *this;
    }
    // Keep one byte for the terminator.
    if (text.size() >= capacity_ - length_) {
        overflow_ = true;
        return *this;
    }
    std::memcpy(buffer_ + length_, text.data(), text.size());
    length_ += text.size();
    buffer_[length_] = '\0';
    return *this;
}

LineBuilder &LineBuilder::append_int(std::int32_t value) noexcept {
    char digits[16];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    return append(std::string_view(digits, static_cast<std::size_t>(result.ptr - digits)));
}

LineBuilder &LineBuilder::append_fixed6(double value) noexcept {
    // The largest double printed with "%f" has 309 integer digits.
    char digits[336];
    const std::size_t length = format_fixed6(value, digits, sizeof digits);
    if (length == 0) {
        overflow_ = true;
        return *this;
    }
    return append(std::string_view(digits, length));
}

LineBuilder &LineBuilder::append_format(std::string_view tmpl, const FormatArg *args,
                                        std::size_t count) noexcept {
    std::size_t next_arg = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i < tmpl.size() && !overflow_; ++i) {
        if (tmpl[i] != '%') {
            continue;
        }
        append(tmpl.substr(start, i - start));
        if (i + 1 >= tmpl.size()) {
            overflow_ = true;
            break;
        }
        const char directive = tmpl[++i];
        start = i + 1;
        if (directive == '%') {
            append("%");
            continue;
        }
        if (next_arg >= count) {
            overflow_ = true;
            break;
        }
        const FormatArg &arg = args[next_arg++];
        switch (directive) {
        case 's':
            if (arg.kind() != FormatArg::Kind::text) {
                overflow_ = true;
            } else {
                append(arg.text());
            }
            break;
        case 'd':
            if (arg.kind() != FormatArg::Kind::integer) {
                overflow_ = true;
            } else {
                append_int(arg.integer());
            }
            break;
        case 'f':
            if (arg.kind() != FormatArg::Kind::real) {
                overflow_ = true;
            } else {
                append_fixed6(arg.real());
            }
            break;
        default:
            overflow_ = true;
            break;
        }
    }
    if (!overflow_ && start < tmpl.size()) {
        append(tmpl.substr(start));
    }
    if (!overflow_ && next_arg != count) {
        overflow_ = true; // more arguments than directives: a table fault
    }
    return *this;
}

} // namespace gsmbench::link
