// Typed access to the parameters of one command, with the standard SCPI errors for bad data.
#include "gsmbench/sim/scpi.h"

#include "scpi/engine.h"
#include "scpi/mnemonic.h"

#include <array>
#include <charconv>
#include <cmath>

namespace gsmbench::sim {
namespace {
using namespace detail;

struct Suffix {
    Unit unit;
    std::string_view name;
    double multiplier;
};
constexpr std::array<Suffix, 19> suffixes{{
    {Unit::second, "S", 1.0},   {Unit::second, "MS", 1e-3}, {Unit::second, "US", 1e-6},
    {Unit::second, "NS", 1e-9}, {Unit::hertz, "HZ", 1.0},   {Unit::hertz, "KHZ", 1e3},
    {Unit::hertz, "MHZ", 1e6},  {Unit::hertz, "GHZ", 1e9},  {Unit::dbm, "DBM", 1.0},
    {Unit::db, "DB", 1.0},      {Unit::volt, "V", 1.0},     {Unit::volt, "MV", 1e-3},
    {Unit::volt, "UV", 1e-6},   {Unit::volt, "KV", 1e3},    {Unit::ampere, "A", 1.0},
    {Unit::ampere, "MA", 1e-3}, {Unit::ampere, "UA", 1e-6}, {Unit::hertz, "MAHZ", 1e6},
    {Unit::second, "KS", 1e3},
}};

bool starts_string(std::string_view p) {
    return !p.empty() && (p[0] == '"' || p[0] == '\'');
}

enum class NumberParse { ok, not_a_number, bad };

// Decimal numeric program data followed by an optional suffix: [+-]digits[.digits][E[+-]digits]
// (digits may be absent on one side of the point, as in "5." or ".5"), then blanks, then a
// suffix of letters. Locale-independent.
NumberParse parse_number(std::string_view p, double &value, std::string_view &suffix) {
    std::size_t i = 0;
    bool negative = false;
    if (i < p.size() && (p[i] == '+' || p[i] == '-'))
        negative = p[i++] == '-';
    std::size_t start = i, digits = 0;
    while (i < p.size() && is_digit(p[i]))
        ++i, ++digits;
    if (i < p.size() && p[i] == '.') {
        ++i;
        while (i < p.size() && is_digit(p[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return start == 0 ? NumberParse::not_a_number : NumberParse::bad;
    if (i < p.size() && (p[i] == 'E' || p[i] == 'e')) {
        std::size_t e = i + 1;
        if (e < p.size() && (p[e] == '+' || p[e] == '-'))
            ++e;
        if (e < p.size() && is_digit(p[e])) {
            while (e < p.size() && is_digit(p[e]))
                ++e;
            i = e;
        }
        // else: an 'E' without digits is a suffix candidate (there is no such unit: -131)
    }
    auto [ptr, ec] = std::from_chars(p.data() + start, p.data() + i, value);
    if (ec == std::errc::result_out_of_range)
        value = HUGE_VAL; // beyond any range: reported as -222 by the caller
    else if (ec != std::errc() || ptr != p.data() + i)
        return NumberParse::bad;
    if (negative)
        value = -value;
    while (i < p.size() && is_space(p[i]))
        ++i;
    suffix = p.substr(i);
    return NumberParse::ok;
}

} // namespace

std::string_view Request::capture(std::string_view name) const noexcept {
    for (std::size_t i = capture_count_; i-- > 0;)
        if (capture_names_[i] == name)
            return capture_values_[i];
    return {};
}

std::string_view Request::capture(std::size_t index) const noexcept {
    return index < capture_count_ ? capture_values_[index] : std::string_view{};
}

std::string_view Request::raw(std::size_t index) noexcept {
    if (index >= param_count_)
        return {};
    if (index + 1 > max_read_)
        max_read_ = index + 1;
    return params_[index];
}

bool Request::param_present(std::size_t index) {
    if (index + 1 > max_read_)
        max_read_ = index + 1;
    if (index >= param_count_ || params_[index].empty()) {
        error(err::missing_parameter);
        return false;
    }
    return true;
}

void Request::error(int code, std::string_view info) {
    error(code, error_text(code), info);
}

void Request::error(int code, std::string_view text, std::string_view info) {
    failed_ = true;
    engine_->push_error(code, text, info);
}

std::optional<double> Request::number(std::size_t index, const NumericRule &rule) {
    if (!param_present(index))
        return std::nullopt;
    std::string_view p = params_[index];
    if (starts_string(p)) {
        data_type_error();
        return std::nullopt;
    }
    if (is_alpha(p[0])) {
        auto bound = [&](double v) -> std::optional<double> {
            if (std::isfinite(v))
                return v;
            illegal_value();
            return std::nullopt;
        };
        if (matches_node("MINimum", p))
            return bound(rule.min);
        if (matches_node("MAXimum", p))
            return bound(rule.max);
        if (matches_node("DEFault", p)) {
            if (rule.def)
                return *rule.def;
            illegal_value();
            return std::nullopt;
        }
        data_type_error();
        return std::nullopt;
    }
    double value = 0;
    std::string_view suffix;
    switch (parse_number(p, value, suffix)) {
    case NumberParse::not_a_number:
        data_type_error();
        return std::nullopt;
    case NumberParse::bad:
        error(err::invalid_character_in_number);
        return std::nullopt;
    case NumberParse::ok:
        break;
    }
    if (!suffix.empty()) {
        if (!is_alpha(suffix[0])) {
            error(err::invalid_character_in_number, p);
            return std::nullopt;
        }
        for (char c : suffix)
            if (!is_alpha(c)) {
                error(err::invalid_suffix, suffix);
                return std::nullopt;
            }
        if (rule.unit == Unit::none) {
            error(err::suffix_not_allowed, suffix);
            return std::nullopt;
        }
        const Suffix *found = nullptr;
        for (const auto &s : suffixes)
            if (s.unit == rule.unit && iequals(s.name, suffix))
                found = &s;
        if (!found) {
            error(err::invalid_suffix, suffix);
            return std::nullopt;
        }
        value *= found->multiplier;
    }
    // Values are compared with a relative margin so "0.5 MS" meets a bound of 0.0005 exactly.
    auto below = [](double v, double bound) { return v < bound - std::abs(bound) * 1e-12; };
    if (!std::isfinite(value) || below(value, rule.min) || below(-value, -rule.max)) {
        data_out_of_range();
        return std::nullopt;
    }
    return value;
}

std::optional<long long> Request::integer(std::size_t index, long long min, long long max) {
    auto v = number(index, NumericRule{});
    if (!v)
        return std::nullopt;
    double r = std::nearbyint(*v);
    if (!(r >= double(min) && r <= double(max))) {
        data_out_of_range();
        return std::nullopt;
    }
    return static_cast<long long>(r);
}

std::optional<bool> Request::boolean(std::size_t index) {
    if (!param_present(index))
        return std::nullopt;
    std::string_view p = params_[index];
    if (is_alpha(p[0])) {
        if (iequals(p, "ON"))
            return true;
        if (iequals(p, "OFF"))
            return false;
        illegal_value();
        return std::nullopt;
    }
    auto v = number(index, NumericRule{});
    if (!v)
        return std::nullopt;
    return std::nearbyint(*v) != 0.0;
}

std::optional<int> Request::choice(std::size_t index,
                                   std::initializer_list<std::string_view> choices) {
    if (!param_present(index))
        return std::nullopt;
    std::string_view p = params_[index];
    if (!is_alpha(p[0])) {
        data_type_error();
        return std::nullopt;
    }
    int i = 0;
    for (auto c : choices) {
        if (matches_node(c, p))
            return i;
        ++i;
    }
    illegal_value();
    return std::nullopt;
}

std::optional<int> Request::choice(std::size_t index,
                                   const std::vector<std::string_view> &choices) {
    if (!param_present(index))
        return std::nullopt;
    std::string_view p = params_[index];
    if (!is_alpha(p[0])) {
        data_type_error();
        return std::nullopt;
    }
    for (std::size_t i = 0; i < choices.size(); ++i)
        if (matches_node(choices[i], p))
            return int(i);
    illegal_value();
    return std::nullopt;
}

std::optional<std::string> Request::mnemonic(std::size_t index) {
    if (!param_present(index))
        return std::nullopt;
    std::string_view p = params_[index];
    if (!is_mnemonic(p)) {
        data_type_error();
        return std::nullopt;
    }
    return upper(p);
}

std::optional<std::string> Request::string(std::size_t index) {
    if (!param_present(index))
        return std::nullopt;
    std::string_view p = params_[index];
    if (!starts_string(p)) {
        data_type_error();
        return std::nullopt;
    }
    char q = p[0];
    std::string out;
    std::size_t i = 1;
    for (; i < p.size(); ++i) {
        if (p[i] == q) {
            if (i + 1 < p.size() && p[i + 1] == q) {
                out += q;
                ++i;
                continue;
            }
            break;
        }
        out += p[i];
    }
    if (i != p.size() - 1) { // unterminated, or text after the closing quote
        error(err::string_data_error);
        return std::nullopt;
    }
    return out;
}

} // namespace gsmbench::sim
