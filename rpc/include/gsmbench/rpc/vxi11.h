// VXI-11 core channel (program 0x0607AF, version 1) messages, both directions.
//
// For each procedure there are four functions:
//   client  encode_<proc>_call(out, xid, args)     whole call message
//   server  decode_<proc>_args(in, args)           after decode_call_header
//   server  encode_<proc>_reply(out, xid, result)  whole successful reply message
//   client  decode_<proc>_result(in, result)       after decode_reply_header
// Opaque data and the device name are views: on decode they point into the
// reader's buffer, on encode into the caller's bytes. The field order of every
// structure is the order of the VXI-11 interface definition.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "gsmbench/rpc/onc_rpc.h"

namespace gsmbench::rpc::vxi11 {

constexpr std::uint32_t kCoreProgram = 0x0607AF;
constexpr std::uint32_t kAbortProgram = 0x0607B0;
constexpr std::uint32_t kInterruptProgram = 0x0607B1;
constexpr std::uint32_t kCoreVersion = 1;

enum Procedure : std::uint32_t {
    kCreateLink = 10,
    kDeviceWrite = 11,
    kDeviceRead = 12,
    kDeviceReadStb = 13,
    kDeviceTrigger = 14,
    kDeviceClear = 15,
    kDeviceRemote = 16,
    kDeviceLocal = 17,
    kDeviceLock = 18,
    kDeviceUnlock = 19,
    kDeviceEnableSrq = 20,
    kDeviceDoCmd = 22,
    kDestroyLink = 23,
    kCreateIntrChan = 25,
    kDestroyIntrChan = 26,
};

// Device_ErrorCode values.
enum ErrorCode : std::int32_t {
    kNoError = 0,
    kSyntaxError = 1,
    kDeviceNotAccessible = 3,
    kInvalidLinkIdentifier = 4,
    kParameterError = 5,
    kChannelNotEstablished = 6,
    kOperationNotSupported = 8,
    kOutOfResources = 9,
    kDeviceLockedByAnotherLink = 11,
    kNoLockHeldByThisLink = 12,
    kIoTimeout = 15,
    kIoError = 17,
    kInvalidAddress = 21,
    kAbort = 23,
    kChannelAlreadyEstablished = 29,
};

// Device_Flags bits.
constexpr std::int32_t kFlagWaitLock = 0x01;
constexpr std::int32_t kFlagEnd = 0x08;
constexpr std::int32_t kFlagTermCharSet = 0x80;

// Device_ReadResp reason bits: why the device stopped sending this chunk.
constexpr std::int32_t kReasonRequestCount = 0x01;
constexpr std::int32_t kReasonTermChar = 0x02;
constexpr std::int32_t kReasonEnd = 0x04;

// Longest device name ("inst0", "gpib0,14", ...) a decoder accepts.
constexpr std::size_t kMaxDeviceName = 256;

struct CreateLinkParms {
    std::int32_t client_id = 0;
    bool lock_device = false;
    std::uint32_t lock_timeout = 0;
    std::string_view device;
};
struct CreateLinkResp {
    std::int32_t error = kNoError;
    std::int32_t lid = 0;
    std::uint16_t abort_port = 0;
    std::uint32_t max_recv_size = 0;
};

struct DeviceWriteParms {
    std::int32_t lid = 0;
    std::uint32_t io_timeout = 0;
    std::uint32_t lock_timeout = 0;
    std::int32_t flags = 0;
    std::span<const std::uint8_t> data;
};
struct DeviceWriteResp {
    std::int32_t error = kNoError;
    std::uint32_t size = 0;
};

struct DeviceReadParms {
    std::int32_t lid = 0;
    std::uint32_t request_size = 0;
    std::uint32_t io_timeout = 0;
    std::uint32_t lock_timeout = 0;
    std::int32_t flags = 0;
    char term_char = '\n'; // sent as a four-byte XDR integer
};
struct DeviceReadResp {
    std::int32_t error = kNoError;
    std::int32_t reason = 0;
    std::span<const std::uint8_t> data;
};

// Arguments of device_trigger, device_clear, device_remote and device_local.
struct DeviceGenericParms {
    std::int32_t lid = 0;
    std::int32_t flags = 0;
    std::uint32_t lock_timeout = 0;
    std::uint32_t io_timeout = 0;
};
// Result of the generic procedures and of destroy_link.
struct DeviceError {
    std::int32_t error = kNoError;
};

// A decoder refuses opaque data longer than this (a peer cannot make us accept
// more than one of our own receive buffers' worth in one message).
constexpr std::size_t kMaxOpaqueData = std::size_t{16} * 1024 * 1024;

// create_link
void encode_create_link_call(XdrWriter &out, std::uint32_t xid,
                             const CreateLinkParms &args) noexcept;
bool decode_create_link_args(XdrReader &in, CreateLinkParms &args) noexcept;
void encode_create_link_reply(XdrWriter &out, std::uint32_t xid,
                              const CreateLinkResp &result) noexcept;
bool decode_create_link_result(XdrReader &in, CreateLinkResp &result) noexcept;

// device_write
void encode_device_write_call(XdrWriter &out, std::uint32_t xid,
                              const DeviceWriteParms &args) noexcept;
bool decode_device_write_args(XdrReader &in, DeviceWriteParms &args) noexcept;
void encode_device_write_reply(XdrWriter &out, std::uint32_t xid,
                               const DeviceWriteResp &result) noexcept;
bool decode_device_write_result(XdrReader &in, DeviceWriteResp &result) noexcept;

// device_read
void encode_device_read_call(XdrWriter &out, std::uint32_t xid,
                             const DeviceReadParms &args) noexcept;
bool decode_device_read_args(XdrReader &in, DeviceReadParms &args) noexcept;
void encode_device_read_reply(XdrWriter &out, std::uint32_t xid,
                              const DeviceReadResp &result) noexcept;
bool decode_device_read_result(XdrReader &in, DeviceReadResp &result) noexcept;

// device_clear / device_trigger / device_remote / device_local: pass the
// procedure number (kDeviceClear, kDeviceTrigger, kDeviceRemote, kDeviceLocal).
void encode_device_generic_call(XdrWriter &out, std::uint32_t xid, std::uint32_t procedure,
                                const DeviceGenericParms &args) noexcept;
bool decode_device_generic_args(XdrReader &in, DeviceGenericParms &args) noexcept;

// destroy_link: the argument is the link id.
void encode_destroy_link_call(XdrWriter &out, std::uint32_t xid, std::int32_t lid) noexcept;
bool decode_destroy_link_args(XdrReader &in, std::int32_t &lid) noexcept;

// Reply of the generic procedures and of destroy_link.
void encode_device_error_reply(XdrWriter &out, std::uint32_t xid,
                               const DeviceError &result) noexcept;
bool decode_device_error_result(XdrReader &in, DeviceError &result) noexcept;

} // namespace gsmbench::rpc::vxi11
