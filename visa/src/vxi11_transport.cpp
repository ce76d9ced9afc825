// TCPIP::host[::device]::INSTR: VXI-11 core channel over ONC-RPC/TCP.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <new>

#include "gsmbench/rpc/portmap.h"
#include "gsmbench/rpc/vxi11.h"
#include "rpc_client.h"
#include "transport.h"

namespace gsmbench::visa {

namespace vx = rpc::vxi11;

namespace {

// Largest device_write payload we send in one call, whatever the link offers:
// bounds our call buffer. The device's own maxRecvSize applies below it.
constexpr std::size_t kMaxWriteChunk = std::size_t{64} * 1024;
// VXI-11 promises every device accepts at least this much per device_write.
constexpr std::size_t kMinWriteChunk = 1024;
// Largest device_read we ask for; the session's buffer is this big.
constexpr std::size_t kMaxReadChunk = std::size_t{64} * 1024;
// Room for the RPC and VXI-11 headers around a payload.
constexpr std::size_t kHeaderRoom = 256;
// destroy_link is a courtesy: do not let it hold up a close.
constexpr std::uint32_t kGoodbyeMs = 1000;

ViStatus device_error_status(std::int32_t error) noexcept {
    switch (error) {
    case vx::kNoError:
        return VI_SUCCESS;
    case vx::kIoTimeout:
        return VI_ERROR_TMO;
    case vx::kDeviceLockedByAnotherLink:
        return VI_ERROR_RSRC_LOCKED;
    case vx::kAbort:
        return VI_ERROR_ABORT;
    case vx::kInvalidLinkIdentifier:
        return VI_ERROR_CONN_LOST; // the server no longer knows our link
    default:
        return VI_ERROR_IO;
    }
}

std::int32_t next_client_id() noexcept {
    static std::atomic<std::int32_t> id{1};
    return id.fetch_add(1);
}

class Vxi11Transport final : public Transport {
  public:
    Vxi11Transport(std::unique_ptr<RpcClient> core, std::int32_t lid, std::size_t write_chunk)
        : core_(std::move(core)), lid_(lid), write_chunk_(write_chunk),
          abort_socket_(core_->socket()) {}
    ~Vxi11Transport() override { core_->close(); }

    ViStatus write(const std::uint8_t *data, std::size_t size, bool end, const Deadline &deadline,
                   std::size_t &written) noexcept override {
        written = 0;
        do {
            const std::size_t n = std::min(write_chunk_, size - written);
            const bool last = written + n == size;
            vx::DeviceWriteParms args;
            args.lid = lid_;
            args.io_timeout = deadline.remaining_ms();
            args.flags = (last && end) ? vx::kFlagEnd : 0;
            args.data = {data + written, n};
            rpc::XdrWriter out = core_->begin_call();
            vx::encode_device_write_call(out, core_->xid(), args);
            const ViStatus st = core_->call(out, deadline);
            if (st != VI_SUCCESS) {
                return st;
            }
            vx::DeviceWriteResp resp;
            rpc::XdrReader in = core_->results();
            if (!vx::decode_device_write_result(in, resp)) {
                return VI_ERROR_IO;
            }
            // A device may take part of a chunk; it reports how much.
            const std::size_t taken = std::min<std::size_t>(resp.size, n);
            written += taken;
            if (resp.error != vx::kNoError) {
                return device_error_status(resp.error);
            }
            if (taken == 0 && n != 0) {
                return VI_ERROR_IO; // no progress: never loop on a device that takes nothing
            }
        } while (written < size);
        return VI_SUCCESS;
    }

    ViStatus read(std::uint8_t *buffer, std::size_t capacity, const ReadOptions &options,
                  const Deadline &deadline, std::size_t &received, bool &end) noexcept override {
        received = 0;
        end = false;
        vx::DeviceReadParms args;
        args.lid = lid_;
        args.request_size = static_cast<std::uint32_t>(std::min(capacity, kMaxReadChunk));
        args.io_timeout = deadline.remaining_ms();
        args.flags = options.term_char_enabled ? vx::kFlagTermCharSet : 0;
        args.term_char = static_cast<char>(options.term_char);
        rpc::XdrWriter out = core_->begin_call();
        vx::encode_device_read_call(out, core_->xid(), args);
        const ViStatus st = core_->call(out, deadline);
        if (st != VI_SUCCESS) {
            return st;
        }
        vx::DeviceReadResp resp;
        rpc::XdrReader in = core_->results();
        if (!vx::decode_device_read_result(in, resp)) {
            return VI_ERROR_IO;
        }
        if (resp.data.size() > capacity) {
            return VI_ERROR_IO; // more than we asked for
        }
        if (!resp.data.empty()) {
            std::memcpy(buffer, resp.data.data(), resp.data.size());
        }
        received = resp.data.size();
        end = (resp.reason & vx::kReasonEnd) != 0;
        // Data that came with an error (a time-out after part of a message)
        // is kept: it belongs to the reply the caller is reading.
        return device_error_status(resp.error);
    }

