#include "resource_name.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <vector>

namespace gsmbench::visa {

namespace {

constexpr std::size_t kMaxNameLength = 255; // VI_FIND_BUFLEN - 1

char upper(char c) noexcept {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool iequals(std::string_view a, std::string_view b) noexcept {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return upper(x) == upper(y); });
}

bool istarts_with(std::string_view text, std::string_view prefix) noexcept {
    return text.size() >= prefix.size() && iequals(text.substr(0, prefix.size()), prefix);
}

bool is_digit(char c) noexcept {
    return c >= '0' && c <= '9';
}
bool is_alnum(char c) noexcept {
    return is_digit(c) || (upper(c) >= 'A' && upper(c) <= 'Z');
}

// Decimal number without sign or spaces, within [min, max].
bool parse_number(std::string_view text, unsigned min, unsigned max, unsigned &value) noexcept {
    if (text.empty() || text.size() > 5 || !std::all_of(text.begin(), text.end(), is_digit)) {
        return false;
    }
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    return r.ec == std::errc{} && value >= min && value <= max;
}

bool valid_host_name(std::string_view host) noexcept {
    return !host.empty() && host.size() <= 253 && std::all_of(host.begin(), host.end(), [](char c) {
        return is_alnum(c) || c == '.' || c == '-' || c == '_';
    });
}

bool valid_ipv6(std::string_view host) noexcept {
    // Hex groups, colons, an optional embedded IPv4 tail and a "%zone" suffix;
    // the resolver does the exact check.
    const auto zone = host.find('%');
    const std::string_view addr = host.substr(0, zone);
    if (addr.size() < 2 || addr.find(':') == std::string_view::npos) {
        return false;
    }
    const bool addr_ok = std::all_of(addr.begin(), addr.end(), [](char c) {
        return is_digit(c) || (upper(c) >= 'A' && upper(c) <= 'F') || c == ':' || c == '.';
    });
    if (!addr_ok) {
        return false;
    }
    if (zone != std::string_view::npos) {
        const std::string_view z = host.substr(zone + 1);
        return !z.empty() && std::all_of(z.begin(), z.end(), [](char c) {
            return is_alnum(c) || c == '_' || c == '-' || c == '.';
        });
    }
    return true;
}

bool valid_device(std::string_view device) noexcept {
    return !device.empty() && device.size() <= 64 &&
           std::all_of(device.begin(), device.end(), [](char c) {
               return is_alnum(c) || c == ',' || c == '_' || c == '.' || c == '-';
           });
}

// Interface words of the classes we do not drive. "GPIB-VXI" before "GPIB".
constexpr std::array<std::string_view, 6> kOtherInterfaces = {"GPIB-VXI", "GPIB", "ASRL",
                                                              "USB",      "VXI",  "PXI"};

// Splits on "::", keeping a bracketed IPv6 host in one piece.
bool split_fields(std::string_view text, std::vector<std::string_view> &fields) {
    std::size_t start = 0;
    std::size_t i = 0;
    while (i <= text.size()) {
        if (i < text.size() && text[i] == '[' && i == start) {
            const auto close = text.find(']', i);
            if (close == std::string_view::npos) {
                return false;
            }
            i = close + 1;
            if (i != text.size() && text.substr(i, 2) != "::") {
                return false;
            }
            continue;
        }
        if (i == text.size() || text.substr(i, 2) == "::") {
            fields.push_back(text.substr(start, i - start));
            if (i == text.size()) {
                break;
            }
            i += 2;
            start = i;
            continue;
        }
        ++i;
    }
    return true;
}

} // namespace

std::string ResourceName::canonical() const {
    std::string name = "TCPIP" + std::to_string(board) + "::";
    name += ipv6_literal ? "[" + host + "]" : host;
    if (kind == ResourceClass::socket) {
        name += "::" + std::to_string(port) + "::SOCKET";
    } else {
        name += "::" + device + "::INSTR";
    }
    return name;
}

ParseResult parse_resource_name(std::string_view text, ResourceName &out) {
    out = ResourceName{};
    if (text.empty() || text.size() > kMaxNameLength) {
        return ParseResult::invalid;
    }
    if (!istarts_with(text, "TCPIP")) {
        for (const std::string_view intf : kOtherInterfaces) {
            if (istarts_with(text, intf)) {
                const std::string_view rest = text.substr(intf.size());
                const auto digits =
                    std::find_if(rest.begin(), rest.end(), [](char c) { return !is_digit(c); });
                // "GPIB0::14::INSTR", "ASRL1::INSTR", "USB::0x0957::...": the
                // interface word and board number end at "::".
                if (digits != rest.end() && rest.substr(digits - rest.begin(), 2) == "::") {
                    return ParseResult::unsupported_class;
                }
                return ParseResult::invalid;
            }
        }
        return ParseResult::invalid;
    }
    std::vector<std::string_view> fields;
    if (!split_fields(text, fields) || fields.size() < 2 || fields.size() > 4) {
        return ParseResult::invalid;
    }
    // Board: "TCPIP" followed by an optional decimal number.
    unsigned board = 0;
    const std::string_view board_text = fields[0].substr(5);
    if (!board_text.empty() && !parse_number(board_text, 0, 65535, board)) {
        return ParseResult::invalid;
    }
    out.board = static_cast<std::uint16_t>(board);

    std::string_view host = fields[1];
    if (!host.empty() && host.front() == '[') {
        if (host.size() < 3 || host.back() != ']' || !valid_ipv6(host.substr(1, host.size() - 2))) {
            return ParseResult::invalid;
        }
        out.ipv6_literal = true;
        host = host.substr(1, host.size() - 2);
    } else if (!valid_host_name(host)) {
        return ParseResult::invalid;
    }
    out.host = std::string(host);

    const std::string_view last = fields.back();
    if (fields.size() >= 3 && iequals(last, "SOCKET")) {
        unsigned port = 0;
        if (fields.size() != 4 || !parse_number(fields[2], 1, 65535, port)) {
            return ParseResult::invalid;
        }
        out.kind = ResourceClass::socket;
        out.port = static_cast<std::uint16_t>(port);
        return ParseResult::ok;
    }
    // INSTR, with the class suffix optional as VISA allows.
    std::size_t device_index = 2;
    std::size_t count = fields.size();
    if (count >= 3 && iequals(last, "INSTR")) {
        --count;
    }
    if (count == 4) {
        return ParseResult::invalid;
    }
    if (count == 3) {
        const std::string_view device = fields[device_index];
        // A class word out of place ("::SOCKET" without a port, "::INSTR::x")
        // is a malformed name, not a device called "SOCKET".
        if (!valid_device(device) || iequals(device, "SOCKET") || iequals(device, "INSTR")) {
            return ParseResult::invalid;
        }
        out.device = std::string(device);
    }
    out.kind = ResourceClass::instr;
    return ParseResult::ok;
}

} // namespace gsmbench::visa
