// The SCPI engine through Bench::execute (no transport): header forms, optional nodes,
// captures, relative paths of compound messages, parameter types and units, the error queue
// and the status registers.
#include "sim_test_instrument.h"

#include "gsmbench/sim/scpi.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace {
using namespace gsmbench::sim;
using simtest::test_options;

class Engine : public ::testing::Test {
  protected:
    void SetUp() override {
        bench = std::make_unique<Bench>(test_options());
        bench->start();
    }
    std::string run(std::string_view message) { return bench->execute("testset", message); }
    // Codes left in the error queue, oldest first (the queue is emptied).
    std::vector<int> errors() {
        std::vector<int> codes;
        for (int i = 0; i < 40; ++i) {
            std::string e = run("SYST:ERR?");
            int code = std::atoi(e.c_str());
            if (code == 0)
                break;
            codes.push_back(code);
        }
        return codes;
    }
    std::unique_ptr<Bench> bench;
};

struct Case {
    const char *input; // lines separated by '\n', each executed as one message
    const char *reply; // replies of all lines, concatenated
    std::vector<int> errors;
};

const Case cases[] = {
    // Forms and case.
    {"*IDN?", "GSMBENCH,TEST-testset,0,1\n", {}},
    {"CALL:OPER:MODE CW\nCALL:OPERATING:MODE?", "CW\n", {}},
    {"call:operating:mode off;mode?", "OFF\n", {}},
    {"CaLl:OpEr:MoDe Cw;MODE?", "CW\n", {}},
    {"CALL:OPERA:MODE?", "", {-113}},
    {"CALL:OPER:MODE?;:CALL:OPER:MODE CALL", "CALL\n", {}},
    // Optional nodes.
    {"FREQ 935 MHZ;FREQ?", "+9.35000E+008\n", {}},
    {"SENS:FREQ 1.8GHZ;:SENSE:FREQUENCY?", "+1.80000E+009\n", {}},
    {"OUTP ON;OUTP?;OUTP:STAT?", "1;1\n", {}},
    {"OUTP:STATE 0;:OUTPUT?", "0\n", {}},
    // Relative paths: ';' keeps the previous header's parent, ':' and '*' do not.
    {"CALL:MS:REP:RXQ:NEW?;NEW?;NEW?", "+1;+2;+3\n", {}},
    {"CALL:MS:REP:RXQ:NEW?;*OPC?;NEW?", "+1;+1;+2\n", {}},
    {"CALL:MS:REP:RXQ:NEW?;MODE?", "+1\n", {-113}},
    {"CALL:MS:REP:RXQ:NEW?;:CALL:OPER:MODE?", "+1;CALL\n", {}},
    {"CALL:CELL:MCC 1;LAC 2;BCC 3;\nCALL:CELL?", "+1,+2,+3\n", {}},
    {"SET:TXP:COUN:STAT ON;STAT?", "TXP,TXP=1\n", {}},
    {"SET:BERR:COUN ON;COUN?", "BERR,BERR=1\n", {}},
    {"SET:BERR:COUN ON;EXTR?", "", {-113}},
    // Captures: literal rows win; a literal dead end falls back to the capture.
    {"SET:PFER:COUN:STAT?", "LITERAL\n", {}},
    {"SETUP:PFERROR:COUNT?", "PFERROR,\n", {}},
    {"SET:TXP:EXTR?", "EXTRA\n", {}},
    {"SET:TXP:COUN?", "TXP,\n", {}},
    {"CALL:tch:MS:TXL:pgsm?", "TCH,PGSM\n", {}},
    {"CALL:TCH:MS:TXL?", "", {-113}},
    {"SET:9X:COUN?", "", {-102}},
    // Numbers, units and multipliers.
    {"FREQ 935000 KHZ;FREQ?", "+9.35000E+008\n", {}},
    {"FREQ 935000000;FREQ?", "+9.35000E+008\n", {}},
    {"FREQ 935.000000MHZ;FREQ?", "+9.35000E+008\n", {}},
    {"FREQ MAX;FREQ?", "+6.00000E+009\n", {}},
    {"FREQ DEF;FREQ?", "+1.00000E+009\n", {}},
    {"FREQ 10 MS", "", {-131}},
    {"FREQ 10 XHZ", "", {-131}},
    {"FREQ 7 GHZ", "", {-222}},
    {"FREQ 1.2.3", "", {-121}},
    {"FREQ abc", "", {-104}},
    {"FREQ \"1\"", "", {-104}},
    {"FREQ", "", {-109}},
    {"FREQ 1 GHZ,2", "", {-108}},
    {"FREQ? 5", "", {-108}},
    {"COUN 5 S", "", {-138}},
    {"COUN 5000", "", {-222}},
    {"SET:TIM:TIME 2.500000 S;TIME?", "+2.50000E+000\n", {}},
    {"SET:TIM:TIME 2.5 MS;TIME?", "+2.50000E-003\n", {}},
    {"SET:TIM:TIME 500 US;TIME?", "+5.00000E-004\n", {}},
    {"SET:TIM:TIME 5.e-002 S;TIME?", "+5.00000E-002\n", {}},
    {"SET:TIM:TIME 0.500000 NS;TIME?", "+5.00000E-010\n", {}},
    {"SET:TIM:TIME -1", "", {-222}},
    {"POW:AMPL 10dBm;AMPL?", "+1.00000E+001\n", {}},
    {"POW:AMPL -2.;AMPL?", "-2.00000E+000\n", {}},
    {"POW:AMPL +1.5E+001;AMPL?", "+1.50000E+001\n", {}},
    {"POW:AMPL -8.5E+001 DBM;AMPL?", "-8.50000E+001\n", {}},
    {"SYST:CORR:FREQ 900MHZ,1800MHZ, 1900MHZ;FREQ?",
     "+3,+9.00000E+008,+1.80000E+009,+1.90000E+009\n",
     {}},
    {"SYST:CORR:FREQ 900MHZ,,1900MHZ", "", {-109}},
    // Booleans, character data, strings.
    {"OUTP 1;OUTP?", "1\n", {}},
    {"OUTP 0.4;OUTP?", "0\n", {}},
    {"OUTP MAYBE", "", {-224}},
    {"CALL:OPER:MODE BAD", "", {-224}},
    {"CALL:OPER:MODE 5", "", {-104}},
    {"CALL:OPER:MODE", "", {-109}},
    {"CALL:OPER:MODE CW,OFF", "", {-108}},
    {"LAB \"a;b,c\";LAB?", "\"a;b,c\"\n", {}},
    {"LAB 'it''s';LAB?", "\"it's\"\n", {}},
    {"LAB nope", "", {-104}},
    {"LAB \"open", "", {-150}},
    // Syntax and characters.
    {"", "", {}},
    {"   ", "", {}},
    {";;", "", {}},
    {"CALL::MODE?", "", {-102}},
    {"CALL:OPER:MODE?X", "", {-102}},
    {"CALL:OPER:MODE?;*IDN?", "CALL;GSMBENCH,TEST-testset,0,1\n", {}},
    {"\xff\xfe junk", "", {-101}},
    {"*FOO", "", {-113}},
    {"*IDN", "", {-113}},
    {"*RST?", "", {-113}},
    {"NOSUCH:HEADER;*OPC?", "+1\n", {-113}},
    {"THROW", "", {-300}},
    {"PUSH -241", "", {-241}},
    // Status registers.
    {"*ESE 36;*ESE?", "+36\n", {}},
    {"FOO\n*ESR?\n*ESR?", "+32\n+0\n", {-113}},
    {"FREQ 9 GHZ\n*ESR?", "+16\n", {-222}},
    {"FOO\n*STB?", "+4\n", {-113}},
    {"*ESE 32\nFOO\n*STB?", "+36\n", {-113}},
    {"*OPC\n*ESR?", "+1\n", {}},
    {"FOO\n*CLS\n*STB?;SYST:ERR:COUN?", "+0;+0\n", {}},
    {"FOO;BAR\nSYST:ERR:COUN?", "+2\n", {-113, -113}},
    {"SIM:TSC 0.5;TSC?\nSIM:TSC 0", "+5.00000E-001\n", {}},
    // Blocking handler at time scale 0: the wait is instant.
    {"TRIG 5 S;:FETC:WAIT?", "+1\n", {}},
};

