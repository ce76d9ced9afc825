#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>

#include "formatted_io.h"

namespace gsmbench::visa {

namespace {

enum class Length { none, hh, h, l, ll, L, z };

struct Conversion {
    bool left = false;
    bool plus = false;
    bool space = false;
    bool zero = false;
    int width = 0;
    int precision = -1;
    Length length = Length::none;
    char conversion = 0;
};

// Longest precision honoured; keeps every conversion inside a fixed buffer.
constexpr int kMaxPrecision = 100;

class Emitter {
  public:
    explicit Emitter(TextSink &sink) : sink_(sink) {}

    bool put(const char *data, std::size_t size) noexcept {
        if (status_ == VI_SUCCESS && size > 0) {
            status_ = sink_.put(data, size);
        }
        return status_ == VI_SUCCESS;
    }
    bool pad(char c, int count) noexcept {
        char block[32];
        std::memset(block, c, sizeof block);
        while (count > 0 && status_ == VI_SUCCESS) {
            const int n = std::min<int>(count, sizeof block);
            put(block, static_cast<std::size_t>(n));
            count -= n;
        }
        return status_ == VI_SUCCESS;
    }
    // sign/prefix, then body, padded to the field width; zero padding goes
    // between the sign and the digits, as printf does.
    void field(const Conversion &conv, const char *sign, const char *body, std::size_t body_len,
               bool numeric) noexcept {
        const std::size_t sign_len = std::strlen(sign);
        const int fill = conv.width - static_cast<int>(sign_len + body_len);
        if (!conv.left && !(conv.zero && numeric)) {
            pad(' ', fill);
        }
        put(sign, sign_len);
        if (!conv.left && conv.zero && numeric) {
            pad('0', fill);
        }
        put(body, body_len);
        if (conv.left) {
            pad(' ', fill);
        }
    }
    ViStatus status() const noexcept { return status_; }
    void fail(ViStatus st) noexcept {
        if (status_ == VI_SUCCESS) {
            status_ = st;
        }
    }

