// Call control: the call state and connected state as the test set reports
// them, its call-state change detector, ending, waiting and handover. Nothing
// about the call is kept here; every answer is the instrument's at the time.
#pragma once

#include <cstdint>

// VISA first: gsmbench.h defines the VISA names only where visa.h has not.
#include "link/visa_api.h"

#include "gsmbench.h"
#include "link/decode.h"

namespace gsmbench::call {

inline constexpr char kCallEnd[] = "CALL:END\n";
inline constexpr char kConnectedQuery[] = "CALL:CONN?\n";
inline constexpr char kDetectorArm[] = "CALL:CONN:ARM:IMMEDIATE\n";
inline constexpr char kDetectorQuery[] = "CALL:CONN:ARM:STAT?\n";
inline constexpr char kDetectorTimeout[] = "CALL:CONNECTED:TIMEOUT %f S\n";
inline constexpr char kDetectorTimeoutQuery[] = "CALL:CONNECTED:TIMEOUT?\n";
inline constexpr char kCallStateQuery[] = "CALL:STAT?\n";
inline constexpr char kCallWait[] = "CALL:%s:WAIT\n";
inline constexpr char kHandover[] = "CALL:HAND:IMM\n";

// The test set answers CALL:STAT? with a short state word. PAG is compared
// over three bytes only, so PAGING reads as paging.
inline constexpr link::Keyword kCallStateRows[] = {
    {"IDLE", 4, GSMB_CALL_IDLE}, {"SREQ", 4, GSMB_CALL_SREQ}, {"ALER", 4, GSMB_CALL_ALER},
    {"CONN", 4, GSMB_CALL_CONN}, {"DISC", 4, GSMB_CALL_DISC}, {"HAND", 4, GSMB_CALL_HAND},
    {"PAG", 3, GSMB_CALL_PAG},
};
inline constexpr link::KeywordTable kCallStates =
    link::make_keyword_table(kCallStateRows, GSMB_CALL_UNRECOGNISED);

// A fixed command line; the write's status.
ViStatus send(ViSession vi, const char *line) noexcept;

// Integer query (atol rules) into *out; null out: kLibraryError, nothing sent.
ViStatus query_integer(ViSession vi, const char *line, ViInt32 *out) noexcept;

// The detector time-out in seconds, six decimals, locale-independent.
ViStatus set_detector_timeout(ViSession vi, float seconds) noexcept;

// The call state code, or GSMB_CALL_UNRECOGNISED with kLibraryError.
ViStatus query_call_state(ViSession vi, ViInt32 *state) noexcept;

// "CALL:TCH:WAIT" / "CALL:BCH:WAIT"; any other code is refused before sending.
ViStatus wait_on_channel(ViSession vi, std::int32_t channel_type) noexcept;

} // namespace gsmbench::call
