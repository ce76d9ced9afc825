// The behaviour both in-test servers share: a tiny SCPI-like instrument.
//
//   *IDN?            -> "GSMBENCH,LOOPBACK,0,1"
//   ECHO? <text>     -> "<text>"
//   LONG? <n>        -> n letters
//   BIG? <n>         -> n bytes of a known pattern (pattern_byte)
//   MULTI?           -> three replies at once: "ONE", "TWO", "THREE" (SOCKET: one packet)
//   SPLIT? <n>       -> a 40-byte reply sent in n pieces (SOCKET only; VXI-11: one chunk)
//   HOLD?            -> no reply until release_hold() (a device that does not answer)
//   LEN?             -> length of the previous message received
//   DROP             -> the server closes the connection
// Every reply ends with a line feed. Other lines are commands (no reply).
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

namespace gsmbench::test {

inline char pattern_byte(std::size_t i) {
    return static_cast<char>('A' + (i * 7 + i / 26) % 26);
}

struct Reply {
    std::vector<std::string> pieces; // sent separately (SOCKET) or as one message (VXI-11)
    bool hold = false;
    bool drop = false;
};

class Instrument {
  public:
    // message: one received line without its line feed.
    Reply handle(const std::string &message);

    // Lets a HOLD? reply go (as "HELD").
    void release_hold();
    // Blocks until released or the server stops; true when released.
    bool wait_hold();
    // The same, giving up after ms milliseconds.
    bool wait_hold_for(unsigned ms);
    // The SOCKET server reports that a held reply went out; tests wait for it.
    void note_held_reply_sent();
    void wait_held_reply_sent();
    void stop();

    std::vector<std::string> received();

  private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool released_ = false;
    bool stopping_ = false;
    int held_sent_ = 0;
    std::size_t last_length_ = 0;
    std::vector<std::string> received_;
};

} // namespace gsmbench::test
