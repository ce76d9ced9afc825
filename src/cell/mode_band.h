// Operating mode of the test set and the two band settings of the emulated
// cell (the cell band and the traffic-channel band).
//
// Each setting crosses the boundary as a small code. Setting one sends a fixed
// line per code; reading one back maps the reply's keyword to the code.
#pragma once

#include "cell/coded_setting.h"

namespace gsmbench::cell {

inline constexpr FixedLine kOperatingModeLines[] = {
    {0, "CALL:OPER:MODE OFF\n"},  {1, "CALL:OPER:MODE CALL\n"},   {2, "CALL:OPER:MODE CW\n"},
    {3, "CALL:OPER:MODE GBT\n"},  {4, "CALL:OPER:MODE GBTT\n"},   {5, "CALL:OPER:MODE PBT\n"},
    {6, "CALL:OPER:MODE PBPT\n"}, {7, "CALL:OPER:MODE PBPTT\n"},  {8, "CALL:OPER:MODE EBT\n"},
    {9, "CALL:OPER:MODE EBPT\n"}, {10, "CALL:OPER:MODE EBPTT\n"},
};

// The band settings take the ten real bands only: the band table's selected
// band (SEL, code 10) names no band the cell could be switched to.
inline constexpr FixedLine kCellBandLines[] = {
    {0, "CALL:BAND PGSM\n"},    {1, "CALL:BAND DCS\n"},    {2, "CALL:BAND EGSM\n"},
    {3, "CALL:BAND GSM450\n"},  {4, "CALL:BAND GSM480\n"}, {5, "CALL:BAND GSM750\n"},
    {6, "CALL:BAND GSM850\n"},  {7, "CALL:BAND PCS\n"},    {8, "CALL:BAND RGSM\n"},
    {9, "CALL:BAND TGSM810\n"},
};

// The instrument sets the traffic-channel band under CALL:SET:TCH:BAND but
// answers its query under CALL:TCH:BAND?.
inline constexpr FixedLine kTchBandLines[] = {
    {0, "CALL:SET:TCH:BAND PGSM\n"},   {1, "CALL:SET:TCH:BAND DCS\n"},
    {2, "CALL:SET:TCH:BAND EGSM\n"},   {3, "CALL:SET:TCH:BAND GSM450\n"},
    {4, "CALL:SET:TCH:BAND GSM480\n"}, {5, "CALL:SET:TCH:BAND GSM750\n"},
    {6, "CALL:SET:TCH:BAND GSM850\n"}, {7, "CALL:SET:TCH:BAND PCS\n"},
    {8, "CALL:SET:TCH:BAND RGSM\n"},   {9, "CALL:SET:TCH:BAND TGSM810\n"},
};

inline constexpr char kOperatingModeQuery[] = "CALL:OPER:MODE?\n";
inline constexpr char kCellBandQuery[] = "CALL:BAND?\n";
inline constexpr char kTchBandQuery[] = "CALL:TCH:BAND?\n";

// Comparison order matters: PBPTT before PBPT before PBT, and so on.
inline constexpr link::Keyword kOperatingModeKeywordRows[] = {
    {"OFF", 3, 0},    {"CALL", 4, 1}, {"CW", 2, 2},   {"PBPTT", 5, 7},
    {"EBPTT", 5, 10}, {"GBTT", 4, 4}, {"PBPT", 4, 6}, {"EBPT", 4, 9},
    {"GBT", 3, 3},    {"PBT", 3, 5},  {"EBT", 3, 8},
};
inline constexpr link::KeywordTable kOperatingModeKeywords =
    link::make_keyword_table(kOperatingModeKeywordRows, 11);

inline constexpr link::Keyword kBandKeywordRows[] = {
    {"PGSM", 4, 0},   {"DCS", 3, 1},    {"EGSM", 4, 2}, {"GSM450", 6, 3}, {"GSM480", 6, 4},
    {"GSM750", 6, 5}, {"GSM850", 6, 6}, {"PCS", 3, 7},  {"RGSM", 4, 8},   {"TGSM810", 7, 9},
};
inline constexpr link::KeywordTable kBandKeywords = link::make_keyword_table(kBandKeywordRows, 11);

} // namespace gsmbench::cell
