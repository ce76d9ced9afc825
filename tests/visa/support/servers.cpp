#include "servers.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <deque>

#include "gsmbench/rpc/portmap.h"
#include "gsmbench/rpc/record.h"
#include "gsmbench/rpc/vxi11.h"
#include "loopback.h"

namespace gsmbench::test {

namespace vx = rpc::vxi11;

ServerBase::~ServerBase() {
    stop();
}

void ServerBase::stop() {
    std::vector<std::thread> threads;
    {
        std::lock_guard lock(mutex_);
        if (stopped_) {
            return;
        }
        stopped_ = true;
        for (int fd : listen_fds_) {
            ::shutdown(fd, SHUT_RDWR);
        }
        for (int fd : connections_) {
            ::shutdown(fd, SHUT_RDWR);
        }
    }
    instrument_.stop();
    // Threads started after this point see stopped_ and leave.
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (threads_.empty()) {
                break;
            }
            threads.swap(threads_);
        }
        for (auto &t : threads) {
            t.join();
        }
        threads.clear();
    }
    for (int fd : listen_fds_) {
        close_fd(fd);
    }
}

void ServerBase::track(int fd) {
    std::lock_guard lock(mutex_);
    connections_.push_back(fd);
    if (stopped_) {
        ::shutdown(fd, SHUT_RDWR);
    }
}

void ServerBase::untrack(int fd) {
    std::lock_guard lock(mutex_);
    std::erase(connections_, fd);
    close_fd(fd);
}

void ServerBase::start_accepting(int listen_fd, std::function<void(int)> serve) {
    std::lock_guard lock(mutex_);
    listen_fds_.push_back(listen_fd);
    threads_.emplace_back([this, listen_fd, serve] {
        for (;;) {
            const int fd = ::accept4(listen_fd, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) {
                if (errno == EINTR || errno == ECONNABORTED) {
                    continue;
                }
                return; // shut down
            }
            int on = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            std::lock_guard inner(mutex_);
            if (stopped_) {
                close_fd(fd);
                return;
            }
            connections_.push_back(fd);
            threads_.emplace_back([this, fd, serve] {
                serve(fd);
                untrack(fd);
            });
        }
    });
}

// ---------------------------------------------------------------------------
ScpiSocketServer::ScpiSocketServer(bool ipv6) : ipv6_(ipv6) {
    const int fd = listen_loopback(port_, ipv6);
    start_accepting(fd, [this](int c) { serve(c); });
}

ScpiSocketServer::~ScpiSocketServer() {
    stop();
}

std::string ScpiSocketServer::resource() const {
    return std::string(ipv6_ ? "TCPIP0::[::1]::" : "TCPIP0::127.0.0.1::") + std::to_string(port_) +
           "::SOCKET";
}

void ScpiSocketServer::serve(int fd) {
    std::string pending;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            if (n < 0 && errno == EINTR) {
                continue;
            }
            return;
        }
        pending.append(buffer, static_cast<std::size_t>(n));
        std::size_t eol;
        while ((eol = pending.find('\n')) != std::string::npos) {
            const std::string line = pending.substr(0, eol);
            pending.erase(0, eol + 1);
            const Reply reply = instrument_.handle(line);
            if (reply.drop) {
                return;
            }
            if (reply.hold && !instrument_.wait_hold()) {
                return;
            }
            for (std::size_t i = 0; i < reply.pieces.size(); ++i) {
                if (!send_all(fd, reply.pieces[i].data(), reply.pieces[i].size())) {
                    return;
                }
                if (reply.pieces.size() > 1) {
                    // Separate segments, so the client really sees a split reply.
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                }
            }
            if (reply.hold) {
                instrument_.note_held_reply_sent();
            }
        }
    }
}

// ---------------------------------------------------------------------------
namespace {

// Reads one whole record; false when the peer went away or misbehaved.
bool read_record(int fd, rpc::RecordAssembler &rec, std::vector<std::uint8_t> &stash) {
    rec.reset();
    std::uint8_t buffer[8192];
    for (;;) {
        if (!stash.empty()) {
            const std::size_t used = rec.feed(stash);
            stash.erase(stash.begin(), stash.begin() + static_cast<std::ptrdiff_t>(used));
        }
        if (rec.state() == rpc::RecordAssembler::State::complete) {
            return true;
        }
        if (rec.state() == rpc::RecordAssembler::State::error) {
            return false;
        }
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            if (n < 0 && errno == EINTR) {
                continue;
            }
            return false;
        }
        stash.insert(stash.end(), buffer, buffer + n);
    }
}

} // namespace

