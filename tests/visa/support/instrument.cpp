#include "instrument.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>

namespace gsmbench::test {

Reply Instrument::handle(const std::string &message) {
    Reply r;
    std::size_t previous;
    {
        std::lock_guard lock(mutex_);
        previous = last_length_;
        last_length_ = message.size();
        received_.push_back(message);
    }
    auto arg_number = [&](std::size_t at) {
        return static_cast<std::size_t>(std::strtoul(message.c_str() + at, nullptr, 10));
    };
    if (message == "*IDN?") {
        r.pieces = {"GSMBENCH,LOOPBACK,0,1\n"};
    } else if (message.rfind("ECHO? ", 0) == 0) {
        r.pieces = {message.substr(6) + "\n"};
    } else if (message.rfind("LONG? ", 0) == 0) {
        r.pieces = {std::string(arg_number(6), 'L') + "\n"};
    } else if (message.rfind("BIG? ", 0) == 0) {
        const std::size_t n = arg_number(5);
        std::string s(n, ' ');
        for (std::size_t i = 0; i < n; ++i) {
            s[i] = pattern_byte(i);
        }
        r.pieces = {s + "\n"};
    } else if (message == "MULTI?") {
        r.pieces = {"ONE\nTWO\nTHREE\n"};
    } else if (message.rfind("SPLIT? ", 0) == 0) {
        const std::string text = "0123456789abcdefghijklmnopqrstuvwxyz,.;\n";
        const std::size_t n = std::max<std::size_t>(1, std::min(arg_number(7), text.size()));
        const std::size_t step = text.size() / n;
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t from = i * step;
            r.pieces.push_back(text.substr(from, i + 1 == n ? std::string::npos : step));
        }
    } else if (message == "HOLD?") {
        r.hold = true;
        r.pieces = {"HELD\n"};
    } else if (message == "LEN?") {
        r.pieces = {std::to_string(previous) + "\n"};
    } else if (message == "DROP") {
        r.drop = true;
    }
    return r;
}

void Instrument::release_hold() {
    std::lock_guard lock(mutex_);
    released_ = true;
    cv_.notify_all();
}

bool Instrument::wait_hold() {
    std::unique_lock lock(mutex_);
    cv_.wait(lock, [&] { return released_ || stopping_; });
    const bool released = released_;
    released_ = false;
    return released;
}

bool Instrument::wait_hold_for(unsigned ms) {
    std::unique_lock lock(mutex_);
    cv_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return released_ || stopping_; });
    const bool released = released_;
    released_ = false;
    return released;
}

void Instrument::note_held_reply_sent() {
    std::lock_guard lock(mutex_);
    ++held_sent_;
    cv_.notify_all();
}

void Instrument::wait_held_reply_sent() {
    std::unique_lock lock(mutex_);
    cv_.wait(lock, [&] { return held_sent_ > 0 || stopping_; });
    --held_sent_;
}

void Instrument::stop() {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    cv_.notify_all();
}

std::vector<std::string> Instrument::received() {
    std::lock_guard lock(mutex_);
    return received_;
}

} // namespace gsmbench::test