TEST_F(Engine, CommandTable) {
    for (const Case &c : cases) {
        SCOPED_TRACE(c.input);
        run("*RST;*CLS;*ESE 0");
        std::string replies;
        std::istringstream lines(c.input);
        std::string line;
        while (std::getline(lines, line))
            replies += run(line);
        if (*c.input == '\0')
            replies += run("");
        EXPECT_EQ(replies, c.reply);
        EXPECT_EQ(errors(), c.errors);
    }
}

TEST_F(Engine, TerminatorLeftOnTheMessageIsIgnored) {
    EXPECT_EQ(run("*IDN?\n"), "GSMBENCH,TEST-testset,0,1\n");
    EXPECT_EQ(run("OUTP ON\r\n"), "");
    EXPECT_EQ(run("OUTP?"), "1\n");
    EXPECT_EQ(errors(), std::vector<int>{});
}

TEST_F(Engine, ErrorTextsAndEmptyQueue) {
    EXPECT_EQ(run("SYST:ERR?"), "+0,\"No error\"\n");
    run("CALL:NOPE 1");
    EXPECT_EQ(run("SYSTEM:ERROR:NEXT?"), "-113,\"Undefined header;CALL:NOPE\"\n");
    run("FREQ 9 GHZ");
    EXPECT_EQ(run("SYST:ERR?"), "-222,\"Data out of range\"\n");
    // Quotes of the offending text must not break the quoted error string.
    run("\"x\"");
    EXPECT_EQ(run("SYST:ERR?"), "-102,\"Syntax error;'x'\"\n");
}

