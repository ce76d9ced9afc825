#include "gsmbench/rpc/portmap.h"

namespace gsmbench::rpc {

void encode_getport_call(XdrWriter &out, std::uint32_t xid, const PortmapMapping &query) noexcept {
    encode_call_header(out, {xid, kPortmapProgram, kPortmapVersion, kPortmapProcGetport});
    out.put_u32(query.program);
    out.put_u32(query.version);
    out.put_u32(query.protocol);
    out.put_u32(query.port);
}

bool decode_getport_result(XdrReader &in, std::uint32_t &port) noexcept {
    const std::uint32_t value = in.get_u32();
    if (!in.ok() || value > 0xFFFFu) {
        in.fail();
        return false;
    }
    port = value;
    return true;
}

bool decode_getport_args(XdrReader &in, PortmapMapping &query) noexcept {
    query.program = in.get_u32();
    query.version = in.get_u32();
    query.protocol = in.get_u32();
    query.port = in.get_u32();
    return in.ok();
}

void encode_getport_reply(XdrWriter &out, std::uint32_t xid, std::uint32_t port) noexcept {
    encode_accepted_reply_header(out, xid, AcceptStat::success);
    out.put_u32(port);
}

} // namespace gsmbench::rpc
