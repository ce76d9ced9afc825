#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>

#include "formatted_io.h"

namespace gsmbench::visa {

namespace {

enum class Length { none, hh, h, l, ll, L, z };

bool is_space(int c) noexcept {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Reads from the source with the directive's width as a budget.
class Input {
  public:
    explicit Input(ByteSource &source) : source_(source) {}

    int peek() noexcept {
        if (failed_) {
            return ByteSource::kFailed;
        }
        const int c = source_.peek(status_);
        if (c == ByteSource::kFailed) {
            failed_ = true;
        }
        return c;
    }
    void advance() noexcept {
        source_.advance();
        ++consumed_;
    }
    void skip_space() noexcept {
        while (is_space(peek())) {
            advance();
        }
    }
    bool failed() const noexcept { return failed_; }
    ViStatus status() const noexcept { return status_; }
    std::size_t consumed() const noexcept { return consumed_; }

  private:
    ByteSource &source_;
    ViStatus status_ = VI_SUCCESS;
    bool failed_ = false;
    std::size_t consumed_ = 0;
};

bool is_digit_in(int c, int base) noexcept {
    if (c >= '0' && c <= '9') {
        return c - '0' < base;
    }
    const int lower = c | 0x20;
    return base == 16 && lower >= 'a' && lower <= 'f';
}

// Collects an integer's text: sign, optional 0x for base 16, digits.
std::size_t collect_integer(Input &in, std::size_t width, int &base, char *text, std::size_t cap) {
    std::size_t n = 0;
    auto take = [&](int c) {
        if (n + 1 < cap) {
            text[n++] = static_cast<char>(c);
        }
        in.advance();
        --width;
    };
    int c = in.peek();
    if (width > 0 && (c == '+' || c == '-')) {
        take(c);
        c = in.peek();
    }
    if (width > 0 && c == '0' && (base == 16 || base == 0)) {
        take(c); // a leading zero is a digit in every base
        c = in.peek();
        if (width > 0 && (c | 0x20) == 'x') {
            in.advance();
            --width;
            base = 16;
            n = n - 1; // drop the "0" of "0x"; digits follow
            c = in.peek();
        } else if (base == 0) {
            base = 8;
        }
    }
    if (base == 0) {
        base = 10;
    }
    while (width > 0 && is_digit_in(c, base)) {
        take(c);
        c = in.peek();
    }
    text[n] = '\0';
    return n;
}

// Collects a decimal floating-point number: sign, digits, point, exponent.
std::size_t collect_real(Input &in, std::size_t width, char *text, std::size_t cap) {
    std::size_t n = 0;
    auto take = [&](int c) {
        if (n + 1 < cap) {
            text[n++] = static_cast<char>(c);
        }
        in.advance();
        --width;
    };
    int c = in.peek();
    if (width > 0 && (c == '+' || c == '-')) {
        take(c);
        c = in.peek();
    }
    bool digits = false;
    while (width > 0 && c >= '0' && c <= '9') {
        take(c);
        digits = true;
        c = in.peek();
    }
    if (width > 0 && c == '.') {
        take(c);
        c = in.peek();
        while (width > 0 && c >= '0' && c <= '9') {
            take(c);
            digits = true;
            c = in.peek();
        }
    }
    if (digits && width > 0 && (c | 0x20) == 'e') {
        take(c);
        c = in.peek();
        if (width > 0 && (c == '+' || c == '-')) {
            take(c);
            c = in.peek();
        }
        while (width > 0 && c >= '0' && c <= '9') {
            take(c);
            c = in.peek();
        }
    }
    text[n] = '\0';
    return digits ? n : 0;
}

template <typename T> void store(void *target, T value) noexcept {
    std::memcpy(target, &value, sizeof value);
}

} // namespace

ViStatus scan_input(ByteSource &source, const char *format, va_list *args) noexcept {
    Input in(source);
    const char *p = format;
    constexpr std::size_t kUnbounded = static_cast<std::size_t>(-1);
    while (*p != '\0' && !in.failed()) {
        const unsigned char f = static_cast<unsigned char>(*p);
        if (is_space(f)) {
            in.skip_space();
            ++p;
            continue;
        }
        if (f != '%' || p[1] == '%') {
            // A literal must match the input, else scanning stops here.
            if (in.peek() != f) {
                break;
            }
            in.advance();
            p += (f == '%') ? 2 : 1;
            continue;
        }
        ++p;
        bool suppress = false;
        bool counted = false; // '#': size passed by pointer before the buffer
        if (*p == '*') {
            suppress = true;
            ++p;
        }
        if (*p == '#') {
            counted = true;
            ++p;
        }
        std::size_t width = 0;
        bool has_width = false;
        while (*p >= '0' && *p <= '9') {
            has_width = true;
            width =
                std::min<std::size_t>(width * 10 + static_cast<std::size_t>(*p++ - '0'), 1u << 30);
        }
        Length length = Length::none;
        if (*p == 'h') {
            length = (p[1] == 'h') ? (++p, Length::hh) : Length::h;
            ++p;
        } else if (*p == 'l') {
            length = (p[1] == 'l') ? (++p, Length::ll) : Length::l;
            ++p;
        } else if (*p == 'L') {
            length = Length::L;
            ++p;
        } else if (*p == 'z') {
            length = Length::z;
            ++p;
        }
        const char conversion = *p;
        if (conversion == '\0') {
            return VI_ERROR_INV_FMT;
        }
        ++p;

        ViPInt32 count_arg = nullptr;
        if (counted) {
            if (conversion != 's' && conversion != 't' && conversion != 'c') {
                return VI_ERROR_NSUP_FMT;
            }
            if (!suppress) {
                count_arg = va_arg(*args, ViPInt32);
            }
        }

        switch (conversion) {
        case 'd':
        case 'i':
        case 'u':
        case 'x':
        case 'X':
        case 'o': {
            int base = conversion == 'i'
                           ? 0
                           : (conversion == 'o' ? 8 : ((conversion | 0x20) == 'x' ? 16 : 10));
            in.skip_space();
            char text[80];
            const std::size_t n =
                collect_integer(in, has_width ? width : kUnbounded, base, text, sizeof text);
            const char *first = text;
            bool negative = false;
            if (n > 0 && (text[0] == '+' || text[0] == '-')) {
                negative = text[0] == '-';
                ++first;
            }
            std::uint64_t magnitude = 0;
            const auto r = std::from_chars(first, text + n, magnitude, base);
            if (r.ptr == first) {
                goto done; // no digits: a matching failure ends the scan
            }
            if (r.ec == std::errc::result_out_of_range) {
                magnitude = UINT64_MAX; // saturate rather than wrap
            }
            const std::uint64_t bits =
                negative ? static_cast<std::uint64_t>(0) - magnitude : magnitude;
            if (!suppress) {
                void *target = va_arg(*args, void *);
                if (target == nullptr) {
                    return VI_ERROR_USER_BUF;
                }
                switch (length) {
                case Length::hh:
                    store(target, static_cast<std::uint8_t>(bits));
                    break;
                case Length::h:
                    store(target, static_cast<std::uint16_t>(bits));
                    break;
                case Length::ll:
                    store(target, bits);
                    break;
                case Length::z:
                    store(target, static_cast<std::size_t>(bits));
                    break;
                default: // none and l: ViInt32, VISA's 32-bit "long"
                    store(target, static_cast<std::uint32_t>(bits));
                    break;
                }
            }
            break;
        }
        case 'f':
        case 'F':
        case 'e':
        case 'E':
        case 'g':
        case 'G': {
            in.skip_space();
            char text[128];
            const std::size_t n =
                collect_real(in, has_width ? width : kUnbounded, text, sizeof text);
            double value = 0.0;
            // from_chars takes no '+'; instruments often send one ("+5.25E+00").
            const char *first = (n > 0 && text[0] == '+') ? text + 1 : text;
            const auto r = std::from_chars(first, text + n, value);
            if (n == 0 || (r.ec != std::errc{} && r.ec != std::errc::result_out_of_range)) {
                goto done;
            }
            if (!suppress) {
                void *target = va_arg(*args, void *);
                if (target == nullptr) {
                    return VI_ERROR_USER_BUF;
                }
                if (length == Length::l) {
                    store(target, value);
                } else if (length == Length::L) {
                    store(target, static_cast<long double>(value));
                } else {
                    store(target, static_cast<float>(value));
                }
            }
            break;
        }
        case 's':
        case 't':
        case 'c': {
            char *buffer = nullptr;
            // Characters the buffer takes (a NUL is added after them for s/t).
            std::size_t room = kUnbounded;
            if (!suppress) {
                buffer = va_arg(*args, char *);
                if (buffer == nullptr || (counted && count_arg == nullptr)) {
                    return VI_ERROR_USER_BUF;
                }
                if (counted) {
                    const ViInt32 size = *count_arg;
                    room = size <= 0 ? 0
                                     : static_cast<std::size_t>(size) - (conversion == 'c' ? 0 : 1);
                } else if (has_width) {
                    room = width;
                }
            }
            std::size_t stored = 0;
            auto keep = [&](int c) {
                if (buffer != nullptr && stored < room) {
                    buffer[stored] = static_cast<char>(c);
                }
                if (stored < room) {
                    ++stored;
                }
            };
            if (conversion == 't') {
                // The whole message, terminator included. What does not fit is
                // read and dropped, so the next reply starts clean.
                for (int c = in.peek(); c >= 0; c = in.peek()) {
                    keep(c);
                    in.advance();
                }
            } else if (conversion == 's') {
                in.skip_space();
                // A width bounds the word itself, as in C; a counted buffer
                // only bounds what is stored.
                std::size_t budget = (has_width && !counted) ? width : kUnbounded;
                for (int c = in.peek(); c >= 0 && !is_space(c) && budget > 0; c = in.peek()) {
                    keep(c);
                    in.advance();
                    --budget;
                }
            } else {
                std::size_t want = counted ? room : (has_width ? width : 1);
                for (int c = in.peek(); c >= 0 && want > 0; c = in.peek()) {
                    keep(c);
                    in.advance();
                    --want;
                }
            }
            if (buffer != nullptr) {
                // stored <= room, and the buffer holds room + 1 bytes for s/t.
                if (conversion != 'c' && !(counted && *count_arg <= 0)) {
                    buffer[stored] = '\0';
                }
                if (count_arg != nullptr) {
                    *count_arg = static_cast<ViInt32>(stored);
                }
            }
            if (in.failed()) {
                return in.status();
            }
            break;
        }
        case 'n':
            if (!suppress) {
                ViPInt32 target = va_arg(*args, ViPInt32);
                if (target != nullptr) {
                    *target = static_cast<ViInt32>(in.consumed());
                }
            }
            break;
        default:
            return VI_ERROR_NSUP_FMT;
        }
    }
done:
    return in.failed() ? in.status() : VI_SUCCESS;
}

} // namespace gsmbench::visa
