// The few socket calls the simulator's servers need, over BSD sockets or Winsock.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <sys/socket.h>
#endif

namespace gsmbench::sim::net {

#ifdef _WIN32
using socket_t = SOCKET;
inline constexpr socket_t invalid_socket = INVALID_SOCKET;
#else
using socket_t = int;
inline constexpr socket_t invalid_socket = -1;
#endif

// Starts Winsock once per process (no-op elsewhere).
void init();

// A listening TCP socket on address:port (port 0: ephemeral). Returns invalid_socket and sets
// `error` on failure.
socket_t listen_tcp(const std::string &address, std::uint16_t port, std::string &error);
// A bound UDP socket, same conventions.
socket_t bind_udp(const std::string &address, std::uint16_t port, std::string &error);
std::uint16_t local_port(socket_t s);

// Waits up to `timeout` for the socket to become readable; true when it is.
bool wait_readable(socket_t s, std::chrono::milliseconds timeout);
socket_t accept_client(socket_t listener, std::string &peer);

// Per-connection options: TCP_NODELAY (replies are small and latency-bound) and a send
// time-out so a client that stops reading cannot hold its thread forever.
void configure_connection(socket_t s, std::chrono::milliseconds send_timeout);

// recv: bytes read, 0 at end of stream, <0 on error.
long receive(socket_t s, char *buffer, std::size_t size);
// Sends everything; false on error or time-out.
bool send_all(socket_t s, const char *data, std::size_t size);
long receive_from(socket_t s, char *buffer, std::size_t size, sockaddr_storage &from,
                  socklen_t &from_len);
void send_to(socket_t s, const char *data, std::size_t size, const sockaddr_storage &to,
             socklen_t to_len);

// Wakes a thread blocked on the socket (shutdown), then close.
void shutdown_both(socket_t s);
void close_socket(socket_t s);

std::string last_error();

} // namespace gsmbench::sim::net
