// Operating mode, cell band, traffic-channel band and connection type: one
// fixed line per code, and the reply keyword mapped back to the code.
#include <climits>
#include <string>

#include "cell_exchange_checks.h"

namespace gsmbench::test {
namespace {

class CodedSettingTest : public ExchangeTest {};

using SetFunction = ViStatus (*)(ViSession, ViInt32);
using GetFunction = ViStatus (*)(ViSession, ViInt32 *);

// Every valid code with its line, then codes that must be refused.
std::vector<LineCase> coded_lines(SetFunction set, const char *prefix,
                                  const std::vector<std::string> &keywords,
                                  const std::vector<ViInt32> &refused) {
    std::vector<LineCase> cases;
    for (std::size_t code = 0; code < keywords.size(); ++code) {
        const ViInt32 value = static_cast<ViInt32>(code);
        cases.push_back({std::string(prefix) + keywords[code],
                         [set, value](ViSession vi) { return set(vi, value); },
                         {std::string(prefix) + keywords[code] + "\n"}});
    }
    for (ViInt32 code : refused) {
        cases.push_back({"refused " + std::to_string(code),
                         [set, code](ViSession vi) { return set(vi, code); },
                         {}});
    }
    return cases;
}

const std::vector<std::string> kModes = {"OFF",  "CALL",  "CW",  "GBT",  "GBTT", "PBT",
                                         "PBPT", "PBPTT", "EBT", "EBPT", "EBPTT"};
const std::vector<std::string> kBands = {"PGSM",   "DCS",    "EGSM", "GSM450", "GSM480",
                                         "GSM750", "GSM850", "PCS",  "RGSM",   "TGSM810"};
const std::vector<std::string> kConnectionTypes = {"A", "B", "ACKB", "BLER", "AUTO", "SRBL"};

TEST_F(CodedSettingTest, SetLinesAndRefusedCodes) {
    expect_lines(coded_lines(BS_Set_Call_Operating_Mode, "CALL:OPER:MODE ", kModes,
                             {11, -1, INT_MIN, INT_MAX}));
    // The selected band (10) is no band a cell can be switched to.
    expect_lines(coded_lines(BS_Set_Call_Band_Mode, "CALL:BAND ", kBands, {10, 11, -1, INT_MIN}));
    expect_lines(
        coded_lines(BS_Set_TCH_Band_Mode, "CALL:SET:TCH:BAND ", kBands, {10, 11, -1, INT_MIN}));
    expect_lines(coded_lines(BS_Set_Call_Connect_Type, "CALL:FUNC:CONN:TYPE ", kConnectionTypes,
                             {6, -1, INT_MIN}));
}

TEST_F(CodedSettingTest, SetReturnsTheWriteStatus) {
    expect_write_status_returned({
        {"mode", [](ViSession vi) { return BS_Set_Call_Operating_Mode(vi, 7); }, {}},
        {"cell band", [](ViSession vi) { return BS_Set_Call_Band_Mode(vi, 9); }, {}},
        {"tch band", [](ViSession vi) { return BS_Set_TCH_Band_Mode(vi, 0); }, {}},
        {"connection", [](ViSession vi) { return BS_Set_Call_Connect_Type(vi, 5); }, {}},
    });
}

using Replies = std::vector<ReplyCase<ViInt32>>;

TEST_F(CodedSettingTest, OperatingModeReplies) {
    Replies cases;
    for (std::size_t code = 0; code < kModes.size(); ++code) {
        cases.push_back({"keyword", kModes[code] + "\n", static_cast<ViInt32>(code)});
    }
    cases.push_back({"longest keyword wins whatever follows", "PBPTTX", 7});
    cases.push_back({"no terminator", "GBT", 3});
    cases.push_back({"empty", "", 11, kSystemError});
    cases.push_back({"shorter than a keyword", "CAL\n", 11, kSystemError});
    cases.push_back({"other word", "IDLE\n", 11, kSystemError});
    cases.push_back({"lower case", "call\n", 11, kSystemError});
    cases.push_back({"longer than the reply buffer", "EBPTT" + std::string(100, 'X'), 10});
    expect_replies<ViInt32>(BS_Get_Call_Operating_Mode, "CALL:OPER:MODE?\n", cases);
}

TEST_F(CodedSettingTest, BandReplies) {
    Replies cases;
    for (std::size_t code = 0; code < kBands.size(); ++code) {
        cases.push_back({"keyword", kBands[code] + "\n", static_cast<ViInt32>(code)});
    }
    cases.push_back({"selected band is no cell band", "SEL\n", 11, kSystemError});
    cases.push_back({"empty", "", 11, kSystemError});
    cases.push_back({"truncated keyword", "GSM85", 11, kSystemError});
    cases.push_back({"longer than the reply buffer", "TGSM810" + std::string(100, ' '), 9});
    expect_replies<ViInt32>(BS_Get_Call_Band_Mode, "CALL:BAND?\n", cases);
    // The traffic-channel band is queried under CALL:TCH:BAND, not CALL:SET.
    expect_replies<ViInt32>(BS_Get_TCH_Band_Mode, "CALL:TCH:BAND?\n", cases);
}

TEST_F(CodedSettingTest, ConnectionTypeReplies) {
    expect_replies<ViInt32>(BS_Get_Call_Connect_Type, "CALL:FUNC:CONN:TYPE?\n",
                            Replies{
                                {"ACKB", "ACKB\n", 2},
                                {"AUTO", "AUTO\n", 4},
                                {"BLER", "BLER\n", 3},
                                {"SRBL", "SRBL\n", 5},
                                {"A", "A\n", 0},
                                {"B", "B\n", 1},
                                {"another A word", "ACK\n", 0},
                                {"another B word", "BLE\n", 1},
                                {"other letter", "C\n", 6, kSystemError},
                                {"empty", "", 6, kSystemError},
                            });
}

TEST_F(CodedSettingTest, GetFailuresLeaveTheCode) {
    const struct {
        const char *name;
        GetFunction get;
        const char *reply;
    } cases[] = {
        {"mode", BS_Get_Call_Operating_Mode, "CALL\n"},
        {"cell band", BS_Get_Call_Band_Mode, "DCS\n"},
        {"tch band", BS_Get_TCH_Band_Mode, "DCS\n"},
        {"connection", BS_Get_Call_Connect_Type, "A\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        expect_failures_leave_output<ViInt32>(c.get, c.reply);
    }
}

} // namespace
} // namespace gsmbench::test
