// Whole commands on the embedded simulator: the production run passing,
// failing on tight limits and stopping on an unreachable instrument, and
// `call`/`scpi` reaching the instruments. The program itself is run once per
// exit status, since the status is what scripts and `make run` see.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <fstream>
#include <regex>
#include <sstream>

#include "commands.h"
#include "embedded_bench.h"
#include "visa_trace.h"

#if defined(_WIN32)
#define popen _popen
#define pclose _pclose
#else
#include <sys/wait.h>
#endif

namespace gsmbench::tool {
namespace {

#if defined(GSMBENCH_TOOL_HAVE_SIM)

struct Outcome {
    int status;
    std::string out, err;
};

Outcome run_command(RunOptions options) {
    std::ostringstream out, err;
    const int status = command_run(options, out, err);
    return {status, out.str(), err.str()};
}

std::string write_temp(const std::string &name, const std::string &text) {
    const std::string path = ::testing::TempDir() + name;
    std::ofstream(path) << text;
    return path;
}

TEST(ToolRun, DefaultPlanPassesOnTheEmbeddedSimulator) {
    RunOptions options;
    options.report_json = ::testing::TempDir() + "gsmbench_run.json";
    options.report_html = ::testing::TempDir() + "gsmbench_run.html";
    options.report_csv = ::testing::TempDir() + "gsmbench_run.csv";
    const Outcome o = run_command(options);
    EXPECT_EQ(o.status, kExitPass) << o.out << o.err;
    EXPECT_EQ(o.out.find("FAIL"), std::string::npos) << o.out;
    std::smatch m;
    ASSERT_TRUE(std::regex_search(o.out, m, std::regex(R"(PASS: (\d+) results, 0 failed, [0-9.]+ s, (\d+) exchanges)")))
        << o.out;
    EXPECT_GT(std::stoi(m[1]), 100);
    EXPECT_GT(std::stoi(m[2]), 100);
#if defined(__ELF__)
    // The writes and reads the tool counted in front of VISA: at least one of
    // each per exchange that is a query.
    EXPECT_TRUE(std::regex_search(o.out, std::regex(R"(exchanges \(\d{3,} writes, \d{3,} reads\))"))) << o.out;
#endif
    // Every part of the typical test shows in the table.
    for (const char *test : {"Call setup", "TX power", "RMS phase error", "Peak phase error", "Frequency error",
                             "PVT mask", "ORFS switching", "ORFS modulation", "BER class II",
                             "RX level (reported)", "RX quality (reported)", "Handover EGSM -> DCS", "Call end",
                             "Test set error queue"}) {
        EXPECT_NE(o.out.find(test), std::string::npos) << test;
    }
    std::ifstream json(options.report_json);
    const auto report = nlohmann::json::parse(json);
    EXPECT_EQ(report["summary"]["verdict"], "PASS");
    std::ifstream html(options.report_html);
    std::stringstream page;
    page << html.rdbuf();
    EXPECT_NE(page.str().find("<svg"), std::string::npos);
}

#if defined(__ELF__)
TEST(ToolRun, TestSetAnswersBeforeThePhoneGetsPower) {
    // The test set and the supply are two connections: lines written to the
    // test set may still be waiting when the supply's "OUTP ON" arrives, and
    // on instant time the phone would then camp on the reset cell and set its
    // call up there. The run must hear from the test set after its last
    // configuration line and before it powers the phone.
    struct Event {
        ViSession vi;
        TraceDirection dir;
        std::string text;
    };
    std::vector<Event> events;
    std::mutex events_mutex;
    set_visa_trace([&](ViSession vi, TraceDirection dir, std::string_view text, ViStatus) {
        std::lock_guard<std::mutex> lock(events_mutex);
        events.push_back({vi, dir, std::string(text)});
    });
    const Outcome o = run_command(RunOptions{});
    set_visa_trace({});
    EXPECT_EQ(o.status, kExitPass) << o.out << o.err;

    auto first_write = [&](const std::string &prefix) {
        return std::find_if(events.begin(), events.end(), [&](const Event &e) {
            return e.dir == TraceDirection::sent && e.text.rfind(prefix, 0) == 0;
        });
    };
    const auto power_on = first_write("OUTP ON");
    const auto cell_mode = first_write("CALL:OPER:MODE");
    ASSERT_NE(power_on, events.end());
    ASSERT_NE(cell_mode, events.end());
    const ViSession testset = cell_mode->vi;
    auto last_testset_write = events.end();
    for (auto it = events.begin(); it != power_on; ++it) {
        if (it->vi == testset && it->dir == TraceDirection::sent) {
            last_testset_write = it;
        }
    }
    ASSERT_NE(last_testset_write, events.end());
    const bool answered = std::any_of(last_testset_write, power_on, [&](const Event &e) {
        return e.vi == testset && e.dir == TraceDirection::received;
    });
    EXPECT_TRUE(answered) << "last test set line before power: " << last_testset_write->text;
}
#endif

TEST(ToolRun, TightLimitsFailWithFailRows) {
    // No phone holds its power within 0.01 dB or its phase error under
    // 0.001 degrees: these rows must fail, the rest of the run carries on.
    RunOptions options;
    options.plan_file = write_temp("gsmbench_tight.json", R"({
      "limits": { "rms_phase_error_deg": 0.001 },
      "bands": [ { "band": "EGSM", "bch_channel": 20, "channels": [37],
                   "tx_levels": [ { "pcl": 5, "expected_dbm": 10.0, "tolerance_db": 0.01 } ],
                   "frequency_error_hz": 90 } ] })");
    const Outcome o = run_command(options);
    EXPECT_EQ(o.status, kExitFail) << o.out << o.err;
    EXPECT_TRUE(std::regex_search(o.out, std::regex(R"(TX power +EGSM +37 +PCL 5 .*9\.99 \.\. 10\.01 dBm +FAIL)")))
        << o.out;
    EXPECT_TRUE(std::regex_search(o.out, std::regex(R"(RMS phase error +EGSM +37 .*FAIL)"))) << o.out;
    EXPECT_TRUE(std::regex_search(o.out, std::regex(R"(\nFAIL: \d+ results, [1-9]\d* failed)"))) << o.out;
}

TEST(ToolRun, PhoneThatCannotFollowAHandoverFailsTheRun) {
    // The simulated phone has no 450 MHz band: the handover drops the call.
    // That is the phone failing, not the bench: FAIL, with the bench left
    // safe (supply off, sessions closed) and no error.
    RunOptions options;
    options.plan_file = write_temp("gsmbench_450.json", R"({ "bands": [
      { "band": "EGSM", "bch_channel": 20, "channels": [37],
        "tx_levels": [ { "pcl": 5, "expected_dbm": 33, "tolerance_db": 2 } ], "frequency_error_hz": 90 },
      { "band": "GSM450", "bch_channel": 276, "channels": [270],
        "tx_levels": [ { "pcl": 5, "expected_dbm": 33, "tolerance_db": 2 } ], "frequency_error_hz": 45 } ] })");
    const Outcome o = run_command(options);
    EXPECT_EQ(o.status, kExitFail) << o.out << o.err;
    EXPECT_TRUE(std::regex_search(o.out, std::regex(R"(Handover EGSM -> GSM450 +GSM450 +270 .*call lost.* FAIL)")))
        << o.out;
    EXPECT_EQ(o.out.find("TX power                GSM450"), std::string::npos) << "nothing measured after the drop";
    EXPECT_TRUE(std::regex_search(o.out, std::regex(R"(Test set error queue .* PASS)"))) << o.out;
    EXPECT_EQ(o.err.find("failed with status"), std::string::npos) << o.err;
}