    ViStatus clear(const Deadline &deadline) noexcept override {
        return generic(vx::kDeviceClear, deadline);
    }

    void abort() noexcept override { shutdown_socket(abort_socket_); }

    void close(const Deadline &deadline) noexcept override {
        if (!core_->broken()) {
            rpc::XdrWriter out = core_->begin_call();
            vx::encode_destroy_link_call(out, core_->xid(), lid_);
            (void)core_->call(out, deadline.earlier_of(Deadline::after_ms(kGoodbyeMs)));
        }
        core_->close();
    }

  private:
    ViStatus generic(std::uint32_t procedure, const Deadline &deadline) noexcept {
        vx::DeviceGenericParms args;
        args.lid = lid_;
        args.io_timeout = deadline.remaining_ms();
        rpc::XdrWriter out = core_->begin_call();
        vx::encode_device_generic_call(out, core_->xid(), procedure, args);
        const ViStatus st = core_->call(out, deadline);
        if (st != VI_SUCCESS) {
            return st;
        }
        vx::DeviceError resp;
        rpc::XdrReader in = core_->results();
        if (!vx::decode_device_error_result(in, resp)) {
            return VI_ERROR_IO;
        }
        return device_error_status(resp.error);
    }

    std::unique_ptr<RpcClient> core_;
    std::int32_t lid_;
    std::size_t write_chunk_;
    // Fixed at open, read without the session lock by a concurrent close.
    const socket_t abort_socket_;
};

// Asks the host's portmapper where the VXI-11 core channel listens.
ViStatus look_up_core_port(const std::string &host, std::uint16_t portmapper_port,
                           const Deadline &deadline, std::uint16_t &port) noexcept {
    socket_t s = kInvalidSocket;
    if (connect_tcp(host, portmapper_port, deadline, s) != ConnectResult::ok) {
        return VI_ERROR_RSRC_NFOUND;
    }
    // Once a client owns the socket, its destructor closes it.
    std::unique_ptr<RpcClient> portmapper_owner;
    try {
        portmapper_owner = std::make_unique<RpcClient>(s, 256, 256);
    } catch (...) {
        close_socket(s);
        return VI_ERROR_ALLOC;
    }
    RpcClient &portmapper = *portmapper_owner;
    {
        rpc::XdrWriter out = portmapper.begin_call();
        rpc::encode_getport_call(out, portmapper.xid(),
                                 {vx::kCoreProgram, vx::kCoreVersion, rpc::kIpProtoTcp, 0});
        if (portmapper.call(out, deadline) != VI_SUCCESS) {
            return VI_ERROR_RSRC_NFOUND;
        }
        std::uint32_t value = 0;
        rpc::XdrReader in = portmapper.results();
        if (!rpc::decode_getport_result(in, value) || value == 0) {
            return VI_ERROR_RSRC_NFOUND; // no VXI-11 server registered on that host
        }
        port = static_cast<std::uint16_t>(value);
        return VI_SUCCESS;
    }
}

} // namespace

ViStatus open_vxi11_transport(const ResourceName &name, std::uint16_t portmapper_port,
                              const Deadline &deadline, std::unique_ptr<Transport> &out) noexcept {
    std::uint16_t core_port = 0;
    ViStatus st = look_up_core_port(name.host, portmapper_port, deadline, core_port);
    if (st != VI_SUCCESS) {
        return st;
    }
    socket_t s = kInvalidSocket;
    if (connect_tcp(name.host, core_port, deadline, s) != ConnectResult::ok) {
        return VI_ERROR_RSRC_NFOUND;
    }
    std::unique_ptr<RpcClient> core;
    try {
        core = std::make_unique<RpcClient>(s, kMaxWriteChunk + kHeaderRoom,
                                           kMaxReadChunk + kHeaderRoom);
    } catch (...) {
        close_socket(s);
        return VI_ERROR_ALLOC;
    }
    try {
        vx::CreateLinkParms args;
        args.client_id = next_client_id();
        args.device = name.device;
        rpc::XdrWriter call = core->begin_call();
        vx::encode_create_link_call(call, core->xid(), args);
        if (core->call(call, deadline) != VI_SUCCESS) {
            return VI_ERROR_RSRC_NFOUND;
        }
        vx::CreateLinkResp resp;
        rpc::XdrReader in = core->results();
        if (!vx::decode_create_link_result(in, resp) || resp.error != vx::kNoError) {
            return VI_ERROR_RSRC_NFOUND; // e.g. no such device behind the gateway
        }
        // A device that announces no size gets the minimum every device must take.
        const std::size_t chunk = resp.max_recv_size == 0
                                      ? kMinWriteChunk
                                      : std::min<std::size_t>(resp.max_recv_size, kMaxWriteChunk);
        out = std::make_unique<Vxi11Transport>(std::move(core), resp.lid, chunk);
        return VI_SUCCESS;
    } catch (...) {
        return VI_ERROR_ALLOC; // the client (if any) closes the socket
    }
}

} // namespace gsmbench::visa
