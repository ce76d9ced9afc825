// The one road to the instrument: every line the driver sends and every reply
// it reads passes through these functions, and nothing else calls VISA's
// formatted I/O.
//
// Status rule: any non-zero VISA status, warnings included, ends an exchange at
// once and is handed back unchanged; outputs are touched only after every VISA
// call of the exchange returned VI_SUCCESS.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "link/decode.h"
#include "link/format.h"
#include "link/visa_api.h"

namespace gsmbench::link {

// The library's own refusal, distinct from every status VISA returns.
inline constexpr ViStatus kLibraryError = static_cast<ViStatus>(VI_ERROR_SYSTEM_ERROR);

inline bool failed(ViStatus status) noexcept { return status != VI_SUCCESS; }

// Writes one complete line. The line is passed as the argument of a "%s"
// directive, never as the format, so no byte of it is interpreted by VISA.
ViStatus write_line(ViSession vi, const char *line) noexcept;

// Writes a composed line; a line that overflowed its buffer is refused with
// kLibraryError and never sent (a truncated command may be a valid different
// one).
template <std::size_t N> ViStatus write_line(ViSession vi, const Line<N> &line) noexcept {
    return line.ok() ? write_line(vi, line.c_str()) : kLibraryError;
}

// Composes a template into an N-byte line and writes it.
template <std::size_t N, typename... Args>
ViStatus write_format(ViSession vi, const char *tmpl, const Args &...args) noexcept {
    Line<N> line;
    compose(line, tmpl, args...);
    return write_line(vi, line);
}

// How a reply is read: the whole reply ("%t", terminator included) or its first
// white-space-delimited word ("%s", used by the result lists).
enum class Read : std::uint8_t { whole_reply, first_word };

// Reads one reply into reply[0..size-1], always NUL-terminated. The read
// carries a width of size - 1, so VISA never stores past the buffer, and the
// part of an over-long reply that does not fit is discarded with the rest of
// that reply by VISA, so the next exchange starts at the next reply.
ViStatus read_reply(ViSession vi, Read mode, char *reply, std::size_t size) noexcept;

// Query pattern: zero the reply buffer, write the query line, read the reply.
// Returns the first non-zero status; `reply` holds the reply only on success.
ViStatus query(ViSession vi, const char *line, Read mode, char *reply, std::size_t size) noexcept;

template <std::size_t N> struct Reply {
    char text[N] = {};
};

// Output slots are the caller's ViInt32, which is `long` on Windows and `int`
// elsewhere: accept either 32-bit integer type.
template <typename Int>
inline constexpr bool is_int32_slot = std::is_integral_v<Int> && std::is_signed_v<Int> &&
                                      sizeof(Int) == 4;

// Integer query: atol decoding of the whole reply.
template <std::size_t N, typename Int>
ViStatus query_int(ViSession vi, const char *line, Int *out) noexcept {
    static_assert(is_int32_slot<Int>);
    if (out == nullptr) {
        return kLibraryError;
    }
    Reply<N> reply;
    const ViStatus status = query(vi, line, Read::whole_reply, reply.text, N);
    if (failed(status)) {
        return status;
    }
    *out = decode_int(reply.text);
    return VI_SUCCESS;
}

// Float query: atof decoding of the whole reply, narrowed to 32 bits.
template <std::size_t N>
ViStatus query_float(ViSession vi, const char *line, float *out) noexcept {
    if (out == nullptr) {
        return kLibraryError;
    }
    Reply<N> reply;
    const ViStatus status = query(vi, line, Read::whole_reply, reply.text, N);
    if (failed(status)) {
        return status;
    }
    *out = narrow_to_float(decode_double(reply.text));
    return VI_SUCCESS;
}

// Keyword query: the code of the first matching keyword, or the table's
// unrecognised code with kLibraryError.
template <std::size_t N, typename Int>
ViStatus query_keyword(ViSession vi, const char *line, const KeywordTable &table,
                       Int *out) noexcept {
    static_assert(is_int32_slot<Int>);
    if (out == nullptr) {
        return kLibraryError;
    }
    Reply<N> reply;
    const ViStatus status = query(vi, line, Read::whole_reply, reply.text, N);
    if (failed(status)) {
        return status;
    }
    std::int32_t code = 0;
    const bool matched = decode_keyword(reply.text, table, code);
    *out = code;
    return matched ? VI_SUCCESS : kLibraryError;
}

// Composed-query forms: the query line is built from a template first; a line
// that does not fit is refused before anything is sent.
template <std::size_t LineN, std::size_t ReplyN, typename Int, typename... Args>
ViStatus query_int_format(ViSession vi, Int *out, const char *tmpl,
                          const Args &...args) noexcept {
    Line<LineN> line;
    if (!compose(line, tmpl, args...)) {
        return kLibraryError;
    }
    return query_int<ReplyN>(vi, line.c_str(), out);
}

} // namespace gsmbench::link
