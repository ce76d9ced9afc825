// The production test of one phone, driven through the library only: every
// instrument exchange is an exported library call.
#pragma once

#include <string>

#include "plan.h"
#include "progress.h"
#include "results.h"

namespace gsmbench::tool {

struct RunTarget {
    std::string testset; // VISA resource names
    std::string supply;
    // Pause between polls while the test set reports a measurement still
    // running; 0 when the simulator runs on instant time.
    int poll_interval_ms = 2;
};

// Runs the whole test and returns its results. Never throws for instrument
// trouble: a failed library call ends the run with summary.error set, after
// the call is ended and the supply switched off where the link still allows.
RunReport run_production_test(const Plan &plan, const RunTarget &target, Progress &progress);

} // namespace gsmbench::tool