bool Vxi11Server::send_record(int fd, const std::uint8_t *data, std::size_t size) {
    const std::size_t step = options_.fragment_size == 0 ? size : options_.fragment_size;
    std::size_t offset = 0;
    do {
        const std::size_t n = std::min(step, size - offset);
        std::uint8_t mark[rpc::kRecordMarkSize];
        rpc::put_record_mark(mark, static_cast<std::uint32_t>(n), offset + n == size);
        if (!send_all(fd, mark, sizeof mark) || !send_all(fd, data + offset, n)) {
            return false;
        }
        offset += n;
    } while (offset < size);
    return true;
}

Vxi11Server::Vxi11Server(Vxi11Options options) : options_(options) {
    const int core = listen_loopback(core_port_);
    portmapper_port_ = options_.portmapper_port;
    const int pm = listen_loopback(portmapper_port_);
    start_accepting(core, [this](int c) { serve_core(c); });
    start_accepting(pm, [this](int c) { serve_portmapper(c); });
}

Vxi11Server::~Vxi11Server() {
    stop();
}

std::vector<WriteChunk> Vxi11Server::write_chunks() {
    std::lock_guard lock(mutex_);
    return chunks_;
}

int Vxi11Server::links_open() {
    std::lock_guard lock(mutex_);
    return links_;
}

int Vxi11Server::clears() {
    std::lock_guard lock(mutex_);
    return clears_;
}

void Vxi11Server::serve_portmapper(int fd) {
    rpc::RecordAssembler rec(4096);
    std::vector<std::uint8_t> stash;
    std::vector<std::uint8_t> out(512);
    while (read_record(fd, rec, stash)) {
        rpc::XdrReader in(rec.record());
        rpc::CallHeader call;
        if (!rpc::decode_call_header(in, call)) {
            return;
        }
        rpc::XdrWriter w(out.data(), out.size());
        rpc::PortmapMapping query;
        if (call.program != rpc::kPortmapProgram || call.procedure != rpc::kPortmapProcGetport ||
            !rpc::decode_getport_args(in, query)) {
            rpc::encode_accepted_reply_header(w, call.xid, rpc::AcceptStat::proc_unavail);
        } else {
            const bool core = query.program == vx::kCoreProgram &&
                              query.version == vx::kCoreVersion &&
                              query.protocol == rpc::kIpProtoTcp;
            rpc::encode_getport_reply(w, call.xid, core ? core_port_ : 0);
        }
        if (!send_record(fd, out.data(), w.size())) {
            return;
        }
    }
}

