// ONC-RPC record marking over TCP (RFC 5531, section 11).
//
// A record is sent as one or more fragments, each preceded by a four-byte
// big-endian header: the top bit marks the last fragment, the low 31 bits give
// the fragment's length. A peer controls those lengths, so the assembler caps
// the whole record and the number of fragments before it stores anything.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace gsmbench::rpc {

constexpr std::size_t kRecordMarkSize = 4;
constexpr std::uint32_t kLastFragmentBit = 0x80000000u;
constexpr std::uint32_t kFragmentLengthMask = 0x7FFFFFFFu;

// Writes one fragment header. length must be at most kFragmentLengthMask.
void put_record_mark(std::uint8_t out[kRecordMarkSize], std::uint32_t length, bool last) noexcept;

struct RecordMark {
    std::uint32_t length;
    bool last;
};
RecordMark parse_record_mark(const std::uint8_t in[kRecordMarkSize]) noexcept;

// Reassembles one record from a byte stream fed in pieces of any size.
//
//   RecordAssembler rec(64 * 1024);
//   while (rec.state() == RecordAssembler::State::need_more) {
//       n = recv(...); used = rec.feed({buf, n});   // bytes past the record stay unconsumed
//   }
//   if (rec.state() == RecordAssembler::State::complete) decode(rec.record());
//   rec.reset();                                       // ready for the next record
class RecordAssembler {
  public:
    enum class State { need_more, complete, error };
    enum class Error { none, record_too_large, too_many_fragments };

    // Default fragment cap: a peer may split a record, but not into a flood of
    // tiny or empty fragments.
    static constexpr std::size_t kDefaultMaxFragments = 1024;

    explicit RecordAssembler(std::size_t max_record_size,
                             std::size_t max_fragments = kDefaultMaxFragments);

    // Consumes bytes up to the end of the current record and returns how many
    // it took; never consumes past a completed record. Feeding a completed or
    // failed assembler consumes nothing.
    std::size_t feed(std::span<const std::uint8_t> bytes);

    State state() const noexcept { return state_; }
    Error error() const noexcept { return error_; }
    // The reassembled record body (fragment headers removed) once complete.
    std::span<const std::uint8_t> record() const noexcept { return body_; }
    // Bytes still needed to finish the current header or fragment (at least 1
    // while need_more): lets a reader avoid pulling bytes of the next record.
    std::size_t wanted() const noexcept;
    void reset() noexcept;

  private:
    std::size_t max_record_;
    std::size_t max_fragments_;
    std::vector<std::uint8_t> body_;
    std::uint8_t header_[kRecordMarkSize] = {};
    std::size_t header_have_ = 0;
    std::size_t fragment_left_ = 0;
    std::size_t fragments_ = 0;
    bool in_fragment_ = false;
    bool last_ = false;
    State state_ = State::need_more;
    Error error_ = Error::none;
};

} // namespace gsmbench::rpc
