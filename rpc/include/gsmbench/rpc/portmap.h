// Portmapper (program 100000, version 2): only GETPORT, which a VXI-11 client
// uses to find the core channel's TCP port.
#pragma once

#include <cstdint>

#include "gsmbench/rpc/onc_rpc.h"

namespace gsmbench::rpc {

constexpr std::uint32_t kPortmapProgram = 100000;
constexpr std::uint32_t kPortmapVersion = 2;
constexpr std::uint32_t kPortmapProcNull = 0;
constexpr std::uint32_t kPortmapProcGetport = 3;
constexpr std::uint16_t kPortmapDefaultPort = 111;
constexpr std::uint32_t kIpProtoTcp = 6;
constexpr std::uint32_t kIpProtoUdp = 17;

struct PortmapMapping {
    std::uint32_t program = 0;
    std::uint32_t version = 0;
    std::uint32_t protocol = kIpProtoTcp;
    std::uint32_t port = 0; // ignored in a GETPORT call
};

// Client: whole GETPORT call message (header and mapping).
void encode_getport_call(XdrWriter &out, std::uint32_t xid, const PortmapMapping &query) noexcept;
// Client: the result after decode_reply_header; 0 means "not registered".
bool decode_getport_result(XdrReader &in, std::uint32_t &port) noexcept;

// Server: the mapping argument after decode_call_header.
bool decode_getport_args(XdrReader &in, PortmapMapping &query) noexcept;
// Server: whole successful GETPORT reply message.
void encode_getport_reply(XdrWriter &out, std::uint32_t xid, std::uint32_t port) noexcept;

} // namespace gsmbench::rpc
