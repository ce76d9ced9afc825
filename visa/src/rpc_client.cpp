#include "rpc_client.h"

#include <atomic>
#include <chrono>

#include "gsmbench/rpc/onc_rpc.h"

namespace gsmbench::visa {

namespace {
// Transaction ids only need to differ between calls on one connection; a
// clock-seeded counter also keeps them apart across reconnects.
std::uint32_t first_xid() noexcept {
    static std::atomic<std::uint32_t> counter{
        static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count())};
    return counter.fetch_add(0x10000u);
}
} // namespace

RpcClient::RpcClient(socket_t s, std::size_t max_call, std::size_t max_reply)
    : socket_(s), call_buffer_(max_call + rpc::kRecordMarkSize), in_buffer_(std::size_t{64} * 1024),
      record_(max_reply), xid_(first_xid()) {}

RpcClient::~RpcClient() {
    close();
}

void RpcClient::mark_broken() noexcept {
    broken_ = true;
    // Hang up at once: the server then drops our link (VXI-11 servers destroy
    // a link whose connection closes). The descriptor itself stays ours until
    // close(), so a concurrent abort can never hit a reused number.
    shutdown_socket(socket_);
}

void RpcClient::close() noexcept {
    close_socket(socket_);
    socket_ = kInvalidSocket;
    broken_ = true;
}

rpc::XdrWriter RpcClient::begin_call() noexcept {
    ++xid_;
    return rpc::XdrWriter(call_buffer_.data() + rpc::kRecordMarkSize,
                          call_buffer_.size() - rpc::kRecordMarkSize);
}

ViStatus RpcClient::receive_record(const Deadline &deadline) noexcept {
    // A record cut short by a time-out stays half-assembled: its remaining
    // bytes come first on the stream, and starting afresh would read them as
    // a record header.
    if (record_.state() == rpc::RecordAssembler::State::complete) {
        record_.reset();
    }
    while (record_.state() == rpc::RecordAssembler::State::need_more) {
        if (in_head_ == in_tail_) {
            in_head_ = in_tail_ = 0;
            std::size_t got = 0;
            const IoResult r = recv_some(socket_, in_buffer_.data(), in_buffer_.size(), deadline,
                                         got, recv_timeout_);
            if (r == IoResult::timeout) {
                return VI_ERROR_TMO;
            }
            if (r != IoResult::ok) {
                mark_broken();
                return r == IoResult::closed ? VI_ERROR_CONN_LOST : VI_ERROR_IO;
            }
            in_tail_ = got;
        }
        try {
            in_head_ += record_.feed({in_buffer_.data() + in_head_, in_tail_ - in_head_});
        } catch (...) { // out of memory while growing the record
            mark_broken();
            return VI_ERROR_ALLOC;
        }
    }
    if (record_.state() == rpc::RecordAssembler::State::error) {
        mark_broken(); // the stream position is lost: nothing after this can be trusted
        return VI_ERROR_IO;
    }
    return VI_SUCCESS;
}

ViStatus RpcClient::call(const rpc::XdrWriter &message, const Deadline &deadline) noexcept {
    if (broken_) {
        return VI_ERROR_CONN_LOST;
    }
    if (!message.ok() || message.size() > rpc::kFragmentLengthMask) {
        return VI_ERROR_IO;
    }
    rpc::put_record_mark(call_buffer_.data(), static_cast<std::uint32_t>(message.size()), true);
    std::size_t written = 0;
    const IoResult sent = send_all(socket_, call_buffer_.data(),
                                   message.size() + rpc::kRecordMarkSize, deadline, written);
    if (sent != IoResult::ok) {
        // A call cut off mid-record leaves the server reading garbage.
        if (sent != IoResult::timeout || written != 0) {
            mark_broken();
        }
        return sent == IoResult::timeout
                   ? VI_ERROR_TMO
                   : (sent == IoResult::closed ? VI_ERROR_CONN_LOST : VI_ERROR_IO);
    }
    for (;;) {
        const ViStatus st = receive_record(deadline);
        if (st != VI_SUCCESS) {
            return st;
        }
        reader_ = rpc::XdrReader(record_.record());
        rpc::ReplyHeader header;
        if (!rpc::decode_reply_header(reader_, header)) {
            mark_broken();
            return VI_ERROR_IO;
        }
        if (header.xid != xid_) {
            continue; // the late answer to a call that already timed out
        }
        return header.succeeded() ? VI_SUCCESS : VI_ERROR_IO;
    }
}

} // namespace gsmbench::visa
