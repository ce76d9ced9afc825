// ONC-RPC version 2 message headers (RFC 5531), AUTH_NONE only.
//
// A client encodes a call header then the procedure's arguments; a server
// decodes the call header, dispatches on program/version/procedure, decodes the
// arguments, and encodes an accepted reply header followed by the results.
#pragma once

#include <cstdint>

#include "gsmbench/rpc/xdr.h"

namespace gsmbench::rpc {

constexpr std::uint32_t kRpcVersion = 2;
constexpr std::uint32_t kMsgCall = 0;
constexpr std::uint32_t kMsgReply = 1;
constexpr std::uint32_t kAuthNone = 0;
// RFC 5531 bounds an opaque_auth body at 400 bytes.
constexpr std::size_t kMaxAuthBody = 400;

enum class ReplyStat : std::uint32_t { accepted = 0, denied = 1 };
enum class AcceptStat : std::uint32_t {
    success = 0,
    prog_unavail = 1,
    prog_mismatch = 2,
    proc_unavail = 3,
    garbage_args = 4,
    system_err = 5,
};
enum class RejectStat : std::uint32_t { rpc_mismatch = 0, auth_error = 1 };

struct CallHeader {
    std::uint32_t xid = 0;
    std::uint32_t program = 0;
    std::uint32_t version = 0;
    std::uint32_t procedure = 0;
};

// Call header with AUTH_NONE credential and verifier.
void encode_call_header(XdrWriter &out, const CallHeader &call) noexcept;
// Reads a call header, skipping whatever credential and verifier the caller
// sent (bounded). False when the message is not a version-2 CALL or is cut off;
// rpc_version_mismatch then tells a server to answer with a denied reply.
bool decode_call_header(XdrReader &in, CallHeader &call,
                        bool *rpc_version_mismatch = nullptr) noexcept;

struct ReplyHeader {
    std::uint32_t xid = 0;
    ReplyStat reply_stat = ReplyStat::accepted;
    AcceptStat accept_stat = AcceptStat::success;      // when accepted
    RejectStat reject_stat = RejectStat::rpc_mismatch; // when denied
    std::uint32_t mismatch_low = 0;                    // prog_mismatch / rpc_mismatch versions
    std::uint32_t mismatch_high = 0;
    bool succeeded() const noexcept {
        return reply_stat == ReplyStat::accepted && accept_stat == AcceptStat::success;
    }
};

// Accepted reply with AUTH_NONE verifier. For prog_mismatch pass the supported
// version range; results follow only when stat is success.
void encode_accepted_reply_header(XdrWriter &out, std::uint32_t xid, AcceptStat stat,
                                  std::uint32_t low = 0, std::uint32_t high = 0) noexcept;
// Denied reply: RPC_MISMATCH with versions 2..2.
void encode_rpc_mismatch_reply(XdrWriter &out, std::uint32_t xid) noexcept;
// Reads a reply header; false when the message is not a REPLY or is cut off.
// The results of a successful call follow in the reader.
bool decode_reply_header(XdrReader &in, ReplyHeader &reply) noexcept;

} // namespace gsmbench::rpc
