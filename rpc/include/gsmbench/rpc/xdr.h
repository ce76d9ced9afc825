// XDR (RFC 4506) encoding into and decoding from caller-owned, bounded buffers.
//
// Both directions fail "sticky": the first write past the end of the buffer, or
// the first read past the end of the data, marks the codec bad and every later
// call does nothing. Callers check ok() once after a whole message instead of
// after every field, and a hostile length field can never make a reader step
// outside the bytes it was given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace gsmbench::rpc {

// XDR pads every variable-length item to a multiple of four bytes.
constexpr std::size_t xdr_padded(std::size_t n) noexcept {
    return (n + 3u) & ~std::size_t{3};
}

class XdrWriter {
  public:
    XdrWriter(std::uint8_t *buffer, std::size_t capacity) noexcept
        : buffer_(buffer), capacity_(capacity) {}
    explicit XdrWriter(std::span<std::uint8_t> buffer) noexcept
        : XdrWriter(buffer.data(), buffer.size()) {}

    void put_u32(std::uint32_t value) noexcept;
    void put_i32(std::int32_t value) noexcept { put_u32(static_cast<std::uint32_t>(value)); }
    void put_bool(bool value) noexcept { put_u32(value ? 1u : 0u); }
    // Variable-length opaque<> / string<>: length word, bytes, zero padding.
    void put_opaque(std::span<const std::uint8_t> bytes) noexcept;
    void put_string(std::string_view text) noexcept;

    bool ok() const noexcept { return ok_; }
    // Bytes written so far (the encoded message length when ok()).
    std::size_t size() const noexcept { return used_; }
    std::span<const std::uint8_t> bytes() const noexcept { return {buffer_, used_}; }

  private:
    bool reserve(std::size_t n) noexcept;

    std::uint8_t *buffer_;
    std::size_t capacity_;
    std::size_t used_ = 0;
    bool ok_ = true;
};

class XdrReader {
  public:
    XdrReader(const std::uint8_t *data, std::size_t size) noexcept : data_(data), size_(size) {}
    explicit XdrReader(std::span<const std::uint8_t> data) noexcept
        : XdrReader(data.data(), data.size()) {}

    std::uint32_t get_u32() noexcept;
    std::int32_t get_i32() noexcept { return static_cast<std::int32_t>(get_u32()); }
    // Any non-zero word is read as true, as most XDR decoders do.
    bool get_bool() noexcept { return get_u32() != 0; }
    // A view into the reader's data (no copy); empty and bad when the declared
    // length exceeds max_length or the bytes that are left.
    std::span<const std::uint8_t> get_opaque(std::size_t max_length) noexcept;
    std::string_view get_string(std::size_t max_length) noexcept;
    // Skips an opaque<> item (e.g. an authentication body).
    void skip_opaque(std::size_t max_length) noexcept { (void)get_opaque(max_length); }

    bool ok() const noexcept { return ok_; }
    std::size_t remaining() const noexcept { return size_ - used_; }
    void fail() noexcept { ok_ = false; }

  private:
    const std::uint8_t *data_;
    std::size_t size_;
    std::size_t used_ = 0;
    bool ok_ = true;
};

} // namespace gsmbench::rpc
