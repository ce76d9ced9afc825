#include "gsmbench/rpc/xdr.h"

#include <cstring>

namespace gsmbench::rpc {

bool XdrWriter::reserve(std::size_t n) noexcept {
    if (!ok_ || n > capacity_ - used_) {
        ok_ = false;
        return false;
    }
    return true;
}

void XdrWriter::put_u32(std::uint32_t value) noexcept {
    if (!reserve(4)) {
        return;
    }
    std::uint8_t *p = buffer_ + used_;
    p[0] = static_cast<std::uint8_t>(value >> 24);
    p[1] = static_cast<std::uint8_t>(value >> 16);
    p[2] = static_cast<std::uint8_t>(value >> 8);
    p[3] = static_cast<std::uint8_t>(value);
    used_ += 4;
}

void XdrWriter::put_opaque(std::span<const std::uint8_t> bytes) noexcept {
    if (bytes.size() > 0xFFFFFFFFu) {
        ok_ = false;
        return;
    }
    put_u32(static_cast<std::uint32_t>(bytes.size()));
    const std::size_t padded = xdr_padded(bytes.size());
    if (padded < bytes.size() || !reserve(padded)) {
        return;
    }
    if (!bytes.empty()) {
        std::memcpy(buffer_ + used_, bytes.data(), bytes.size());
    }
    std::memset(buffer_ + used_ + bytes.size(), 0, padded - bytes.size());
    used_ += padded;
}

void XdrWriter::put_string(std::string_view text) noexcept {
    put_opaque({reinterpret_cast<const std::uint8_t *>(text.data()), text.size()});
}

std::uint32_t XdrReader::get_u32() noexcept {
    if (!ok_ || remaining() < 4) {
        ok_ = false;
        return 0;
    }
    const std::uint8_t *p = data_ + used_;
    used_ += 4;
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           std::uint32_t{p[3]};
}

std::span<const std::uint8_t> XdrReader::get_opaque(std::size_t max_length) noexcept {
    const std::size_t length = get_u32();
    // Compare before padding: a length near 2^32 must not wrap the padded size.
    if (!ok_ || length > max_length || length > remaining() || xdr_padded(length) > remaining()) {
        ok_ = false;
        return {};
    }
    std::span<const std::uint8_t> view{data_ + used_, length};
    used_ += xdr_padded(length);
    return view;
}

std::string_view XdrReader::get_string(std::size_t max_length) noexcept {
    const auto bytes = get_opaque(max_length);
    return {reinterpret_cast<const char *>(bytes.data()), bytes.size()};
}

} // namespace gsmbench::rpc
