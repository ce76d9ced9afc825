#include "gsmbench/rpc/vxi11.h"

namespace gsmbench::rpc::vxi11 {

namespace {
void put_call(XdrWriter &out, std::uint32_t xid, std::uint32_t procedure) noexcept {
    encode_call_header(out, {xid, kCoreProgram, kCoreVersion, procedure});
}
void put_success(XdrWriter &out, std::uint32_t xid) noexcept {
    encode_accepted_reply_header(out, xid, AcceptStat::success);
}
} // namespace

void encode_create_link_call(XdrWriter &out, std::uint32_t xid,
                             const CreateLinkParms &args) noexcept {
    put_call(out, xid, kCreateLink);
    out.put_i32(args.client_id);
    out.put_bool(args.lock_device);
    out.put_u32(args.lock_timeout);
    out.put_string(args.device);
}

bool decode_create_link_args(XdrReader &in, CreateLinkParms &args) noexcept {
    args.client_id = in.get_i32();
    args.lock_device = in.get_bool();
    args.lock_timeout = in.get_u32();
    args.device = in.get_string(kMaxDeviceName);
    return in.ok();
}

void encode_create_link_reply(XdrWriter &out, std::uint32_t xid,
                              const CreateLinkResp &result) noexcept {
    put_success(out, xid);
    out.put_i32(result.error);
    out.put_i32(result.lid);
    out.put_u32(result.abort_port); // unsigned short travels as a full XDR word
    out.put_u32(result.max_recv_size);
}

bool decode_create_link_result(XdrReader &in, CreateLinkResp &result) noexcept {
    result.error = in.get_i32();
    result.lid = in.get_i32();
    result.abort_port = static_cast<std::uint16_t>(in.get_u32());
    result.max_recv_size = in.get_u32();
    return in.ok();
}

void encode_device_write_call(XdrWriter &out, std::uint32_t xid,
                              const DeviceWriteParms &args) noexcept {
    put_call(out, xid, kDeviceWrite);
    out.put_i32(args.lid);
    out.put_u32(args.io_timeout);
    out.put_u32(args.lock_timeout);
    out.put_i32(args.flags);
    out.put_opaque(args.data);
}

bool decode_device_write_args(XdrReader &in, DeviceWriteParms &args) noexcept {
    args.lid = in.get_i32();
    args.io_timeout = in.get_u32();
    args.lock_timeout = in.get_u32();
    args.flags = in.get_i32();
    args.data = in.get_opaque(kMaxOpaqueData);
    return in.ok();
}

void encode_device_write_reply(XdrWriter &out, std::uint32_t xid,
                               const DeviceWriteResp &result) noexcept {
    put_success(out, xid);
    out.put_i32(result.error);
    out.put_u32(result.size);
}

bool decode_device_write_result(XdrReader &in, DeviceWriteResp &result) noexcept {
    result.error = in.get_i32();
    result.size = in.get_u32();
    return in.ok();
}

void encode_device_read_call(XdrWriter &out, std::uint32_t xid,
                             const DeviceReadParms &args) noexcept {
    put_call(out, xid, kDeviceRead);
    out.put_i32(args.lid);
    out.put_u32(args.request_size);
    out.put_u32(args.io_timeout);
    out.put_u32(args.lock_timeout);
    out.put_i32(args.flags);
    out.put_i32(static_cast<unsigned char>(args.term_char));
}

bool decode_device_read_args(XdrReader &in, DeviceReadParms &args) noexcept {
    args.lid = in.get_i32();
    args.request_size = in.get_u32();
    args.io_timeout = in.get_u32();
    args.lock_timeout = in.get_u32();
    args.flags = in.get_i32();
    args.term_char = static_cast<char>(in.get_u32() & 0xFFu);
    return in.ok();
}

void encode_device_read_reply(XdrWriter &out, std::uint32_t xid,
                              const DeviceReadResp &result) noexcept {
    put_success(out, xid);
    out.put_i32(result.error);
    out.put_i32(result.reason);
    out.put_opaque(result.data);
}

bool decode_device_read_result(XdrReader &in, DeviceReadResp &result) noexcept {
    result.error = in.get_i32();
    result.reason = in.get_i32();
    result.data = in.get_opaque(kMaxOpaqueData);
    return in.ok();
}

void encode_device_generic_call(XdrWriter &out, std::uint32_t xid, std::uint32_t procedure,
                                const DeviceGenericParms &args) noexcept {
    put_call(out, xid, procedure);
    out.put_i32(args.lid);
    out.put_i32(args.flags);
    out.put_u32(args.lock_timeout);
    out.put_u32(args.io_timeout);
}

bool decode_device_generic_args(XdrReader &in, DeviceGenericParms &args) noexcept {
    args.lid = in.get_i32();
    args.flags = in.get_i32();
    args.lock_timeout = in.get_u32();
    args.io_timeout = in.get_u32();
    return in.ok();
}

void encode_destroy_link_call(XdrWriter &out, std::uint32_t xid, std::int32_t lid) noexcept {
    put_call(out, xid, kDestroyLink);
    out.put_i32(lid);
}

bool decode_destroy_link_args(XdrReader &in, std::int32_t &lid) noexcept {
    lid = in.get_i32();
    return in.ok();
}

void encode_device_error_reply(XdrWriter &out, std::uint32_t xid,
                               const DeviceError &result) noexcept {
    put_success(out, xid);
    out.put_i32(result.error);
}

bool decode_device_error_result(XdrReader &in, DeviceError &result) noexcept {
    result.error = in.get_i32();
    return in.ok();
}

} // namespace gsmbench::rpc::vxi11
