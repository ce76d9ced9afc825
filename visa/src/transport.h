// One transport per resource class (raw socket, VXI-11). A transport moves
// bytes and message boundaries; termination characters, buffering and
// formatting belong to the session above it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include <visa.h>

#include "net.h"
#include "resource_name.h"

namespace gsmbench::visa {

struct ReadOptions {
    std::uint8_t term_char = '\n';
    bool term_char_enabled = false;
};

class Transport {
  public:
    virtual ~Transport() = default;

    // Sends size bytes; end marks the last piece of a message (the VXI-11 END
    // flag; a raw socket has no END). Returns VI_SUCCESS, VI_ERROR_TMO,
    // VI_ERROR_CONN_LOST or VI_ERROR_IO, with written bytes accepted so far.
    virtual ViStatus write(const std::uint8_t *data, std::size_t size, bool end,
                           const Deadline &deadline, std::size_t &written) noexcept = 0;
    // Receives one chunk (at most capacity bytes); end is set when the device
    // marked the chunk as the end of its message. A chunk may be empty only
    // when it carries END.
    virtual ViStatus read(std::uint8_t *buffer, std::size_t capacity, const ReadOptions &options,
                          const Deadline &deadline, std::size_t &received, bool &end) noexcept = 0;
    // Device clear: drop what the device (and the line) still holds for us.
    virtual ViStatus clear(const Deadline &deadline) noexcept = 0;
    // Unblocks a thread waiting in read or write, from another thread.
    virtual void abort() noexcept = 0;
    // Orderly goodbye (VXI-11 destroy_link) and release of the socket.
    virtual void close(const Deadline &deadline) noexcept = 0;

    // Raw socket options; false when the transport has no such option.
    virtual bool set_nodelay(bool) noexcept { return false; }
    virtual bool set_keepalive(bool) noexcept { return false; }
};

// Opening reports VI_SUCCESS, VI_ERROR_RSRC_NFOUND (refused, unreachable,
// unknown host or device) or VI_ERROR_ALLOC.
ViStatus open_socket_transport(const ResourceName &name, const Deadline &deadline,
                               std::unique_ptr<Transport> &out) noexcept;
ViStatus open_vxi11_transport(const ResourceName &name, std::uint16_t portmapper_port,
                              const Deadline &deadline, std::unique_ptr<Transport> &out) noexcept;

} // namespace gsmbench::visa
