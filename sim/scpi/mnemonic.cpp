#include "scpi/mnemonic.h"

namespace gsmbench::sim::detail {

bool is_mnemonic(std::string_view text) noexcept {
    if (text.empty() || !is_alpha(text[0]))
        return false;
    for (char c : text)
        if (!is_alpha(c) && !is_digit(c) && c != '_')
            return false;
    return true;
}

bool iequals(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (to_upper(a[i]) != to_upper(b[i]))
            return false;
    return true;
}

std::string upper(std::string_view text) {
    std::string out(text);
    for (char &c : out)
        c = to_upper(c);
    return out;
}

bool node_forms(std::string_view node, Forms &out) {
    if (!is_mnemonic(node))
        return false;
    std::size_t i = 0;
    while (i < node.size() && (is_upper(node[i]) || is_digit(node[i]) || node[i] == '_'))
        ++i;
    if (i == 0)
        return false; // "foo": no short form at all
    for (std::size_t j = i; j < node.size(); ++j)
        if (is_upper(node[j]))
            return false; // "OPERatING": upper case after the short form is ambiguous
    out.short_form = std::string(node.substr(0, i));
    out.long_form = upper(node);
    return true;
}

bool matches_node(std::string_view node, std::string_view token) noexcept {
    std::size_t i = 0;
    while (i < node.size() && (is_upper(node[i]) || is_digit(node[i]) || node[i] == '_'))
        ++i;
    if (token.size() == i)
        return iequals(node.substr(0, i), token);
    return token.size() == node.size() && iequals(node, token);
}

} // namespace gsmbench::sim::detail
