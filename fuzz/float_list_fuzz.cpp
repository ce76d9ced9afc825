// libFuzzer target for the result-list decoder. The first input byte picks
// the capacity; the rest is the reply, handed over in an exactly sized buffer
// without a terminator (so AddressSanitizer sees any read past it) and again
// NUL-terminated, as the exported entry point receives it. A decode that
// differs from the reference aborts.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "float_list_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const int capacity = static_cast<int>(data[0] % 48) - 2; // -2..45, non-positive included
    const std::size_t length = size - 1;
    std::unique_ptr<char[]> exact(new char[length == 0 ? 1 : length]);
    std::memcpy(exact.get(), data + 1, length);
    std::string problem = gsmbench::fuzz::check_decode(exact.get(), length, capacity);
    if (problem.empty()) {
        const std::string terminated(reinterpret_cast<const char *>(data + 1), length);
        problem = gsmbench::fuzz::check_decode(terminated.c_str(), SIZE_MAX, capacity);
    }
    if (!problem.empty()) {
        std::fprintf(stderr, "float list mismatch: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
