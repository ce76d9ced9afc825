// The test set's connection type (CALL:FUNC:CONN:TYPE).
#pragma once

#include "cell/coded_setting.h"

namespace gsmbench::cell {

inline constexpr FixedLine kConnectionTypeLines[] = {
    {0, "CALL:FUNC:CONN:TYPE A\n"},    {1, "CALL:FUNC:CONN:TYPE B\n"},
    {2, "CALL:FUNC:CONN:TYPE ACKB\n"}, {3, "CALL:FUNC:CONN:TYPE BLER\n"},
    {4, "CALL:FUNC:CONN:TYPE AUTO\n"}, {5, "CALL:FUNC:CONN:TYPE SRBL\n"},
};

inline constexpr char kConnectionTypeQuery[] = "CALL:FUNC:CONN:TYPE?\n";

// The one-letter types come last: A begins ACKB and AUTO, B begins BLER.
inline constexpr link::Keyword kConnectionTypeKeywordRows[] = {
    {"ACKB", 4, 2}, {"BLER", 4, 3}, {"AUTO", 4, 4}, {"SRBL", 4, 5}, {"A", 1, 0}, {"B", 1, 1},
};
inline constexpr link::KeywordTable kConnectionTypeKeywords =
    link::make_keyword_table(kConnectionTypeKeywordRows, 6);

} // namespace gsmbench::cell