  private:
    TextSink &sink_;
    ViStatus status_ = VI_SUCCESS;
};

void emit_integer(Emitter &out, Conversion conv, bool negative, std::uint64_t magnitude, int base,
                  bool upper) noexcept {
    char digits[72];
    std::size_t len = 0;
    if (!(conv.precision == 0 && magnitude == 0)) {
        const auto r = std::to_chars(digits, digits + sizeof digits, magnitude, base);
        len = static_cast<std::size_t>(r.ptr - digits);
    }
    if (upper) {
        std::transform(digits, digits + len, digits, [](char c) {
            return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
        });
    }
    char body[kMaxPrecision + 80];
    std::size_t body_len = 0;
    if (conv.precision > static_cast<int>(len)) {
        body_len = static_cast<std::size_t>(conv.precision) - len;
        std::memset(body, '0', body_len);
    }
    std::memcpy(body + body_len, digits, len);
    body_len += len;
    if (conv.precision >= 0) {
        conv.zero = false; // printf: a precision overrides the 0 flag for integers
    }
    const char *sign = negative ? "-" : (conv.plus ? "+" : (conv.space ? " " : ""));
    out.field(conv, sign, body, body_len, true);
}

void emit_real(Emitter &out, Conversion conv, double value) noexcept {
    const int precision = conv.precision < 0 ? 6 : conv.precision;
    std::chars_format format = std::chars_format::fixed;
    const char lower = static_cast<char>(conv.conversion | 0x20);
    if (lower == 'e') {
        format = std::chars_format::scientific;
    } else if (lower == 'g') {
        format = std::chars_format::general;
    }
    // %f of 1e308 has 309 integer digits.
    char text[400 + kMaxPrecision];
    auto r = std::to_chars(text, text + sizeof text, value, format, precision);
    if (r.ec != std::errc{}) {
        out.fail(VI_ERROR_NSUP_FMT);
        return;
    }
    const char *body = text;
    bool negative = false;
    if (*body == '-') {
        negative = true;
        ++body;
    }
    std::size_t len = static_cast<std::size_t>(r.ptr - body);
    if (conv.conversion == 'F' || conv.conversion == 'E' || conv.conversion == 'G') {
        std::transform(text, r.ptr, text, [](char c) {
            return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
        });
    }
    const bool finite = (body[0] >= '0' && body[0] <= '9');
    if (!finite) {
        conv.zero = false;
    }
    const char *sign = negative ? "-" : (conv.plus ? "+" : (conv.space ? " " : ""));
    out.field(conv, sign, body, len, true);
}

std::int64_t signed_arg(Length length, va_list *args) noexcept {
    switch (length) {
    case Length::ll:
        return va_arg(*args, ViInt64);
    case Length::l:
        return va_arg(*args, ViInt32);
    case Length::z:
        return static_cast<std::int64_t>(va_arg(*args, std::ptrdiff_t));
    case Length::hh:
        return static_cast<signed char>(va_arg(*args, int));
    case Length::h:
        return static_cast<short>(va_arg(*args, int));
    default:
        return va_arg(*args, int);
    }
}

std::uint64_t unsigned_arg(Length length, va_list *args) noexcept {
    switch (length) {
    case Length::ll:
        return va_arg(*args, ViUInt64);
    case Length::l:
        return va_arg(*args, ViUInt32);
    case Length::z:
        return va_arg(*args, std::size_t);
    case Length::hh:
        return static_cast<unsigned char>(va_arg(*args, unsigned));
    case Length::h:
        return static_cast<unsigned short>(va_arg(*args, unsigned));
    default:
        return va_arg(*args, unsigned);
    }
}

// Parses the directive after '%'; p is left on the conversion character.
bool parse_spec(const char *&p, Conversion &conv, va_list *args) noexcept {
    for (;; ++p) {
        if (*p == '-') {
            conv.left = true;
        } else if (*p == '+') {
            conv.plus = true;
        } else if (*p == ' ') {
            conv.space = true;
        } else if (*p == '0') {
            conv.zero = true;
        } else if (*p == '#') {
            // accepted and ignored: no alternative forms
        } else {
            break;
        }
    }
    if (*p == '*') {
        conv.width = va_arg(*args, int);
        if (conv.width < 0) {
            conv.left = true;
            conv.width = conv.width == INT32_MIN ? 0 : -conv.width;
        }
        ++p;
    } else {
        while (*p >= '0' && *p <= '9') {
            conv.width = std::min(conv.width * 10 + (*p++ - '0'), 1 << 20);
        }
    }
    if (*p == '.') {
        ++p;
        conv.precision = 0;
        if (*p == '*') {
            conv.precision = va_arg(*args, int);
            ++p;
        } else {
            while (*p >= '0' && *p <= '9') {
                conv.precision = std::min(conv.precision * 10 + (*p++ - '0'), 1 << 20);
            }
        }
    }
    conv.width = std::min(conv.width, 1 << 20);
    switch (*p) {
    case 'h':
        conv.length = (p[1] == 'h') ? (++p, Length::hh) : Length::h;
        ++p;
        break;
    case 'l':
        conv.length = (p[1] == 'l') ? (++p, Length::ll) : Length::l;
        ++p;
        break;
    case 'L':
        conv.length = Length::L;
        ++p;
        break;
    case 'z':
        conv.length = Length::z;
        ++p;
        break;
    default:
        break;
    }
    conv.conversion = *p;
    return *p != '\0';
}

} // namespace

ViStatus format_output(TextSink &sink, const char *format, va_list *args) noexcept {
    Emitter out(sink);
    const char *p = format;
    while (*p != '\0' && out.status() == VI_SUCCESS) {
        if (*p != '%') {
            const char *next = std::strchr(p, '%');
            const std::size_t n =
                next != nullptr ? static_cast<std::size_t>(next - p) : std::strlen(p);
            out.put(p, n);
            p += n;
            continue;
        }
        ++p;
        Conversion conv;
        if (!parse_spec(p, conv, args)) {
            return VI_ERROR_INV_FMT; // a format that ends inside a directive
        }
        if (conv.precision > kMaxPrecision && conv.conversion != 's') {
            conv.precision = kMaxPrecision;
        }
        switch (conv.conversion) {
        case '%':
            out.put("%", 1);
            break;
        case 'd':
        case 'i': {
            const std::int64_t v = signed_arg(conv.length, args);
            const std::uint64_t magnitude =
                v < 0 ? static_cast<std::uint64_t>(0) - static_cast<std::uint64_t>(v)
                      : static_cast<std::uint64_t>(v);
            emit_integer(out, conv, v < 0, magnitude, 10, false);
            break;
        }
        case 'u':
            emit_integer(out, conv, false, unsigned_arg(conv.length, args), 10, false);
            break;
        case 'x':
        case 'X':
            emit_integer(out, conv, false, unsigned_arg(conv.length, args), 16,
                         conv.conversion == 'X');
            break;
        case 'o':
            emit_integer(out, conv, false, unsigned_arg(conv.length, args), 8, false);
            break;
        case 'f':
        case 'F':
        case 'e':
        case 'E':
        case 'g':
        case 'G': {
            const double v = conv.length == Length::L
                                 ? static_cast<double>(va_arg(*args, long double))
                                 : va_arg(*args, double);
            emit_real(out, conv, v);
            break;
        }
        case 'c': {
            const char c = static_cast<char>(va_arg(*args, int));
            conv.zero = false;
            out.field(conv, "", &c, 1, false);
            break;
        }
        case 's': {
            const char *text = va_arg(*args, const char *);
            if (text == nullptr) {
                text = "(null)";
            }
            // With a precision, never read past it: the text need not be terminated.
            std::size_t len = 0;
            if (conv.precision >= 0) {
                const void *nul = std::memchr(text, 0, static_cast<std::size_t>(conv.precision));
                len = nul != nullptr
                          ? static_cast<std::size_t>(static_cast<const char *>(nul) - text)
                          : static_cast<std::size_t>(conv.precision);
            } else {
                len = std::strlen(text);
            }
            conv.zero = false;
            out.field(conv, "", text, len, false);
            break;
        }
        default:
            return VI_ERROR_NSUP_FMT;
        }
        ++p;
    }
    return out.status();
}

} // namespace gsmbench::visa