TEST_F(Engine, QueueOverflowKeepsOldestAndEndsWithQueueOverflow) {
    for (int i = 0; i < 40; ++i)
        run("FREQ 9 GHZ");
    run("FOO");
    std::vector<int> codes = errors();
    ASSERT_EQ(codes.size(), 30u);
    for (std::size_t i = 0; i + 1 < codes.size(); ++i)
        EXPECT_EQ(codes[i], -222) << i;
    EXPECT_EQ(codes.back(), -350);
    EXPECT_EQ(run("SYST:ERR?"), "+0,\"No error\"\n");
}

TEST_F(Engine, RstResetsModelButNotErrorQueue) {
    run("CALL:OPER:MODE CW;FOO");
    run("*RST");
    EXPECT_EQ(run("CALL:OPER:MODE?"), "CALL\n");
    EXPECT_EQ(errors(), std::vector<int>{-113});
}

TEST_F(Engine, StateDumpIsJsonWithEngineAndModel) {
    run("FOO;OUTP ON");
    auto j = nlohmann::json::parse(run("SIM:STAT?"));
    EXPECT_EQ(j["name"], "testset");
    EXPECT_EQ(j["model"]["output"], true);
    ASSERT_EQ(j["engine"]["errors"].size(), 1u);
    EXPECT_EQ(j["engine"]["errors"][0]["code"], -113);
    auto both = bench->state();
    EXPECT_TRUE(both.contains("testset"));
    EXPECT_TRUE(both.contains("supply"));
}

TEST_F(Engine, InstrumentsHaveSeparateQueues) {
    run("FOO");
    EXPECT_EQ(bench->execute("supply", "SYST:ERR?"), "+0,\"No error\"\n");
    EXPECT_EQ(errors(), std::vector<int>{-113});
}

