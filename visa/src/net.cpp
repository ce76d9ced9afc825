#include "net.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

#if !defined(_WIN32)
#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>
#endif

namespace gsmbench::visa {

namespace {

#if defined(_WIN32)
int last_error() noexcept {
    return WSAGetLastError();
}
bool would_block(int e) noexcept {
    return e == WSAEWOULDBLOCK || e == WSAEINPROGRESS;
}
bool interrupted(int e) noexcept {
    return e == WSAEINTR;
}
bool peer_gone(int e) noexcept {
    return e == WSAECONNRESET || e == WSAECONNABORTED || e == WSAESHUTDOWN || e == WSAENOTCONN;
}
int poll_one(socket_t s, short events, int timeout_ms, short &revents) noexcept {
    WSAPOLLFD p{};
    p.fd = s;
    p.events = events;
    const int r = WSAPoll(&p, 1, timeout_ms);
    revents = p.revents;
    return r;
}
bool set_nonblocking(socket_t s) noexcept {
    u_long on = 1;
    return ioctlsocket(s, FIONBIO, &on) == 0;
}
constexpr int kSendFlags = 0;
using io_len_t = int;
#else
int last_error() noexcept {
    return errno;
}
bool would_block(int e) noexcept {
    return e == EAGAIN || e == EWOULDBLOCK || e == EINPROGRESS;
}
bool interrupted(int e) noexcept {
    return e == EINTR;
}
bool peer_gone(int e) noexcept {
    return e == ECONNRESET || e == EPIPE || e == ECONNABORTED || e == ENOTCONN || e == ESHUTDOWN;
}
int poll_one(socket_t s, short events, int timeout_ms, short &revents) noexcept {
    pollfd p{};
    p.fd = s;
    p.events = events;
    const int r = ::poll(&p, 1, timeout_ms);
    revents = p.revents;
    return r;
}
bool set_nonblocking(socket_t s) noexcept {
    const int flags = ::fcntl(s, F_GETFL, 0);
    return flags >= 0 && ::fcntl(s, F_SETFL, flags | O_NONBLOCK) == 0;
}
#if defined(MSG_NOSIGNAL)
// A peer that vanished must surface as a status, not as SIGPIPE killing the
// caller's process. The socket itself blocks (for receiving); each send asks
// not to, and waits in poll against the deadline instead.
constexpr int kSendFlags = MSG_NOSIGNAL | MSG_DONTWAIT;
#else
constexpr int kSendFlags = MSG_DONTWAIT;
#endif
bool set_blocking(socket_t s) noexcept {
    const int flags = ::fcntl(s, F_GETFL, 0);
    return flags >= 0 && ::fcntl(s, F_SETFL, flags & ~O_NONBLOCK) == 0;
}
using io_len_t = std::size_t;
#endif

// Waits for events until the deadline; retries interrupted waits.
IoResult wait_for(socket_t s, short events, const Deadline &deadline, short &revents) noexcept {
    for (;;) {
        const int r = poll_one(s, events, deadline.poll_ms(), revents);
        if (r > 0) {
            return IoResult::ok;
        }
        if (r == 0) {
            if (deadline.expired()) {
                return IoResult::timeout;
            }
            continue; // rounding left a sliver of time
        }
        if (!interrupted(last_error())) {
            return IoResult::error;
        }
    }
}

} // namespace

Deadline Deadline::after_ms(std::uint32_t ms) noexcept {
    Deadline d;
    if (ms != 0xFFFFFFFFu) {
        d.infinite_ = false;
        d.at_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    }
    return d;
}

bool Deadline::expired() const noexcept {
    return !infinite_ && std::chrono::steady_clock::now() >= at_;
}

int Deadline::poll_ms() const noexcept {
    if (infinite_) {
        return -1;
    }
    const auto left = at_ - std::chrono::steady_clock::now();
    if (left <= std::chrono::steady_clock::duration::zero()) {
        return 0;
    }
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    return static_cast<int>(std::min<long long>(ms, INT_MAX));
}

std::uint32_t Deadline::remaining_ms() const noexcept {
    if (infinite_) {
        return 0xFFFFFFFFu;
    }
    return static_cast<std::uint32_t>(std::min(poll_ms(), INT_MAX));
}

Deadline Deadline::earlier_of(Deadline other) const noexcept {
    if (infinite_) {
        return other;
    }
    if (other.infinite_) {
        return *this;
    }
    return other.at_ < at_ ? other : *this;
}

bool net_init() noexcept {
#if defined(_WIN32)
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
#else
    return true;
#endif
}

ConnectResult connect_tcp(const std::string &host, std::uint16_t port, const Deadline &deadline,
                          socket_t &out) noexcept {
    out = kInvalidSocket;
    if (!net_init()) {
        return ConnectResult::not_found;
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    hints.ai_flags = AI_NUMERICSERV;
    char service[8];
    (void)std::snprintf(service, sizeof service, "%u", static_cast<unsigned>(port));
    addrinfo *list = nullptr;
    // Name resolution is the one wait the deadline cannot bound: the system
    // resolver has no time-out argument. Literal addresses never wait here.
    if (::getaddrinfo(host.c_str(), service, &hints, &list) != 0 || list == nullptr) {
        return ConnectResult::not_found;
    }
    ConnectResult result = ConnectResult::not_found;
    for (const addrinfo *a = list; a != nullptr && !deadline.expired(); a = a->ai_next) {
        socket_t s = ::socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (s == kInvalidSocket) {
            continue;
        }
#if !defined(_WIN32)
        (void)::fcntl(s, F_SETFD, FD_CLOEXEC);
#endif
        bool connected = false;
        if (set_nonblocking(s)) {
            if (::connect(s, a->ai_addr, static_cast<int>(a->ai_addrlen)) == 0) {
                connected = true;
            } else if (would_block(last_error())) {
                short revents = 0;
                if (wait_for(s, POLLOUT, deadline, revents) == IoResult::ok) {
                    int err = 0;
                    socklen_t len = sizeof err;
                    connected = ::getsockopt(s, SOL_SOCKET, SO_ERROR,
                                             reinterpret_cast<char *>(&err), &len) == 0 &&
                                err == 0;
                }
            }
        }
#if !defined(_WIN32)
        connected = connected && set_blocking(s);
#endif
        if (connected) {
            (void)set_nodelay(s, true);
#if defined(SO_NOSIGPIPE)
            int on = 1;
            (void)::setsockopt(s, SOL_SOCKET, SO_NOSIGPIPE, &on, sizeof on);
#endif
            out = s;
            result = ConnectResult::ok;
            break;
        }
        close_socket(s);
    }
    ::freeaddrinfo(list);
    return result;
}

IoResult send_all(socket_t s, const std::uint8_t *data, std::size_t size, const Deadline &deadline,
                  std::size_t &written) noexcept {
    written = 0;
    while (written < size) {
        const std::size_t chunk = std::min<std::size_t>(size - written, INT_MAX);
        const auto n = ::send(s, reinterpret_cast<const char *>(data + written),
                              static_cast<io_len_t>(chunk), kSendFlags);
        if (n > 0) {
            written += static_cast<std::size_t>(n);
            continue;
        }
        const int e = last_error();
        if (n < 0 && (would_block(e) || interrupted(e))) {
            short revents = 0;
            const IoResult w = wait_for(s, POLLOUT, deadline, revents);
            if (w != IoResult::ok) {
                return w;
            }
            if ((revents & (POLLERR | POLLHUP)) != 0 && (revents & POLLOUT) == 0) {
                return IoResult::closed;
            }
            continue;
        }
        return peer_gone(e) ? IoResult::closed : IoResult::error;
    }
    return IoResult::ok;
}

#if defined(_WIN32)
// Windows: the socket stays non-blocking and each receive waits in WSAPoll
// (a receive time-out there leaves the socket in an undefined state).
IoResult recv_some(socket_t s, std::uint8_t *buffer, std::size_t capacity, const Deadline &deadline,
                   std::size_t &received, RecvTimeoutCache &) noexcept {
    received = 0;
    for (;;) {
        short revents = 0;
        const IoResult w = wait_for(s, POLLIN, deadline, revents);
        if (w != IoResult::ok) {
            return w;
        }
        const auto n = ::recv(s, reinterpret_cast<char *>(buffer),
                              static_cast<io_len_t>(std::min<std::size_t>(capacity, INT_MAX)), 0);
        if (n > 0) {
            received = static_cast<std::size_t>(n);
            return IoResult::ok;
        }
        if (n == 0) {
            return IoResult::closed;
        }
        const int e = last_error();
        if (!would_block(e) && !interrupted(e)) {
            return peer_gone(e) ? IoResult::closed : IoResult::error;
        }
    }
}
#else
// POSIX: the socket blocks in recv with SO_RCVTIMEO set to what is left of the
// deadline. One system call per reply instead of a poll and a recv: on a
// loopback or LAN round trip of some ten microseconds that is measurable.
IoResult recv_some(socket_t s, std::uint8_t *buffer, std::size_t capacity, const Deadline &deadline,
                   std::size_t &received, RecvTimeoutCache &cache) noexcept {
    received = 0;
    for (;;) {
        const int ms = deadline.infinite() ? 0 : deadline.poll_ms(); // 0: no time-out
        if (!deadline.infinite() && ms == 0) {
            // Nothing left: only what has already arrived.
            const auto n = ::recv(s, buffer, capacity, MSG_DONTWAIT);
            if (n > 0) {
                received = static_cast<std::size_t>(n);
                return IoResult::ok;
            }
            if (n == 0) {
                return IoResult::closed;
            }
            const int e = last_error();
            if (interrupted(e)) {
                continue;
            }
            return would_block(e) ? IoResult::timeout
                                  : (peer_gone(e) ? IoResult::closed : IoResult::error);
        }
        if (cache.ms != ms) {
            timeval tv{};
            tv.tv_sec = ms / 1000;
            tv.tv_usec = static_cast<suseconds_t>(ms % 1000) * 1000;
            if (::setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv) != 0) {
                return IoResult::error;
            }
            cache.ms = ms;
        }
        const auto n = ::recv(s, buffer, capacity, 0);
        if (n > 0) {
            received = static_cast<std::size_t>(n);
            return IoResult::ok;
        }
        if (n == 0) {
            return IoResult::closed;
        }
        const int e = last_error();
        if (!would_block(e) && !interrupted(e)) {
            return peer_gone(e) ? IoResult::closed : IoResult::error;
        }
        if (would_block(e) && deadline.expired()) {
            return IoResult::timeout;
        }
    }
}
#endif

bool drain_pending(socket_t s) noexcept {
    std::uint8_t scratch[4096];
    for (;;) {
#if defined(_WIN32)
        const auto n = ::recv(s, reinterpret_cast<char *>(scratch), sizeof scratch, 0);
#else
        const auto n = ::recv(s, scratch, sizeof scratch, MSG_DONTWAIT);
#endif
        if (n > 0) {
            continue;
        }
        if (n == 0) {
            return false;
        }
        const int e = last_error();
        if (interrupted(e)) {
            continue;
        }
        return would_block(e);
    }
}

bool set_nodelay(socket_t s, bool on) noexcept {
    int value = on ? 1 : 0;
    return ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char *>(&value),
                        sizeof value) == 0;
}

bool set_keepalive(socket_t s, bool on) noexcept {
    int value = on ? 1 : 0;
    return ::setsockopt(s, SOL_SOCKET, SO_KEEPALIVE, reinterpret_cast<const char *>(&value),
                        sizeof value) == 0;
}

void shutdown_socket(socket_t s) noexcept {
    if (s != kInvalidSocket) {
#if defined(_WIN32)
        (void)::shutdown(s, SD_BOTH);
#else
        (void)::shutdown(s, SHUT_RDWR);
#endif
    }
}

void close_socket(socket_t s) noexcept {
    if (s != kInvalidSocket) {
#if defined(_WIN32)
        (void)::closesocket(s);
#else
        (void)::close(s);
#endif
    }
}

} // namespace gsmbench::visa
