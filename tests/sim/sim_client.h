// Minimal loopback clients for the transport tests: a raw SCPI socket and a VXI-11 link built
// on the shared RPC codec. Every call is bounded by a time-out.
#pragma once

#include "gsmbench/rpc/onc_rpc.h"
#include "gsmbench/rpc/portmap.h"
#include "gsmbench/rpc/record.h"
#include "gsmbench/rpc/vxi11.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace simtest {

inline int connect_tcp(std::uint16_t port) {
    int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(s, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0) {
        ::close(s);
        return -1;
    }
    int one = 1;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return s;
}

inline bool readable(int s, std::chrono::milliseconds timeout) {
    pollfd p{s, POLLIN, 0};
    return ::poll(&p, 1, int(timeout.count())) > 0;
}

class ScpiClient {
  public:
    explicit ScpiClient(std::uint16_t port) : fd_(connect_tcp(port)) {}
    ~ScpiClient() { close(); }
    ScpiClient(const ScpiClient &) = delete;
    ScpiClient &operator=(const ScpiClient &) = delete;
    bool ok() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    void close() {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }
    bool send(std::string_view data) {
        std::size_t sent = 0;
        while (sent < data.size()) {
            ssize_t n = ::send(fd_, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            sent += std::size_t(n);
        }
        return true;
    }
    // One line without its '\n'; nullopt on time-out or closed connection.
    std::optional<std::string> line(std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            auto lf = buffer_.find('\n');
            if (lf != std::string::npos) {
                std::string out = buffer_.substr(0, lf);
                buffer_.erase(0, lf + 1);
                return out;
            }
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0 || !readable(fd_, left))
                return std::nullopt;
            char buf[65536];
            ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
            if (n <= 0)
                return std::nullopt;
            buffer_.append(buf, std::size_t(n));
        }
    }
    std::optional<std::string> query(std::string_view q) {
        if (!send(std::string(q) + "\n"))
            return std::nullopt;
        return line();
    }
    // True when the server closed the connection (within the time-out).
    bool closed_by_peer(std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        auto deadline = std::chrono::steady_clock::now() + timeout;
        char buf[65536];
        while (std::chrono::steady_clock::now() < deadline) {
            if (!readable(fd_, std::chrono::milliseconds(100)))
                continue;
            ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
            if (n <= 0)
                return true;
        }
        return false;
    }

    // Like closed_by_peer() but without reading (a client that never takes its replies):
    // waits for the peer's shutdown or reset.
    bool hung_up(std::chrono::milliseconds timeout) {
        pollfd p{fd_, POLLRDHUP, 0};
        return ::poll(&p, 1, int(timeout.count())) > 0 &&
               (p.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
    }

  private:
    int fd_;
    std::string buffer_;
};

// VXI-11 core-channel client over one TCP connection.
class Vxi11Client {
  public:
    explicit Vxi11Client(std::uint16_t port) : fd_(connect_tcp(port)) {}
    ~Vxi11Client() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool ok() const { return fd_ >= 0; }

    // Sends a call message and returns the reply body (empty on failure).
    std::vector<std::uint8_t> call(const gsmbench::rpc::XdrWriter &msg) {
        std::vector<std::uint8_t> out(4 + msg.size());
        gsmbench::rpc::put_record_mark(out.data(), std::uint32_t(msg.size()), true);
        std::copy(msg.bytes().begin(), msg.bytes().end(), out.begin() + 4);
        if (::send(fd_, out.data(), out.size(), MSG_NOSIGNAL) != ssize_t(out.size()))
            return {};
        gsmbench::rpc::RecordAssembler rec(4u << 20);
        std::uint8_t buf[65536];
        while (rec.state() == gsmbench::rpc::RecordAssembler::State::need_more) {
            if (!readable(fd_, std::chrono::seconds(20)))
                return {};
            ssize_t n = ::recv(fd_, buf, std::min(sizeof buf, rec.wanted()), 0);
            if (n <= 0)
                return {};
            rec.feed({buf, std::size_t(n)});
        }
        if (rec.state() != gsmbench::rpc::RecordAssembler::State::complete)
            return {};
        return {rec.record().begin(), rec.record().end()};
    }

