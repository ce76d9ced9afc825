// A fake VISA library for unit tests: it implements the standard VISA
// functions the driver calls, records every line written per session, serves
// scripted replies with the real semantics of the two read directives, and can
// make any chosen call return any status.
//
// Read directives, as a VISA library implements them:
//   "%t"  / "%<w>t": the whole reply, terminator included;
//   "%s"  / "%<w>s": the reply's first white-space-delimited word.
// A width keeps the store within w characters plus the NUL. Either way the
// rest of that reply is discarded, so the next read starts at the next reply.
// A read with no reply queued returns VI_ERROR_TMO, as an instrument that
// stays silent would.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include <visa.h>

namespace gsmbench::test {

enum class VisaCall : std::uint8_t { open_default_rm, open, close, printf, scanf };
inline constexpr std::size_t kVisaCallKinds = 5;

class FakeVisa {
  public:
    // The fake stands behind free C functions, so there is one per process.
    static FakeVisa &instance();

    // Forgets every session, reply, recorded line and scripted status.
    void reset();

    // A session that is open as if viOpen had returned it.
    ViSession open_session();

    // Queues one reply for the next read on `vi` (include the terminator,
    // e.g. "CONN\n", as the instrument would send it).
    void queue_reply(ViSession vi, std::string reply);

    // The n-th next call (0 = the very next) of kind `call`, on any session,
    // returns `status` instead of doing its work. A positive status (a VISA
    // warning) on a read still stores the data, as VISA does; a negative one
    // stores nothing and consumes no reply. A write with any injected status
    // is recorded as attempted.
    void fail_call(VisaCall call, ViStatus status, int nth = 0);

    // Every line written to `vi`, in order (the formatted text of each
    // viPrintf, including ones whose status was injected).
    std::vector<std::string> lines(ViSession vi) const;
    // All bytes written to `vi`, concatenated.
    std::string written(ViSession vi) const;
    // The format strings passed to viPrintf and viScanf on `vi`.
    std::vector<std::string> printf_formats(ViSession vi) const;
    std::vector<std::string> scanf_formats(ViSession vi) const;

    std::size_t call_count(VisaCall call) const;
    std::size_t pending_replies(ViSession vi) const;
    bool is_open(ViSession vi) const;
    std::vector<ViSession> closed_handles() const;
    std::vector<std::string> opened_names() const;

    // Benchmark mode: lines are not recorded and every read returns `reply`
    // without consuming it, so a call through the fake allocates nothing.
    void set_fixed_reply(ViSession vi, const char *reply);

    // --- used by the C entry points ---
    ViStatus do_open_default_rm(ViSession *rm);
    ViStatus do_open(ViSession rm, const char *name, ViSession *vi);
    ViStatus do_close(ViSession vi);
    ViStatus do_printf(ViSession vi, const char *format, va_list args);
    ViStatus do_scanf(ViSession vi, const char *format, va_list args);

  private:
    struct Session {
        bool open = true;
        bool resource_manager = false;
        std::vector<std::string> lines;
        std::vector<std::string> printf_formats;
        std::vector<std::string> scanf_formats;
        std::deque<std::string> replies;
        const char *fixed_reply = nullptr;
    };
    struct Injection {
        VisaCall call;
        ViStatus status;
        int nth;
    };

    bool take_injection(VisaCall call, ViStatus &status);

    mutable std::mutex mutex_;
    std::map<ViSession, Session> sessions_;
    std::vector<Injection> injections_;
    // A fixed array, not a map: counting must not allocate (the no-allocation
    // test and the benchmark run the driver through this fake).
    std::size_t counts_[kVisaCallKinds] = {};
    std::vector<ViSession> closed_;
    std::vector<std::string> opened_names_;
    ViSession next_handle_ = 0x100;
};

} // namespace gsmbench::test
