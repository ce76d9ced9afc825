#include "gsmbench/rpc/onc_rpc.h"

namespace gsmbench::rpc {

namespace {
void put_auth_none(XdrWriter &out) noexcept {
    out.put_u32(kAuthNone);
    out.put_u32(0);
}
void skip_auth(XdrReader &in) noexcept {
    (void)in.get_u32(); // flavor: any is tolerated, the body is skipped
    in.skip_opaque(kMaxAuthBody);
}
} // namespace

void encode_call_header(XdrWriter &out, const CallHeader &call) noexcept {
    out.put_u32(call.xid);
    out.put_u32(kMsgCall);
    out.put_u32(kRpcVersion);
    out.put_u32(call.program);
    out.put_u32(call.version);
    out.put_u32(call.procedure);
    put_auth_none(out); // credential
    put_auth_none(out); // verifier
}

bool decode_call_header(XdrReader &in, CallHeader &call, bool *rpc_version_mismatch) noexcept {
    if (rpc_version_mismatch != nullptr) {
        *rpc_version_mismatch = false;
    }
    call.xid = in.get_u32();
    if (in.get_u32() != kMsgCall || !in.ok()) {
        in.fail();
        return false;
    }
    const std::uint32_t rpcvers = in.get_u32();
    call.program = in.get_u32();
    call.version = in.get_u32();
    call.procedure = in.get_u32();
    skip_auth(in);
    skip_auth(in);
    if (!in.ok()) {
        return false;
    }
    if (rpcvers != kRpcVersion) {
        if (rpc_version_mismatch != nullptr) {
            *rpc_version_mismatch = true;
        }
        return false;
    }
    return true;
}

void encode_accepted_reply_header(XdrWriter &out, std::uint32_t xid, AcceptStat stat,
                                  std::uint32_t low, std::uint32_t high) noexcept {
    out.put_u32(xid);
    out.put_u32(kMsgReply);
    out.put_u32(static_cast<std::uint32_t>(ReplyStat::accepted));
    put_auth_none(out);
    out.put_u32(static_cast<std::uint32_t>(stat));
    if (stat == AcceptStat::prog_mismatch) {
        out.put_u32(low);
        out.put_u32(high);
    }
}

void encode_rpc_mismatch_reply(XdrWriter &out, std::uint32_t xid) noexcept {
    out.put_u32(xid);
    out.put_u32(kMsgReply);
    out.put_u32(static_cast<std::uint32_t>(ReplyStat::denied));
    out.put_u32(static_cast<std::uint32_t>(RejectStat::rpc_mismatch));
    out.put_u32(kRpcVersion);
    out.put_u32(kRpcVersion);
}

bool decode_reply_header(XdrReader &in, ReplyHeader &reply) noexcept {
    reply = ReplyHeader{};
    reply.xid = in.get_u32();
    if (in.get_u32() != kMsgReply || !in.ok()) {
        in.fail();
        return false;
    }
    const std::uint32_t stat = in.get_u32();
    if (stat == static_cast<std::uint32_t>(ReplyStat::accepted)) {
        skip_auth(in);
        reply.accept_stat = static_cast<AcceptStat>(in.get_u32());
        if (reply.accept_stat == AcceptStat::prog_mismatch) {
            reply.mismatch_low = in.get_u32();
            reply.mismatch_high = in.get_u32();
        }
    } else if (stat == static_cast<std::uint32_t>(ReplyStat::denied)) {
        reply.reply_stat = ReplyStat::denied;
        reply.reject_stat = static_cast<RejectStat>(in.get_u32());
        if (reply.reject_stat == RejectStat::rpc_mismatch) {
            reply.mismatch_low = in.get_u32();
            reply.mismatch_high = in.get_u32();
        } else {
            (void)in.get_u32(); // auth_stat
        }
    } else {
        in.fail();
    }
    return in.ok();
}

} // namespace gsmbench::rpc
