// Reply values in the instrument's number format.
#include "gsmbench/sim/scpi.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace gsmbench::sim {

std::string format_real(double value, RealFormat format) {
    // SCPI sends 9.91E+37 for "not a number" and +/-9.9E+37 for infinities; they go through the
    // same exponent format as every other value.
    if (std::isnan(value))
        value = not_a_number;
    else if (std::isinf(value))
        value = value > 0 ? 9.9e37 : -9.9e37;
    int decimals = std::clamp(format.decimals, 0, 15);
    int exp_digits = std::clamp(format.exponent_digits, 1, 3);
    char buf[64];
    // to_chars is locale-independent; it writes "d.ddddde+XX" with at least two exponent digits.
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, std::abs(value),
                                   std::chars_format::scientific, decimals);
    if (ec != std::errc())
        return "+9.91E+37";
    std::string_view text(buf, std::size_t(end - buf));
    auto e = text.find('e');
    std::string out;
    out.reserve(24);
    out += std::signbit(value) && value != 0.0 ? '-' : '+';
    out.append(text.substr(0, e));
    out += 'E';
    std::string_view exp = text.substr(e + 1);
    out += exp[0];
    exp.remove_prefix(1);
    while (exp.size() > 1 && exp[0] == '0' && int(exp.size()) > exp_digits)
        exp.remove_prefix(1);
    for (int pad = exp_digits - int(exp.size()); pad > 0; --pad)
        out += '0';
    out.append(exp);
    return out;
}

void Response::separate() {
    if (values_++ > 0)
        out_ += ',';
}

Response &Response::integer(long long value) {
    separate();
    char buf[24];
    char *p = buf;
    if (value >= 0)
        *p++ = '+';
    auto [end, ec] = std::to_chars(p, buf + sizeof buf, value);
    (void)ec; // 24 bytes hold every long long
    out_.append(buf, end);
    return *this;
}

Response &Response::real(double value) {
    return real(value, format_);
}

Response &Response::real(double value, RealFormat format) {
    separate();
    out_ += format_real(value, format);
    return *this;
}

Response &Response::boolean(bool value) {
    separate();
    out_ += value ? '1' : '0';
    return *this;
}

Response &Response::keyword(std::string_view word) {
    separate();
    out_.append(word);
    return *this;
}

Response &Response::string(std::string_view text) {
    separate();
    out_ += '"';
    for (char c : text) {
        if (c == '"')
            out_ += '"';
        out_ += c;
    }
    out_ += '"';
    return *this;
}

Response &Response::raw(std::string_view text) {
    separate();
    out_.append(text);
    return *this;
}

} // namespace gsmbench::sim