void Vxi11Server::serve_core(int fd) {
    rpc::RecordAssembler rec(1u << 20);
    std::vector<std::uint8_t> stash;
    std::vector<std::uint8_t> out(1u << 20);
    std::string incoming;           // the message being written to the device
    std::deque<std::string> output; // whole replies waiting to be read
    std::size_t output_offset = 0;  // bytes of output.front() already read
    std::string held;               // a reply waiting for release_hold()
    bool linked = false;
    std::int32_t lid = 0;
    while (read_record(fd, rec, stash)) {
        rpc::XdrReader in(rec.record());
        rpc::CallHeader call;
        if (!rpc::decode_call_header(in, call)) {
            break;
        }
        rpc::XdrWriter w(out.data(), out.size());
        bool drop = false;
        if (call.program != vx::kCoreProgram || call.version != vx::kCoreVersion) {
            rpc::encode_accepted_reply_header(w, call.xid, rpc::AcceptStat::prog_unavail);
        } else if (call.procedure == vx::kCreateLink) {
            vx::CreateLinkParms args;
            vx::CreateLinkResp resp;
            if (!vx::decode_create_link_args(in, args)) {
                break;
            }
            if (args.device == "inst0" || args.device == "gpib0,14") {
                static std::int32_t next_lid = 100;
                std::lock_guard lock(mutex_);
                lid = next_lid++;
                linked = true;
                ++links_;
                resp.lid = lid;
                resp.max_recv_size = options_.max_recv_size;
            } else {
                resp.error = vx::kDeviceNotAccessible;
            }
            vx::encode_create_link_reply(w, call.xid, resp);
        } else if (call.procedure == vx::kDeviceWrite) {
            vx::DeviceWriteParms args;
            if (!vx::decode_device_write_args(in, args)) {
                break;
            }
            vx::DeviceWriteResp resp;
            if (!linked || args.lid != lid) {
                resp.error = vx::kInvalidLinkIdentifier;
            } else {
                const bool end = (args.flags & vx::kFlagEnd) != 0;
                {
                    std::lock_guard lock(mutex_);
                    chunks_.push_back({args.data.size(), end});
                }
                incoming.append(reinterpret_cast<const char *>(args.data.data()), args.data.size());
                resp.size = static_cast<std::uint32_t>(args.data.size());
                if (end) {
                    std::string line = incoming;
                    incoming.clear();
                    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
                        line.pop_back(); // LF or CR LF, as clients terminate lines
                    }
                    const Reply reply = instrument_.handle(line);
                    std::string text;
                    for (const auto &piece : reply.pieces) {
                        text += piece;
                    }
                    drop = reply.drop;
                    if (reply.hold) {
                        held = text;
                    } else if (!text.empty()) {
                        output.push_back(text);
                    }
                }
            }
            vx::encode_device_write_reply(w, call.xid, resp);
        } else if (call.procedure == vx::kDeviceRead) {
            vx::DeviceReadParms args;
            if (!vx::decode_device_read_args(in, args)) {
                break;
            }
            vx::DeviceReadResp resp;
            if (options_.oversized_read_reply) {
                std::uint8_t mark[rpc::kRecordMarkSize];
                rpc::put_record_mark(mark, rpc::kFragmentLengthMask, true);
                if (!send_all(fd, mark, sizeof mark)) {
                    break;
                }
                continue;
            }
            if (output.empty() && !held.empty() && options_.split_held_reply) {
                resp.reason = vx::kReasonEnd;
                resp.data = {reinterpret_cast<const std::uint8_t *>(held.data()), held.size()};
                vx::encode_device_read_reply(w, call.xid, resp);
                std::uint8_t mark[rpc::kRecordMarkSize];
                rpc::put_record_mark(mark, static_cast<std::uint32_t>(w.size()), true);
                constexpr std::size_t kFirstPart = 10;
                if (!send_all(fd, mark, sizeof mark) || !send_all(fd, out.data(), kFirstPart) ||
                    !instrument_.wait_hold() ||
                    !send_all(fd, out.data() + kFirstPart, w.size() - kFirstPart)) {
                    break;
                }
                held.clear();
                continue;
            }
            if (output.empty() && !held.empty()) {
                if (instrument_.wait_hold_for(std::min<std::uint32_t>(args.io_timeout, 10000))) {
                    output.push_back(held);
                    held.clear();
                }
            } else if (output.empty()) {
                std::this_thread::sleep_for(
                    std::chrono::milliseconds(std::min<std::uint32_t>(args.io_timeout, 1000)));
            }
            std::string chunk;
            if (output.empty()) {
                resp.error = vx::kIoTimeout;
            } else {
                std::size_t n =
                    std::min<std::size_t>(args.request_size, output.front().size() - output_offset);
                if (options_.read_chunk != 0) {
                    n = std::min(n, options_.read_chunk);
                }
                chunk = output.front().substr(output_offset, n);
                output_offset += n;
                if (output_offset == output.front().size()) {
                    output.pop_front();
                    output_offset = 0;
                    resp.reason = vx::kReasonEnd;
                } else {
                    resp.reason = n == args.request_size ? vx::kReasonRequestCount : 0;
                }
                resp.data = {reinterpret_cast<const std::uint8_t *>(chunk.data()), chunk.size()};
            }
            vx::encode_device_read_reply(w, call.xid, resp);
        } else if (call.procedure == vx::kDeviceClear || call.procedure == vx::kDeviceTrigger ||
                   call.procedure == vx::kDeviceRemote || call.procedure == vx::kDeviceLocal) {
            vx::DeviceGenericParms args;
            if (!vx::decode_device_generic_args(in, args)) {
                break;
            }
            if (call.procedure == vx::kDeviceClear) {
                output.clear();
                output_offset = 0;
                incoming.clear();
                held.clear();
                std::lock_guard lock(mutex_);
                ++clears_;
            }
            vx::encode_device_error_reply(w, call.xid, {});
        } else if (call.procedure == vx::kDestroyLink) {
            std::int32_t which = 0;
            if (!vx::decode_destroy_link_args(in, which)) {
                break;
            }
            vx::DeviceError resp;
            if (linked && which == lid) {
                linked = false;
                std::lock_guard lock(mutex_);
                --links_;
            } else {
                resp.error = vx::kInvalidLinkIdentifier;
            }
            vx::encode_device_error_reply(w, call.xid, resp);
        } else {
            rpc::encode_accepted_reply_header(w, call.xid, rpc::AcceptStat::proc_unavail);
        }
        if (!w.ok() || !send_record(fd, out.data(), w.size()) || drop) {
            break;
        }
    }
    if (linked) {
        // The connection went away without destroy_link.
        std::lock_guard lock(mutex_);
        --links_;
    }
}

} // namespace gsmbench::test
