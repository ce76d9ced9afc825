// The objects behind VISA handles and the handle table that guards them.
//
// A handle is an index into a fixed table plus a generation tag, so a closed
// handle (or any made-up number) never finds an object, and a slot reused for
// a new session answers only to the new handle. Objects are reference-counted:
// a call that found its object keeps it alive even if another thread closes
// the handle meanwhile; it then sees the object marked closed under the
// object's own lock and returns VI_ERROR_INV_OBJECT.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <visa.h>

#include "net.h"
#include "resource_name.h"
#include "transport.h"

namespace gsmbench::visa {

constexpr ViUInt32 kDefaultTimeoutMs = 2000;
// Bound on connecting (and, for VXI-11, the portmapper look-up and
// create_link) when viOpen's open time-out is 0.
constexpr ViUInt32 kDefaultOpenTimeoutMs = 3000;
constexpr ViUInt32 kMaxOpenTimeoutMs = 60000;
constexpr std::size_t kReceiveBufferSize = std::size_t{64} * 1024;
constexpr std::size_t kSendBufferSize = std::size_t{64} * 1024;

struct Object {
    enum class Kind { resource_manager, session };
    explicit Object(Kind k) : kind(k) {}
    virtual ~Object() = default;

    const Kind kind;
    std::mutex mutex; // held for the whole of every operation on the object
    bool closed = false;
};

struct ResourceManager final : Object {
    explicit ResourceManager(std::uint16_t pm_port)
        : Object(Kind::resource_manager), portmapper_port(pm_port) {}
    const std::uint16_t portmapper_port;
    ViUInt32 timeout_ms = kDefaultTimeoutMs;
    std::vector<ViSession> sessions; // opened through this manager and still open
};

struct Session final : Object {
    Session(ViSession rm_handle, ResourceName rn, std::unique_ptr<Transport> t);

    const ViSession rm;
    const ResourceName name;
    const std::string rsrc_name;
    std::unique_ptr<Transport> transport;

    // Attributes.
    ViUInt32 timeout_ms = kDefaultTimeoutMs;
    std::uint8_t term_char = '\n';
    bool term_char_enabled;
    bool send_end = true;
    bool suppress_end = false;
    bool nodelay = true;
    bool keepalive = false;

    Deadline deadline() const noexcept { return Deadline::after_ms(timeout_ms); }

    // Receiving. peek() returns the next byte of the current message,
    // kEndOfMessage once its terminator (or END) has been consumed, or
    // kFailed with status set.
    static constexpr int kEndOfMessage = -1;
    static constexpr int kFailed = -2;
    void begin_message() noexcept { message_done_ = false; }
    int peek(const Deadline &deadline, ViStatus &status) noexcept;
    void advance() noexcept;
    // Reads and drops the rest of the current message.
    ViStatus discard_message(const Deadline &deadline) noexcept;
    // viRead: up to count bytes, ending at END, the termination character
    // (when enabled) or the count.
    ViStatus read(std::uint8_t *out, std::size_t count, const Deadline &deadline,
                  std::size_t &got) noexcept;

    // Sending: buffered for formatted output, flushed whole.
    ViStatus write(const std::uint8_t *data, std::size_t size, bool end, const Deadline &deadline,
                   std::size_t &written) noexcept;
    ViStatus buffer_output(const char *data, std::size_t size, const Deadline &deadline) noexcept;
    ViStatus flush_output(const Deadline &deadline) noexcept;

    void drop_buffers() noexcept;

  private:
    ViStatus fill(const Deadline &deadline) noexcept;

    std::vector<std::uint8_t> rx_;
    std::size_t rx_head_ = 0;
    std::size_t rx_tail_ = 0;
    bool end_pending_ = false; // END came with the byte just before rx_tail_
    bool message_done_ = false;
    std::vector<std::uint8_t> tx_;
    std::size_t tx_used_ = 0;
    bool tx_flushed_part_ = false; // part of this message already went out without END
};

class HandleTable {
  public:
    static HandleTable &instance();

    // 0 when the table is full.
    ViObject add(std::shared_ptr<Object> object);
    std::shared_ptr<Object> find(ViObject handle);
    // Removes and returns the object; null when the handle is not live.
    std::shared_ptr<Object> remove(ViObject handle);

  private:
    static constexpr unsigned kIndexBits = 12;
    static constexpr std::size_t kSlots = std::size_t{1} << kIndexBits;
    static constexpr std::uint32_t kMaxGeneration = (1u << (32 - kIndexBits)) - 1;

    struct Slot {
        std::shared_ptr<Object> object;
        std::uint32_t generation = 1; // never 0, so no live handle is VI_NULL
    };
    Slot *slot_of(ViObject handle);

    std::mutex mutex_;
    std::vector<Slot> slots_ = std::vector<Slot>(kSlots);
    std::vector<std::uint32_t> free_;
    std::size_t next_unused_ = 0;
};

} // namespace gsmbench::visa
