// A minimal ONC-RPC client over one TCP connection: one call in flight at a
// time, replies matched by transaction id. A reply that arrives after its call
// gave up (a time-out) is recognised by its stale id and skipped, so a slow
// device cannot shift every later reply by one.
#pragma once

#include <cstdint>
#include <vector>

#include <visa.h>

#include "gsmbench/rpc/record.h"
#include "gsmbench/rpc/xdr.h"
#include "net.h"

namespace gsmbench::visa {

class RpcClient {
  public:
    RpcClient(socket_t s, std::size_t max_call, std::size_t max_reply);
    ~RpcClient();
    RpcClient(const RpcClient &) = delete;
    RpcClient &operator=(const RpcClient &) = delete;

    // Space for the next call message; encode it with xid() and pass its
    // length to call().
    rpc::XdrWriter begin_call() noexcept;
    std::uint32_t xid() const noexcept { return xid_; }
    // Sends the call and waits for its reply. On VI_SUCCESS, results() reads
    // the procedure's results. Errors: VI_ERROR_TMO, VI_ERROR_CONN_LOST (peer
    // gone), VI_ERROR_IO (a reply that breaks the protocol; the connection is
    // then unusable and marked broken).
    ViStatus call(const rpc::XdrWriter &message, const Deadline &deadline) noexcept;
    rpc::XdrReader results() const noexcept { return reader_; }

    bool broken() const noexcept { return broken_; }
    socket_t socket() const noexcept { return socket_; }
    void close() noexcept;

  private:
    ViStatus receive_record(const Deadline &deadline) noexcept;
    void mark_broken() noexcept;

    socket_t socket_;
    RecvTimeoutCache recv_timeout_;
    std::vector<std::uint8_t> call_buffer_;
    std::vector<std::uint8_t> in_buffer_;
    std::size_t in_head_ = 0;
    std::size_t in_tail_ = 0;
    rpc::RecordAssembler record_;
    rpc::XdrReader reader_{nullptr, 0};
    std::uint32_t xid_;
    bool broken_ = false;
};

} // namespace gsmbench::visa