    template <class Encode, class Decode> bool exchange(Encode encode, Decode decode) {
        std::vector<std::uint8_t> buf(2u << 20);
        gsmbench::rpc::XdrWriter w(buf.data(), buf.size());
        encode(w, ++xid_);
        reply_ = call(w);
        gsmbench::rpc::XdrReader r(reply_.data(), reply_.size());
        gsmbench::rpc::ReplyHeader h;
        if (!gsmbench::rpc::decode_reply_header(r, h) || !h.succeeded() || h.xid != xid_)
            return false;
        return decode(r);
    }

    std::int32_t create_link(std::string_view device, std::int32_t &lid) {
        namespace vx = gsmbench::rpc::vxi11;
        vx::CreateLinkResp resp;
        vx::CreateLinkParms p;
        p.device = device;
        if (!exchange([&](auto &w, auto x) { vx::encode_create_link_call(w, x, p); },
                      [&](auto &r) { return vx::decode_create_link_result(r, resp); }))
            return -1;
        lid = resp.lid;
        return resp.error;
    }
    std::int32_t write(std::int32_t lid, std::string_view data, bool end = true) {
        namespace vx = gsmbench::rpc::vxi11;
        vx::DeviceWriteParms p;
        p.lid = lid;
        p.io_timeout = 5000;
        p.flags = end ? vx::kFlagEnd : 0;
        p.data = {reinterpret_cast<const std::uint8_t *>(data.data()), data.size()};
        vx::DeviceWriteResp resp;
        if (!exchange([&](auto &w, auto x) { vx::encode_device_write_call(w, x, p); },
                      [&](auto &r) { return vx::decode_device_write_result(r, resp); }))
            return -1;
        return resp.error;
    }
    // One device_read; `reason` receives the reason bits.
    std::int32_t read(std::int32_t lid, std::string &data, std::int32_t &reason,
                      std::uint32_t request = 65536, std::uint32_t io_timeout = 2000) {
        namespace vx = gsmbench::rpc::vxi11;
        vx::DeviceReadParms p;
        p.lid = lid;
        p.request_size = request;
        p.io_timeout = io_timeout;
        vx::DeviceReadResp resp;
        if (!exchange([&](auto &w, auto x) { vx::encode_device_read_call(w, x, p); },
                      [&](auto &r) { return vx::decode_device_read_result(r, resp); }))
            return -1;
        data.assign(reinterpret_cast<const char *>(resp.data.data()), resp.data.size());
        reason = resp.reason;
        return resp.error;
    }
    std::optional<std::string> query(std::int32_t lid, std::string_view q) {
        if (write(lid, std::string(q) + "\n") != 0)
            return std::nullopt;
        std::string all, part;
        std::int32_t reason = 0;
        do {
            if (read(lid, part, reason) != 0)
                return std::nullopt;
            all += part;
        } while (!(reason & gsmbench::rpc::vxi11::kReasonEnd));
        return all;
    }
    std::int32_t clear(std::int32_t lid) {
        namespace vx = gsmbench::rpc::vxi11;
        vx::DeviceGenericParms p;
        p.lid = lid;
        vx::DeviceError e;
        if (!exchange(
                [&](auto &w, auto x) { vx::encode_device_generic_call(w, x, vx::kDeviceClear, p); },
                [&](auto &r) { return vx::decode_device_error_result(r, e); }))
            return -1;
        return e.error;
    }
    std::int32_t destroy(std::int32_t lid) {
        namespace vx = gsmbench::rpc::vxi11;
        vx::DeviceError e;
        if (!exchange([&](auto &w, auto x) { vx::encode_destroy_link_call(w, x, lid); },
                      [&](auto &r) { return vx::decode_device_error_result(r, e); }))
            return -1;
        return e.error;
    }

  private:
    int fd_;
    std::uint32_t xid_ = 0;
    std::vector<std::uint8_t> reply_;
};

} // namespace simtest
