// Locale-independent composition of command lines into fixed buffers.
//
// Command templates are library constants written in printf notation ("%s",
// "%d", "%f", "%%") so that they read exactly like the instrument's command
// reference. They are expanded here, never by a C library printf: the result
// must not depend on the process locale (a decimal-comma locale would otherwise
// put "3,800000" on the bus), and caller text substituted for "%s" is copied
// verbatim, so a percent sign in it stays a percent sign.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace gsmbench::link {

// One value substituted into a template. Text is a view with an explicit
// length, so fixed-size caller fields are read only within their bytes.
class FormatArg {
  public:
    enum class Kind : std::uint8_t { text, integer, real };

    constexpr FormatArg(std::string_view text) noexcept : kind_(Kind::text), text_(text) {}
    constexpr FormatArg(const char *text) noexcept : kind_(Kind::text), text_(text) {}
    constexpr FormatArg(std::int32_t value) noexcept : kind_(Kind::integer), integer_(value) {}
    // VISA's ViInt32 is `long` where long has 32 bits (Windows): the same
    // 32-bit integer, under a type std::int32_t does not name there.
    template <typename Long>
        requires(std::same_as<Long, long> && sizeof(long) == sizeof(std::int32_t))
    constexpr FormatArg(Long value) noexcept
        : kind_(Kind::integer), integer_(static_cast<std::int32_t>(value)) {}
    constexpr FormatArg(double value) noexcept : kind_(Kind::real), real_(value) {}
    // A float is widened to double, as printf's "%f" does.
    constexpr FormatArg(float value) noexcept : kind_(Kind::real), real_(value) {}

    constexpr Kind kind() const noexcept { return kind_; }
    constexpr std::string_view text() const noexcept { return text_; }
    constexpr std::int32_t integer() const noexcept { return integer_; }
    constexpr double real() const noexcept { return real_; }

  private:
    Kind kind_;
    std::string_view text_{};
    std::int32_t integer_ = 0;
    double real_ = 0.0;
};

// The text of a fixed-size, NUL-terminated-if-room character field: the bytes
// before the first NUL, or all `size` bytes when the field has no terminator.
std::string_view field_text(const char *field, std::size_t size) noexcept;

// Appends pieces to a caller-provided buffer, always keeping it NUL-terminated.
// Once a piece does not fit, the builder is marked overflowed and the line
// must not be sent: a truncated command could be a different, valid command.
class LineBuilder {
  public:
    LineBuilder(char *buffer, std::size_t capacity) noexcept;

    LineBuilder &append(std::string_view text) noexcept;
    LineBuilder &append_int(std::int32_t value) noexcept;
    // printf("%f"): fixed notation, six decimals, correctly rounded.
    LineBuilder &append_fixed6(double value) noexcept;
    // Expands a template: "%s" text, "%d" integer, "%f" real, "%%" a percent.
    // A directive whose argument is missing or of another kind overflows the
    // builder (a template/argument mismatch is a library fault, never sent).
    LineBuilder &append_format(std::string_view tmpl, const FormatArg *args,
                               std::size_t count) noexcept;

    bool ok() const noexcept { return !overflow_; }
    std::size_t size() const noexcept { return length_; }
    const char *c_str() const noexcept { return buffer_; }

  private:
    char *buffer_;
    std::size_t capacity_;
    std::size_t length_ = 0;
    bool overflow_ = false;
};

// A line composed in a zero-filled local buffer of N bytes.
template <std::size_t N> class Line {
  public:
    Line() noexcept : builder_(buffer_, N) {}
    Line(const Line &) = delete;
    Line &operator=(const Line &) = delete;

    LineBuilder &builder() noexcept { return builder_; }
    bool ok() const noexcept { return builder_.ok(); }
    const char *c_str() const noexcept { return buffer_; }
    std::size_t size() const noexcept { return builder_.size(); }

  private:
    char buffer_[N] = {};
    LineBuilder builder_;
};

// Composes `tmpl` with `args` into a fresh N-byte line.
template <std::size_t N, typename... Args> bool compose(Line<N> &line, std::string_view tmpl,
                                                        const Args &...args) noexcept {
    const FormatArg list[] = {FormatArg(args)..., FormatArg(std::int32_t{0})};
    line.builder().append_format(tmpl, list, sizeof...(Args));
    return line.ok();
}

// Writes printf("%f", value) into out (at least 330 bytes suffice for any
// double); returns the length. Locale-independent.
std::size_t format_fixed6(double value, char *out, std::size_t capacity) noexcept;

} // namespace gsmbench::link
