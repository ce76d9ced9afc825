#pragma once

#include <cstdint>

namespace gsmbench::link {

// A millisecond tick counter that wraps like the platform's 32-bit one.
std::uint32_t tick_ms() noexcept;

// Busy-waits until the tick counter has advanced by more than `ms`. Compares
// the elapsed difference (now - start, unsigned), so a counter wrap during the
// wait neither ends it early nor prolongs it. `ticks` is the counter to read
// (tests inject a counter that wraps). Returns 1.
std::int32_t delay_ms(std::uint32_t ms, std::uint32_t (*ticks)() noexcept = tick_ms) noexcept;

} // namespace gsmbench::link
