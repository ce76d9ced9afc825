// Cell identity codes: single setters with their ranges, getters, and the
// combined line that leaves out-of-range codes out.
#include <climits>
#include <string>

#include "cell_exchange_checks.h"

namespace gsmbench::test {
namespace {

class IdentityTest : public ExchangeTest {};

struct CodeFunctions {
    const char *name;
    ViStatus (*set)(ViSession, ViInt32);
    ViStatus (*get)(ViSession, ViInt32 *);
    const char *header; // set line is "<header> <value>\n", query "<header>?\n"
    ViInt32 maximum;
};

const CodeFunctions kCodes[] = {
    {"MCC", BS_Set_Net_MCC, BS_Get_Net_MCC, "CALL:CELL:MCCODE:SELECTED", 999},
    {"LAC", BS_Set_Net_LAC, BS_Get_Net_LAC, "CALL:CELL:LACODE", 65535},
    {"MNC", BS_Set_Net_MNC, BS_Get_Net_MNC, "CALL:CELL:MNCODE:SELECTED", 99},
    {"NCC", BS_Set_Net_NCC, BS_Get_Net_NCC, "CALL:CELL:NCCODE:SELECTED", 7},
    {"BCC", BS_Set_Net_BCC, BS_Get_Net_BCC, "CALL:CELL:BCCode", 7},
};

TEST_F(IdentityTest, SingleSettersSendValuesInRangeOnly) {
    std::vector<LineCase> cases;
    for (const auto &c : kCodes) {
        for (ViInt32 value : {0, 1, c.maximum}) {
            cases.push_back({std::string(c.name) + " " + std::to_string(value),
                             [set = c.set, value](ViSession vi) { return set(vi, value); },
                             {std::string(c.header) + " " + std::to_string(value) + "\n"}});
        }
        for (ViInt32 value : {c.maximum + 1, -1, INT_MIN, INT_MAX}) {
            cases.push_back({std::string(c.name) + " refuses " + std::to_string(value),
                             [set = c.set, value](ViSession vi) { return set(vi, value); },
                             {}});
        }
    }
    expect_lines(cases);

    std::vector<LineCase> statuses;
    for (const auto &c : kCodes) {
        statuses.push_back({c.name, [set = c.set](ViSession vi) { return set(vi, 1); }, {}});
    }
    expect_write_status_returned(statuses);
}

TEST_F(IdentityTest, GettersDecodeWithoutRangeTests) {
    for (const auto &c : kCodes) {
        SCOPED_TRACE(c.name);
        expect_replies<ViInt32>(c.get, std::string(c.header) + "?\n",
                                {
                                    {"plain", "460\n", 460},
                                    {"signed", "+7\n", 7},
                                    {"beyond the range is passed on", "70000\n", 70000},
                                    {"no number is 0", "NONE\n", 0},
                                });
        expect_failures_leave_output<ViInt32>(c.get, "1\n");
    }
}

TEST_F(IdentityTest, CombinedLineLeavesOutOfRangeCodesOut) {
    const struct {
        const char *name;
        CellIdentity identity;
        const char *line;
    } cases[] = {
        {"all in range", {460, 1, 0, 1, 5}, "CALL:CELL:MCC 460;LAC 1;MNC 0;NCC 1;BCC 5;\n"},
        {"LAC left out", {460, -1, 0, 1, 5}, "CALL:CELL:MCC 460;MNC 0;NCC 1;BCC 5;\n"},
        {"longest line",
         {999, 65535, 99, 7, 7},
         "CALL:CELL:MCC 999;LAC 65535;MNC 99;NCC 7;BCC 7;\n"},
        {"upper bounds plus one", {1000, 65536, 100, 8, 8}, "CALL:CELL:\n"},
        {"extremes", {INT_MIN, INT_MAX, -1, INT_MIN, 3}, "CALL:CELL:BCC 3;\n"},
    };
    std::vector<LineCase> lines;
    for (const auto &c : cases) {
        const CellIdentity identity = c.identity;
        lines.push_back({c.name,
                         [identity](ViSession vi) { return BS_Set_Net_Parameter(vi, &identity); },
                         {c.line}});
    }
    lines.push_back({"null", [](ViSession vi) { return BS_Set_Net_Parameter(vi, nullptr); }, {}});
    expect_lines(lines);

    static const CellIdentity nothing_valid{-1, -1, -1, -1, -1};
    expect_write_status_returned(
        {{"combined", [](ViSession vi) { return BS_Set_Net_Parameter(vi, &nothing_valid); }, {}}});
}

} // namespace
} // namespace gsmbench::test
