// Small POSIX socket helpers for the in-test servers (loopback only).
#pragma once

#include <cstdint>
#include <string>

namespace gsmbench::test {

// A listening TCP socket on 127.0.0.1 (or ::1); port 0 picks an ephemeral
// port, which is stored back into port.
int listen_loopback(std::uint16_t &port, bool ipv6 = false, int backlog = 16);
bool send_all(int fd, const void *data, std::size_t size);
// A port on which nothing listens (bound, then closed).
std::uint16_t unused_port();
void close_fd(int fd);

} // namespace gsmbench::test
