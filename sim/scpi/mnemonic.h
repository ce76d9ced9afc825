// Mnemonic forms: the short/long form rule of SCPI program headers and keyword parameters.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace gsmbench::sim::detail {

inline bool is_alpha(char c) noexcept {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
inline bool is_digit(char c) noexcept {
    return c >= '0' && c <= '9';
}
inline bool is_upper(char c) noexcept {
    return c >= 'A' && c <= 'Z';
}
inline char to_upper(char c) noexcept {
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}
inline bool is_space(char c) noexcept {
    return c == ' ' || c == '\t' || c == '\r';
}

// A program mnemonic as an instrument accepts it: a letter, then letters, digits or '_'.
bool is_mnemonic(std::string_view text) noexcept;

// Case-insensitive equality of two ASCII texts.
bool iequals(std::string_view a, std::string_view b) noexcept;

std::string upper(std::string_view text);

// The two forms of a pattern node such as "OPERating": short "OPER", long "OPERATING". The
// short form is the leading run of upper-case letters and digits; the rest must be lower-case
// letters or digits. Returns false for a malformed node.
struct Forms {
    std::string short_form;
    std::string long_form;
};
bool node_forms(std::string_view node, Forms &out);

// Does `token` (any case) name the pattern node `node` in its short or long form?
bool matches_node(std::string_view node, std::string_view token) noexcept;

} // namespace gsmbench::sim::detail
