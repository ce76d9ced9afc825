// VISA resource names for the LAN classes this layer serves:
//   TCPIP[board]::host::port::SOCKET      raw SCPI over TCP
//   TCPIP[board]::host[::device][::INSTR] VXI-11 (device defaults to inst0)
// Keywords are case-insensitive. A host is a name, an IPv4 address, or an IPv6
// address in brackets ("[::1]"), since a bare IPv6 address would clash with
// the "::" separator.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace gsmbench::visa {

enum class ResourceClass { socket, instr };

struct ResourceName {
    ResourceClass kind = ResourceClass::instr;
    std::uint16_t board = 0;
    std::string host;             // without brackets
    std::uint16_t port = 0;       // SOCKET only
    std::string device = "inst0"; // INSTR only
    bool ipv6_literal = false;
    // The canonical form reported as VI_ATTR_RSRC_NAME.
    std::string canonical() const;
};

enum class ParseResult {
    ok,
    invalid,           // malformed name: VI_ERROR_INV_RSRC_NAME
    unsupported_class, // well-formed class this layer does not serve (GPIB, ASRL, USB, ...)
};

ParseResult parse_resource_name(std::string_view text, ResourceName &out);

} // namespace gsmbench::visa
