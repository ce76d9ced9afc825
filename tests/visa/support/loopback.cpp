#include "loopback.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace gsmbench::test {

int listen_loopback(std::uint16_t &port, bool ipv6, int backlog) {
    const int fd = ::socket(ipv6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    int rc;
    if (ipv6) {
        sockaddr_in6 a{};
        a.sin6_family = AF_INET6;
        a.sin6_addr = in6addr_loopback;
        a.sin6_port = htons(port);
        rc = ::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
    } else {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(port);
        rc = ::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
    }
    if (rc != 0 || ::listen(fd, backlog) != 0) {
        ::close(fd);
        return -1;
    }
    sockaddr_storage bound{};
    socklen_t len = sizeof bound;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&bound), &len);
    port = ntohs(ipv6 ? reinterpret_cast<sockaddr_in6 *>(&bound)->sin6_port
                      : reinterpret_cast<sockaddr_in *>(&bound)->sin_port);
    return fd;
}

bool send_all(int fd, const void *data, std::size_t size) {
    const char *p = static_cast<const char *>(data);
    while (size > 0) {
        const ssize_t n = ::send(fd, p, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

std::uint16_t unused_port() {
    std::uint16_t port = 0;
    const int fd = listen_loopback(port);
    ::close(fd);
    return port;
}

void close_fd(int fd) {
    if (fd >= 0) {
        ::close(fd);
    }
}

} // namespace gsmbench::test
