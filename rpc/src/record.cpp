#include "gsmbench/rpc/record.h"

#include <algorithm>

namespace gsmbench::rpc {

void put_record_mark(std::uint8_t out[kRecordMarkSize], std::uint32_t length, bool last) noexcept {
    const std::uint32_t word = (length & kFragmentLengthMask) | (last ? kLastFragmentBit : 0u);
    out[0] = static_cast<std::uint8_t>(word >> 24);
    out[1] = static_cast<std::uint8_t>(word >> 16);
    out[2] = static_cast<std::uint8_t>(word >> 8);
    out[3] = static_cast<std::uint8_t>(word);
}

RecordMark parse_record_mark(const std::uint8_t in[kRecordMarkSize]) noexcept {
    const std::uint32_t word = (std::uint32_t{in[0]} << 24) | (std::uint32_t{in[1]} << 16) |
                               (std::uint32_t{in[2]} << 8) | std::uint32_t{in[3]};
    return {word & kFragmentLengthMask, (word & kLastFragmentBit) != 0};
}

RecordAssembler::RecordAssembler(std::size_t max_record_size, std::size_t max_fragments)
    : max_record_(max_record_size), max_fragments_(max_fragments) {}

void RecordAssembler::reset() noexcept {
    body_.clear();
    header_have_ = 0;
    fragment_left_ = 0;
    fragments_ = 0;
    in_fragment_ = false;
    last_ = false;
    state_ = State::need_more;
    error_ = Error::none;
}

std::size_t RecordAssembler::wanted() const noexcept {
    if (state_ != State::need_more) {
        return 0;
    }
    return in_fragment_ ? fragment_left_ : kRecordMarkSize - header_have_;
}

std::size_t RecordAssembler::feed(std::span<const std::uint8_t> bytes) {
    std::size_t used = 0;
    while (state_ == State::need_more && used < bytes.size()) {
        if (!in_fragment_) {
            const std::size_t take = std::min(kRecordMarkSize - header_have_, bytes.size() - used);
            std::copy_n(bytes.data() + used, take, header_ + header_have_);
            header_have_ += take;
            used += take;
            if (header_have_ < kRecordMarkSize) {
                break;
            }
            header_have_ = 0;
            const RecordMark mark = parse_record_mark(header_);
            // Refuse before storing: the declared length alone must fit.
            if (mark.length > max_record_ - body_.size()) {
                state_ = State::error;
                error_ = Error::record_too_large;
                break;
            }
            if (++fragments_ > max_fragments_) {
                state_ = State::error;
                error_ = Error::too_many_fragments;
                break;
            }
            last_ = mark.last;
            fragment_left_ = mark.length;
            in_fragment_ = true;
            body_.reserve(body_.size() + fragment_left_);
        }
        const std::size_t take = std::min(fragment_left_, bytes.size() - used);
        body_.insert(body_.end(), bytes.data() + used, bytes.data() + used + take);
        used += take;
        fragment_left_ -= take;
        if (fragment_left_ == 0) {
            in_fragment_ = false;
            if (last_) {
                state_ = State::complete;
            }
        }
    }
    return used;
}

} // namespace gsmbench::rpc
