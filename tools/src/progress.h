// Progress of a run as it happens: a live status line on a terminal, one plain
// line per step otherwise, or nothing.
#pragma once

#include <chrono>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

namespace gsmbench::tool {

class Progress {
  public:
    virtual ~Progress() = default;
    // A new step begins ("EGSM ch 37 PCL 12: TXP PFER PVT ORFS").
    virtual void step(std::string_view text) = 0;
    // The run is waiting on the instrument ("call state ALER"); called on
    // every poll, so a live display can keep its clock running.
    virtual void waiting(std::string_view text) = 0;
    // The run is over: a live line is cleared before the results are printed.
    virtual void finish() = 0;
};

enum class ProgressStyle : unsigned char { live, plain, none };

std::unique_ptr<Progress> make_progress(ProgressStyle style, std::ostream &out);

// Live on a terminal, plain lines when `stream_is_terminal` is false.
ProgressStyle progress_style_for(bool stream_is_terminal);

} // namespace gsmbench::tool
