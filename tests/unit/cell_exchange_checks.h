// Table-driven checks shared by the housekeeping and cell-configuration unit
// tests: the exact line(s) a call sends, the decoding of its reply, and the
// status rules (a VISA error or warning on the write or the read comes back
// unchanged, and the caller's output is then left as it was).
#pragma once

#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "driver_test.h"

namespace gsmbench::test {

inline constexpr ViStatus kIoError = static_cast<ViStatus>(VI_ERROR_IO);
inline constexpr ViStatus kTimeout = static_cast<ViStatus>(VI_ERROR_TMO);

using Call = std::function<ViStatus(ViSession)>;

// One call and what it must put on the bus. No lines: the call is refused
// with VI_ERROR_SYSTEM_ERROR and sends nothing.
struct LineCase {
    std::string name;
    Call call;
    std::vector<std::string> lines;
};

template <typename T> using QueryCall = std::function<ViStatus(ViSession, T *)>;

// One query, the reply the instrument gives, and the decoded result.
template <typename T> struct ReplyCase {
    std::string name;
    std::string reply;
    T expected;
    ViStatus status = VI_SUCCESS;
};

class ExchangeTest : public DriverTest {
  protected:
    // A clean fake and a new session, for the next row of a table.
    void fresh() {
        fake().reset();
        vi = fake().open_session();
    }

    void expect_lines(const std::vector<LineCase> &cases) {
        for (const auto &c : cases) {
            SCOPED_TRACE(c.name);
            fresh();
            const ViStatus status = c.call(vi);
            if (c.lines.empty()) {
                EXPECT_EQ(status, kSystemError);
                EXPECT_TRUE(lines().empty());
            } else {
                EXPECT_EQ(status, VI_SUCCESS);
                EXPECT_EQ(lines(), c.lines);
            }
            EXPECT_EQ(reads(), 0u);
        }
    }

    // A single-line command hands back whatever status its write got.
    void expect_write_status_returned(const std::vector<LineCase> &cases) {
        for (const auto &c : cases) {
            for (ViStatus injected : {kIoError, kWarning}) {
                SCOPED_TRACE(c.name + " / status " + std::to_string(injected));
                fresh();
                fail_write(injected);
                EXPECT_EQ(c.call(vi), injected);
                EXPECT_EQ(lines().size(), 1u);
            }
        }
    }

    // Each reply decodes to its value and status; the query line is exact.
    template <typename T>
    void expect_replies(const QueryCall<T> &call, const std::string &query,
                        const std::vector<ReplyCase<T>> &cases) {
        for (const auto &c : cases) {
            SCOPED_TRACE(query + " <- \"" + c.reply + "\" (" + c.name + ")");
            fresh();
            reply(c.reply);
            T out = sentinel<T>();
            EXPECT_EQ(call(vi, &out), c.status);
            EXPECT_EQ(out, c.expected);
            EXPECT_EQ(lines(), std::vector<std::string>{query});
        }
    }

    // Write or read failures (errors and warnings alike) are returned
    // unchanged and leave the output as it was; a failed write is not
    // followed by a read. A null output is refused before anything is sent.
    template <typename T>
    void expect_failures_leave_output(const QueryCall<T> &call, const std::string &good_reply,
                                      bool null_refused = true) {
        struct Failure {
            bool on_write;
            ViStatus status;
        };
        for (const Failure f : {Failure{true, kIoError}, Failure{true, kWarning},
                                Failure{false, kTimeout}, Failure{false, kWarning}}) {
            SCOPED_TRACE(std::string(f.on_write ? "write" : "read") + " status " +
                         std::to_string(f.status));
            fresh();
            reply(good_reply);
            if (f.on_write) {
                fail_write(f.status);
            } else {
                fail_read(f.status);
            }
            T out = sentinel<T>();
            EXPECT_EQ(call(vi, &out), f.status);
            EXPECT_EQ(out, sentinel<T>());
            EXPECT_EQ(lines().size(), 1u);
            EXPECT_EQ(reads(), f.on_write ? 0u : 1u);
        }
        if (null_refused) {
            fresh();
            EXPECT_EQ(call(vi, nullptr), kSystemError);
            EXPECT_TRUE(lines().empty());
        }
    }

    template <typename T> static T sentinel() {
        if constexpr (std::is_floating_point_v<T>) {
            return static_cast<T>(-1234.5);
        } else {
            return static_cast<T>(0x5A5A5A5A);
        }
    }
};

} // namespace gsmbench::test
