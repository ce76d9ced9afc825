// Portable TCP helpers for the transports: non-blocking sockets driven by
// poll() against one deadline, so that every wait of an operation is bounded by
// what is left of that operation's time-out.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#if defined(_WIN32)
// windows.h (pulled in by winsock2.h) would otherwise define min and max
// macros that break std::min / std::max in every file including this one.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <winsock2.h>
#include <ws2tcpip.h>
#endif

namespace gsmbench::visa {

#if defined(_WIN32)
using socket_t = SOCKET;
constexpr socket_t kInvalidSocket = INVALID_SOCKET;
#else
using socket_t = int;
constexpr socket_t kInvalidSocket = -1;
#endif

// The end of one operation. VI_TMO_INFINITE (all ones) never expires.
class Deadline {
  public:
    static Deadline after_ms(std::uint32_t ms) noexcept;
    static Deadline never() noexcept { return Deadline{}; }

    bool infinite() const noexcept { return infinite_; }
    bool expired() const noexcept;
    // For poll(): -1 when infinite, else the remaining milliseconds rounded up
    // (so a wait never degenerates into a busy loop of zero-length polls).
    int poll_ms() const noexcept;
    // Remaining time for a peer that takes milliseconds (VXI-11 io_timeout).
    std::uint32_t remaining_ms() const noexcept;
    Deadline earlier_of(Deadline other) const noexcept;

  private:
    bool infinite_ = true;
    std::chrono::steady_clock::time_point at_{};
};

enum class IoResult { ok, timeout, closed, error };

// Starts the socket library once (Winsock); a no-op elsewhere.
bool net_init() noexcept;

enum class ConnectResult { ok, not_found };
// Resolves host (a name, an IPv4 or a bare IPv6 literal) and connects to the
// first address that answers before the deadline. The socket comes back with
// TCP_NODELAY set; every send and receive bounds its own wait.
ConnectResult connect_tcp(const std::string &host, std::uint16_t port, const Deadline &deadline,
                          socket_t &out) noexcept;

// Sends all bytes, continuing from a running offset; written tells how many
// went out when the result is not ok.
IoResult send_all(socket_t s, const std::uint8_t *data, std::size_t size, const Deadline &deadline,
                  std::size_t &written) noexcept;
// The receive time-out last set on a socket, so that it is set again only
// when it changes (the common reply needs one recv call and nothing else).
struct RecvTimeoutCache {
    int ms = -1;
};
// Waits for and receives at least one byte (at most capacity).
IoResult recv_some(socket_t s, std::uint8_t *buffer, std::size_t capacity, const Deadline &deadline,
                   std::size_t &received, RecvTimeoutCache &cache) noexcept;
// Receives whatever is already queued without waiting; false when the peer
// closed or failed.
bool drain_pending(socket_t s) noexcept;

bool set_nodelay(socket_t s, bool on) noexcept;
bool set_keepalive(socket_t s, bool on) noexcept;
// Wakes any thread blocked on the socket (used by a concurrent close).
void shutdown_socket(socket_t s) noexcept;
void close_socket(socket_t s) noexcept;

} // namespace gsmbench::visa