TEST(ToolRun, UnreachableTestSetIsAnErrorNamingTheCall) {
    RunOptions options;
    options.bench.testset = "TCPIP::127.0.0.1::1::SOCKET";
    options.bench.supply = "TCPIP::127.0.0.1::1::SOCKET";
    const Outcome o = run_command(options);
    EXPECT_EQ(o.status, kExitError);
    EXPECT_NE(o.err.find("OpenGPIB failed with status"), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("TCPIP::127.0.0.1::1::SOCKET"), std::string::npos) << o.err;
    EXPECT_NE(o.out.find("ERROR:"), std::string::npos) << o.out;
}

TEST(ToolRun, BadPlanIsAnErrorNamingTheField) {
    RunOptions options;
    options.plan_file = write_temp("gsmbench_badplan.json", R"({ "cell": { "lac": 70000 } })");
    const Outcome o = run_command(options);
    EXPECT_EQ(o.status, kExitError);
    EXPECT_NE(o.err.find("cell.lac: value 70000 is outside 0 .. 65535"), std::string::npos) << o.err;
}

TEST(ToolCall, RecordsAndOutputsOnTheSimulator) {
    struct Case {
        std::string function;
        std::vector<std::string> args;
        int status;
        const char *expect; // regex over stdout
    } cases[] = {
        {"BS_Get_Testset_Info", {}, kExitPass, R"(-> 0 \(0x00000000\)[^\n]*\n  text: "[^"]+")"},
        {"BS_Set_Call_Ms_TXL", {"band=DCS", "value=5"}, kExitPass, R"(BS_Set_Call_Ms_TXL -> 0 )"},
        {"BS_Get_Call_Ms_TXL", {"band=1"}, kExitPass, R"(BandValue: band=1 value=\d+)"},
        {"BS_Set_Call_Pow", {"-75.5"}, kExitPass, R"(-> 0 )"},
        {"BS_Query_Call_State", {}, kExitPass, R"(int: [0-6]\n)"},
        {"BS_Set_Net_MCC", {"1000"}, kExitFail, R"(-> -1073807360 \(0xBFFF0000\))"},
        {"Power_SetVoltage", {"3.8"}, kExitPass, R"(Power_SetVoltage -> 0 )"},
        {"OpenInstrument", {"rm", "@supply", "0"}, kExitPass, R"(-> 1 \(success\)\n  session: [1-9]\d*)"},
    };
    for (const Case &c : cases) {
        CallOptions options;
        options.function = c.function;
        options.args = c.args;
        std::ostringstream out, err;
        EXPECT_EQ(command_call(options, out, err), c.status) << c.function << "\n" << out.str() << err.str();
        EXPECT_TRUE(std::regex_search(out.str(), std::regex(c.expect)))
            << c.function << ": " << out.str() << err.str();
    }
}

TEST(ToolCall, TraceShowsTheLineTheRecordMade) {
    CallOptions options;
    options.function = "BS_Set_Call_Ms_TXL";
    options.args = {"band=DCS", "value=7"};
    options.bench.trace = true;
    std::ostringstream out, err;
    EXPECT_EQ(command_call(options, out, err), kExitPass) << err.str();
    EXPECT_NE(err.str().find("< CALL:MS:TXL:DCS 7"), std::string::npos) << "trace:\n" << err.str();
}

TEST(ToolCall, UnknownFunctionSuggestsTheNearest) {
    CallOptions options;
    options.function = "BS_Get_Cal_Pow";
    std::ostringstream out, err;
    EXPECT_EQ(command_call(options, out, err), kExitError);
    EXPECT_NE(err.str().find("did you mean BS_Get_Call_Pow"), std::string::npos) << err.str();
}

TEST(ToolScpi, RawLinesAndReplies) {
    EmbeddedBench bench({});
    ScpiOptions options;
    options.resource = bench.testset_resource();
    options.lines = {"CALL:POW -77", "CALL:POW?", "*IDN?"};
    options.bench.trace = true;
    std::ostringstream out, err;
    EXPECT_EQ(command_scpi(options, out, err), kExitPass) << err.str();
#if defined(__ELF__)
    // The tool's own view of VISA: what it wrote and what it read, in order.
    EXPECT_TRUE(std::regex_search(err.str(), std::regex(R"(< CALL:POW -77\\n\n.*< CALL:POW\?\\n\n.*> [-+]7\.7)")))
        << err.str();
#endif
    std::istringstream replies(out.str());
    std::string power, identity, extra;
    ASSERT_TRUE(std::getline(replies, power));
    ASSERT_TRUE(std::getline(replies, identity));
    EXPECT_FALSE(std::getline(replies, extra)) << "one reply per query, none for commands";
    EXPECT_DOUBLE_EQ(std::stod(power), -77.0);
    EXPECT_FALSE(identity.empty());
}

#if !defined(_WIN32)
int program_status(const std::string &args, std::string &output) {
    const std::string command = std::string("\"") + GSMBENCH_TOOL_PATH + "\" " + args + " 2>&1";
    FILE *pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return -1;
    }
    char buf[4096];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) {
        output.append(buf, n);
    }
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ToolProgram, ExitStatusesOfRun) {
    const std::string tight = write_temp("gsmbench_tight_program.json",
                                         R"({ "limits": { "peak_phase_error_deg": 0.0001 } })");
    struct Case {
        std::string args;
        int status;
        const char *expect;
    } cases[] = {
        {"run --quiet", 0, "PASS: "},
        {"run --quiet --plan " + tight, 1, "FAIL: "},
        {"run --quiet --testset TCPIP::127.0.0.1::1::SOCKET --supply TCPIP::127.0.0.1::1::SOCKET", 2,
         "OpenGPIB failed"},
        {"run --testset TCPIP::127.0.0.1::1::SOCKET", 2, "give both --testset and --supply"},
        {"call BS_Nope", 2, "unknown function"},
        {"frobnicate", 2, ""},
    };
    for (const Case &c : cases) {
        std::string output;
        EXPECT_EQ(program_status(c.args, output), c.status) << c.args << "\n" << output;
        EXPECT_NE(output.find(c.expect), std::string::npos) << c.args << "\n" << output;
    }
}
#endif

#endif // GSMBENCH_TOOL_HAVE_SIM

} // namespace
} // namespace gsmbench::tool