TEST(RealFormat, RendersInstrumentNumbers) {
    struct Row {
        double value;
        RealFormat format;
        const char *text;
    };
    const Row rows[] = {
        {0.0, {}, "+0.00000E+000"},      {-12.34, {}, "-1.23400E+001"},
        {-12.34, {3, 3}, "-1.234E+001"}, {-12.34, {5, 2}, "-1.23400E+01"},
        {1.5e-7, {2, 3}, "+1.50E-007"},  {9.99999e9, {2, 2}, "+1.00E+10"},
        {1e100, {1, 2}, "+1.0E+100"},    {-0.0, {1, 2}, "+0.0E+00"},
        {NAN, {2, 2}, "+9.91E+37"},      {INFINITY, {1, 2}, "+9.9E+37"},
        {-INFINITY, {1, 2}, "-9.9E+37"},
    };
    for (const Row &r : rows)
        EXPECT_EQ(format_real(r.value, r.format), r.text) << r.value;
}

TEST(ErrorText, StandardNumbers) {
    EXPECT_EQ(error_text(0), "No error");
    EXPECT_EQ(error_text(-113), "Undefined header");
    EXPECT_EQ(error_text(-350), "Queue overflow");
    EXPECT_EQ(error_text(-410), "Query INTERRUPTED");
    EXPECT_EQ(error_text(-420), "Query UNTERMINATED");
    EXPECT_EQ(error_text(-101), "Invalid character");
    EXPECT_EQ(error_text(-999), "Unknown error");
}

// Tables that an instrument could not parse unambiguously are refused when the bench starts.
class BadTable final : public Instrument {
  public:
    explicit BadTable(std::vector<Command> rows) : rows_(std::move(rows)) {}
    std::string name() const override { return "testset"; }
    std::string identity() const override { return "X"; }
    std::vector<Command> commands() override { return rows_; }
    std::vector<Command> rows_;
};

TEST(CommandTable, RejectsAmbiguousOrMalformedRows) {
    auto q = [](Request &, Response &r) { r.integer(1); };
    const std::vector<std::vector<Command>> bad = {
        {{"CONTinuous", nullptr, q}, {"CONTrol", nullptr, q}}, // same short form
        {{"FOO", nullptr, q}, {"FOO", nullptr, q}},            // two query forms
        {{"[FOO", nullptr, q}},                                // unbalanced
        {{"foo", nullptr, q}},                                 // no short form
        {{"FOo:BAR", nullptr, q}, {"FOO:BAZ", nullptr, q}},    // FO/FOO vs FOO/FOO
        {{"A:{x}:B", nullptr, q}, {"A:{1x}:C", nullptr, q}},   // bad capture name
        {{"SYSTem:ERRor", nullptr, q}},                        // engine's own row
        {{"NOHANDLER", nullptr, nullptr}},
    };
    for (std::size_t i = 0; i < bad.size(); ++i) {
        auto rows = bad[i];
        BenchOptions o = test_options();
        o.factory = [rows](const ModelOptions &) {
            return BenchInstruments{std::make_unique<BadTable>(rows),
                                    std::make_unique<BadTable>(std::vector<Command>{})};
        };
        Bench b(o);
        EXPECT_THROW(b.start(), std::logic_error) << "table " << i;
        EXPECT_FALSE(b.running());
    }
}

TEST(CommandTable, SetAndQueryFormsMayComeFromSeparateRows) {
    int value = 0;
    std::vector<Command> rows = {
        {"VALue", [&](Request &r) { value = int(r.integer(0).value_or(-1)); }, nullptr},
        {"VALue", nullptr, [&](Request &, Response &r) { r.integer(value); }},
        {"*IDN", nullptr, [](Request &, Response &r) { r.keyword("OVERRIDDEN"); }},
    };
    BenchOptions o = test_options();
    o.factory = [rows](const ModelOptions &) {
        return BenchInstruments{std::make_unique<BadTable>(rows),
                                std::make_unique<BadTable>(std::vector<Command>{})};
    };
    Bench b(o);
    b.start();
    EXPECT_EQ(b.execute("testset", "VAL 7;VAL?;*IDN?"), "+7;OVERRIDDEN\n");
}

} // namespace
