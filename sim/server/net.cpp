#include "server/net.h"

#include <cstring>
#include <mutex>
#include <system_error>

// Winsock comes with net.h; the build links ws2_32.
#ifndef _WIN32
#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <unistd.h>
#endif

namespace gsmbench::sim::net {

#ifdef _WIN32
using ssize_type = int;
constexpr int send_flags = 0;
#else
using ssize_type = ssize_t;
constexpr int send_flags = MSG_NOSIGNAL;          // a peer that went away must not raise SIGPIPE
#endif

void init() {
#ifdef _WIN32
    static std::once_flag once;
    std::call_once(once, [] {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    });
#endif
}

std::string last_error() {
#ifdef _WIN32
    return "winsock error " + std::to_string(WSAGetLastError());
#else
    return std::system_category().message(errno); // strerror is not thread-safe
#endif
}

namespace {
bool make_address(const std::string &address, std::uint16_t port, sockaddr_storage &out,
                  socklen_t &len) {
    std::memset(&out, 0, sizeof out);
    auto *v4 = reinterpret_cast<sockaddr_in *>(&out);
    if (inet_pton(AF_INET, address.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = htons(port);
        len = sizeof(sockaddr_in);
        return true;
    }
    auto *v6 = reinterpret_cast<sockaddr_in6 *>(&out);
    if (inet_pton(AF_INET6, address.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(port);
        len = sizeof(sockaddr_in6);
        return true;
    }
    return false;
}

socket_t open_bound(const std::string &address, std::uint16_t port, int type, std::string &error) {
    init();
    sockaddr_storage addr;
    socklen_t len = 0;
    if (!make_address(address, port, addr, len)) {
        error = "not a numeric IPv4/IPv6 address: " + address;
        return invalid_socket;
    }
    socket_t s = ::socket(addr.ss_family, type, 0);
    if (s == invalid_socket) {
        error = last_error();
        return s;
    }
    int one = 1;
    // Restarting the daemon must not wait for the previous run's TIME_WAIT connections.
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char *>(&one), sizeof one);
    if (::bind(s, reinterpret_cast<sockaddr *>(&addr), len) != 0) {
        error = "cannot bind " + address + ":" + std::to_string(port) + ": " + last_error();
        close_socket(s);
        return invalid_socket;
    }
    if (type == SOCK_STREAM && ::listen(s, 64) != 0) {
        error = "cannot listen on " + address + ":" + std::to_string(port) + ": " + last_error();
        close_socket(s);
        return invalid_socket;
    }
    return s;
}
} // namespace

socket_t listen_tcp(const std::string &address, std::uint16_t port, std::string &error) {
    return open_bound(address, port, SOCK_STREAM, error);
}

socket_t bind_udp(const std::string &address, std::uint16_t port, std::string &error) {
    return open_bound(address, port, SOCK_DGRAM, error);
}

std::uint16_t local_port(socket_t s) {
    sockaddr_storage addr;
    socklen_t len = sizeof addr;
    if (getsockname(s, reinterpret_cast<sockaddr *>(&addr), &len) != 0)
        return 0;
    if (addr.ss_family == AF_INET)
        return ntohs(reinterpret_cast<sockaddr_in *>(&addr)->sin_port);
    return ntohs(reinterpret_cast<sockaddr_in6 *>(&addr)->sin6_port);
}

bool wait_readable(socket_t s, std::chrono::milliseconds timeout) {
#ifdef _WIN32
    WSAPOLLFD p{s, POLLRDNORM, 0};
    return WSAPoll(&p, 1, int(timeout.count())) > 0;
#else
    pollfd p{s, POLLIN, 0};
    return ::poll(&p, 1, int(timeout.count())) > 0;
#endif
}

socket_t accept_client(socket_t listener, std::string &peer) {
    sockaddr_storage addr;
    socklen_t len = sizeof addr;
    socket_t s = ::accept(listener, reinterpret_cast<sockaddr *>(&addr), &len);
    if (s == invalid_socket)
        return s;
    char text[INET6_ADDRSTRLEN] = "?";
    std::uint16_t port = 0;
    if (addr.ss_family == AF_INET) {
        auto *a = reinterpret_cast<sockaddr_in *>(&addr);
        inet_ntop(AF_INET, &a->sin_addr, text, sizeof text);
        port = ntohs(a->sin_port);
    } else if (addr.ss_family == AF_INET6) {
        auto *a = reinterpret_cast<sockaddr_in6 *>(&addr);
        inet_ntop(AF_INET6, &a->sin6_addr, text, sizeof text);
        port = ntohs(a->sin6_port);
    }
    peer = std::string(text) + ":" + std::to_string(port);
    return s;
}

void configure_connection(socket_t s, std::chrono::milliseconds send_timeout) {
    int one = 1;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char *>(&one), sizeof one);
#ifdef _WIN32
    DWORD ms = DWORD(send_timeout.count());
    setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char *>(&ms), sizeof ms);
#else
    timeval tv{};
    tv.tv_sec = time_t(send_timeout.count() / 1000);
    tv.tv_usec = suseconds_t((send_timeout.count() % 1000) * 1000);
    setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
#endif
}

long receive(socket_t s, char *buffer, std::size_t size) {
    for (;;) {
        ssize_type n = ::recv(s, buffer, static_cast<int>(size), 0);
#ifndef _WIN32
        if (n < 0 && errno == EINTR)
            continue;
#endif
        return long(n);
    }
}

bool send_all(socket_t s, const char *data, std::size_t size) {
    std::size_t sent = 0;
    while (sent < size) {
        ssize_type n = ::send(s, data + sent, static_cast<int>(size - sent), send_flags);
        if (n < 0) {
#ifndef _WIN32
            if (errno == EINTR)
                continue;
#endif
            return false; // includes the send time-out (EAGAIN)
        }
        sent += std::size_t(n);
    }
    return true;
}

long receive_from(socket_t s, char *buffer, std::size_t size, sockaddr_storage &from,
                  socklen_t &from_len) {
    from_len = sizeof from;
    return long(::recvfrom(s, buffer, static_cast<int>(size), 0,
                           reinterpret_cast<sockaddr *>(&from), &from_len));
}

void send_to(socket_t s, const char *data, std::size_t size, const sockaddr_storage &to,
             socklen_t to_len) {
    ::sendto(s, data, static_cast<int>(size), send_flags, reinterpret_cast<const sockaddr *>(&to),
             to_len);
}

void shutdown_both(socket_t s) {
#ifdef _WIN32
    ::shutdown(s, SD_BOTH);
#else
    ::shutdown(s, SHUT_RDWR);
#endif
}

void close_socket(socket_t s) {
#ifdef _WIN32
    ::closesocket(s);
#else
    ::close(s);
#endif
}

} // namespace gsmbench::sim::net
