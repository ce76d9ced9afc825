// TCPIP::host::port::SOCKET: SCPI lines over a plain TCP stream.
#include "transport.h"

#include <new>

namespace gsmbench::visa {

namespace {

ViStatus to_status(IoResult r) noexcept {
    switch (r) {
    case IoResult::ok:
        return VI_SUCCESS;
    case IoResult::timeout:
        return VI_ERROR_TMO;
    case IoResult::closed:
        return VI_ERROR_CONN_LOST;
    case IoResult::error:
        break;
    }
    return VI_ERROR_IO;
}

class SocketTransport final : public Transport {
  public:
    explicit SocketTransport(socket_t s) noexcept : socket_(s) {}
    ~SocketTransport() override { close_socket(socket_); }

    ViStatus write(const std::uint8_t *data, std::size_t size, bool, const Deadline &deadline,
                   std::size_t &written) noexcept override {
        return to_status(send_all(socket_, data, size, deadline, written));
    }

    ViStatus read(std::uint8_t *buffer, std::size_t capacity, const ReadOptions &,
                  const Deadline &deadline, std::size_t &received, bool &end) noexcept override {
        end = false; // a byte stream has no END: messages end at the termination character
        return to_status(recv_some(socket_, buffer, capacity, deadline, received, recv_timeout_));
    }

    ViStatus clear(const Deadline &) noexcept override {
        // A raw socket has no device clear; dropping what already arrived is
        // all that can be done (the session drops its own buffer).
        return drain_pending(socket_) ? VI_SUCCESS : VI_ERROR_CONN_LOST;
    }

    void abort() noexcept override { shutdown_socket(socket_); }

    void close(const Deadline &) noexcept override {
        close_socket(socket_);
        socket_ = kInvalidSocket;
    }

    bool set_nodelay(bool on) noexcept override { return visa::set_nodelay(socket_, on); }
    bool set_keepalive(bool on) noexcept override { return visa::set_keepalive(socket_, on); }

  private:
    socket_t socket_;
    RecvTimeoutCache recv_timeout_;
};

} // namespace

ViStatus open_socket_transport(const ResourceName &name, const Deadline &deadline,
                               std::unique_ptr<Transport> &out) noexcept {
    socket_t s = kInvalidSocket;
    if (connect_tcp(name.host, name.port, deadline, s) != ConnectResult::ok) {
        return VI_ERROR_RSRC_NFOUND;
    }
    out.reset(new (std::nothrow) SocketTransport(s));
    if (!out) {
        close_socket(s);
        return VI_ERROR_ALLOC;
    }
    return VI_SUCCESS;
}

} // namespace gsmbench::visa
