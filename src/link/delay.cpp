#include "link/delay.h"

#include <chrono>

#if defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

namespace gsmbench::link {

std::uint32_t tick_ms() noexcept {
#if defined(_WIN32)
    return static_cast<std::uint32_t>(GetTickCount());
#else
    // A monotonic clock: wall-clock adjustments must not shorten or stretch
    // the post-reset wait.
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
#endif
}

std::int32_t delay_ms(std::uint32_t ms, std::uint32_t (*ticks)() noexcept) noexcept {
    const std::uint32_t start = ticks();
    // Unsigned subtraction gives the true elapsed time across a wrap.
    while (static_cast<std::uint32_t>(ticks() - start) <= ms) {
    }
    return 1;
}

} // namespace gsmbench::link
