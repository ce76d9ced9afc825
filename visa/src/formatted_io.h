// viPrintf / viScanf engines. Each works on an abstract sink or source so it
// can be exercised without a connection; numbers go through std::to_chars /
// std::from_chars, so the process locale never changes what is sent or read.
#pragma once

#include <cstdarg>
#include <cstddef>

#include <visa.h>

namespace gsmbench::visa {

class TextSink {
  public:
    virtual ~TextSink() = default;
    virtual ViStatus put(const char *data, std::size_t size) noexcept = 0;
};

class ByteSource {
  public:
    static constexpr int kEndOfMessage = -1;
    static constexpr int kFailed = -2;
    virtual ~ByteSource() = default;
    // The next byte of the current message, kEndOfMessage after its last byte
    // was consumed, or kFailed with status set.
    virtual int peek(ViStatus &status) noexcept = 0;
    virtual void advance() noexcept = 0;
};

// The va_list is taken by pointer so the caller's copy advances with it.
ViStatus format_output(TextSink &sink, const char *format, va_list *args) noexcept;
ViStatus scan_input(ByteSource &source, const char *format, va_list *args) noexcept;

} // namespace gsmbench::visa
