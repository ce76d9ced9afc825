#include "session.h"

#include <algorithm>
#include <cstring>

namespace gsmbench::visa {

Session::Session(ViSession rm_handle, ResourceName rn, std::unique_ptr<Transport> t)
    : Object(Kind::session), rm(rm_handle), name(std::move(rn)), rsrc_name(name.canonical()),
      transport(std::move(t)),
      // A byte stream has no END, so its messages end at the line feed; a
      // VXI-11 device marks the end of each message itself.
      term_char_enabled(name.kind == ResourceClass::socket), rx_(kReceiveBufferSize),
      tx_(kSendBufferSize) {}

ViStatus Session::fill(const Deadline &deadline) noexcept {
    rx_head_ = rx_tail_ = 0;
    end_pending_ = false;
    std::size_t got = 0;
    bool end = false;
    const ViStatus st =
        transport->read(rx_.data(), rx_.size(), {term_char, term_char_enabled}, deadline, got, end);
    rx_tail_ = std::min(got, rx_.size());
    end_pending_ = end && !suppress_end;
    if (st == VI_SUCCESS && got == 0 && !end && deadline.expired()) {
        return VI_ERROR_TMO; // a device that keeps answering with nothing
    }
    return st;
}

int Session::peek(const Deadline &deadline, ViStatus &status) noexcept {
    if (message_done_) {
        return kEndOfMessage;
    }
    while (rx_head_ == rx_tail_) {
        if (end_pending_) {
            end_pending_ = false;
            message_done_ = true;
            return kEndOfMessage;
        }
        status = fill(deadline);
        if (status != VI_SUCCESS && rx_head_ == rx_tail_) {
            return kFailed;
        }
    }
    return rx_[rx_head_];
}

void Session::advance() noexcept {
    const std::uint8_t byte = rx_[rx_head_++];
    if (term_char_enabled && byte == term_char) {
        message_done_ = true;
    }
    // END on the same byte as the terminator ends the same message, not the next.
    if (rx_head_ == rx_tail_ && end_pending_) {
        end_pending_ = false;
        message_done_ = true;
    }
}

ViStatus Session::discard_message(const Deadline &deadline) noexcept {
    ViStatus st = VI_SUCCESS;
    for (;;) {
        const int c = peek(deadline, st);
        if (c == kEndOfMessage) {
            return VI_SUCCESS;
        }
        if (c == kFailed) {
            return st;
        }
        // Skip to the terminator in one step rather than byte by byte.
        const std::size_t limit = rx_tail_ - rx_head_;
        const void *term =
            term_char_enabled ? std::memchr(rx_.data() + rx_head_, term_char, limit) : nullptr;
        const std::size_t skip =
            term != nullptr ? static_cast<const std::uint8_t *>(term) - (rx_.data() + rx_head_)
                            : limit - 1;
        rx_head_ += skip;
        advance();
    }
}

ViStatus Session::read(std::uint8_t *out, std::size_t count, const Deadline &deadline,
                       std::size_t &got) noexcept {
    got = 0;
    message_done_ = false;
    while (got < count) {
        if (rx_head_ == rx_tail_) {
            if (end_pending_) {
                end_pending_ = false;
                return VI_SUCCESS;
            }
            const ViStatus st = fill(deadline);
            if (st != VI_SUCCESS && rx_head_ == rx_tail_) {
                return st;
            }
            continue;
        }
        std::size_t n = std::min(count - got, rx_tail_ - rx_head_);
        bool term_hit = false;
        if (term_char_enabled) {
            if (const void *t = std::memchr(rx_.data() + rx_head_, term_char, n)) {
                n = static_cast<std::size_t>(static_cast<const std::uint8_t *>(t) -
                                             (rx_.data() + rx_head_)) +
                    1;
                term_hit = true;
            }
        }
        std::memcpy(out + got, rx_.data() + rx_head_, n);
        got += n;
        rx_head_ += n;
        if (rx_head_ == rx_tail_ && end_pending_) {
            end_pending_ = false;
            return VI_SUCCESS;
        }
        if (term_hit) {
            return VI_SUCCESS_TERM_CHAR;
        }
    }
    return VI_SUCCESS_MAX_CNT;
}

ViStatus Session::write(const std::uint8_t *data, std::size_t size, bool end,
                        const Deadline &deadline, std::size_t &written) noexcept {
    return transport->write(data, size, end && send_end, deadline, written);
}

ViStatus Session::buffer_output(const char *data, std::size_t size,
                                const Deadline &deadline) noexcept {
    while (size > 0) {
        const std::size_t n = std::min(size, tx_.size() - tx_used_);
        std::memcpy(tx_.data() + tx_used_, data, n);
        tx_used_ += n;
        data += n;
        size -= n;
        if (tx_used_ == tx_.size()) {
            // Full: this part goes out now, without END; the message goes on.
            std::size_t written = 0;
            const ViStatus st = write(tx_.data(), tx_used_, false, deadline, written);
            tx_used_ = 0;
            if (st != VI_SUCCESS) {
                return st;
            }
            tx_flushed_part_ = true;
        }
    }
    return VI_SUCCESS;
}

ViStatus Session::flush_output(const Deadline &deadline) noexcept {
    ViStatus st = VI_SUCCESS;
    // An empty message is not sent, unless earlier parts need their END.
    if (tx_used_ > 0 || tx_flushed_part_) {
        std::size_t written = 0;
        st = write(tx_.data(), tx_used_, true, deadline, written);
    }
    tx_used_ = 0;
    tx_flushed_part_ = false;
    return st;
}

void Session::drop_buffers() noexcept {
    rx_head_ = rx_tail_ = 0;
    end_pending_ = false;
    message_done_ = false;
    tx_used_ = 0;
    tx_flushed_part_ = false;
}

HandleTable &HandleTable::instance() {
    static HandleTable table;
    return table;
}

HandleTable::Slot *HandleTable::slot_of(ViObject handle) {
    // Index must be strictly below the table size; the tag must match.
    const std::size_t index = handle & (kSlots - 1);
    const std::uint32_t generation = static_cast<std::uint32_t>(handle) >> kIndexBits;
    if (index >= slots_.size() || generation == 0) {
        return nullptr;
    }
    Slot &slot = slots_[index];
    if (!slot.object || slot.generation != generation) {
        return nullptr;
    }
    return &slot;
}

ViObject HandleTable::add(std::shared_ptr<Object> object) {
    std::lock_guard lock(mutex_);
    std::size_t index;
    if (!free_.empty()) {
        index = free_.back();
        free_.pop_back();
    } else if (next_unused_ < kSlots) {
        index = next_unused_++;
    } else {
        return VI_NULL;
    }
    Slot &slot = slots_[index];
    slot.object = std::move(object);
    return static_cast<ViObject>((slot.generation << kIndexBits) | index);
}

std::shared_ptr<Object> HandleTable::find(ViObject handle) {
    std::lock_guard lock(mutex_);
    Slot *slot = slot_of(handle);
    return slot != nullptr ? slot->object : nullptr;
}

std::shared_ptr<Object> HandleTable::remove(ViObject handle) {
    std::lock_guard lock(mutex_);
    Slot *slot = slot_of(handle);
    if (slot == nullptr) {
        return nullptr;
    }
    std::shared_ptr<Object> object = std::move(slot->object);
    slot->object.reset();
    // A new tag for the slot's next user, so this handle stays dead.
    slot->generation = slot->generation == kMaxGeneration ? 1 : slot->generation + 1;
    free_.push_back(static_cast<std::uint32_t>(handle & (kSlots - 1)));
    return object;
}

} // namespace gsmbench::visa
