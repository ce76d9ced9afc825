// Path-loss correction: the frequency list line and the gain list line, the
// pairing of the two, and the refusals that keep a line from being cut.
#include <clocale>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "cell_exchange_checks.h"

namespace gsmbench::test {
namespace {

class PathLossTest : public ExchangeTest {};

CorrectionPoint point(const std::string &frequency, float gain) {
    CorrectionPoint p;
    std::memset(&p, 0, sizeof p);
    std::memcpy(p.frequency, frequency.data(), std::min(frequency.size(), sizeof p.frequency));
    p.gain = gain;
    return p;
}

CorrectionTable table(const std::vector<CorrectionPoint> &points, ViInt32 count) {
    CorrectionTable t;
    std::memset(&t, 0, sizeof t);
    for (std::size_t i = 0; i < points.size() && i < GSMB_CORRECTION_POINTS; ++i) {
        t.point[i] = points[i];
    }
    t.count = count;
    return t;
}

const CorrectionTable kThreePoints =
    table({point("900MHZ", -1.5f), point("1800MHZ", -2.0f), point("1900MHZ", -2.25f)}, 3);

std::vector<LineCase> table_cases() {
    std::vector<LineCase> cases;
    auto add = [&cases](const std::string &name, const CorrectionTable &t,
                        std::vector<std::string> lines) {
        cases.push_back({name,
                         [t](ViSession vi) { return BS_Set_Syst_Corr_Freq_And_Offset(vi, &t); },
                         std::move(lines)});
    };
    add("three points", kThreePoints,
        {"SYST:CORR:FREQ 900MHZ,1800MHZ,1900MHZ\n", "SYST:CORR:SGAIN -1.5,-2.,-2.25\n"});
    add("one point has no separator", table({point("935.2MHZ", 0.05f)}, 1),
        {"SYST:CORR:FREQ 935.2MHZ\n", "SYST:CORR:SGAIN 5.e-002\n"});
    add("count below the points in the record", table({point("A", 1), point("B", 2)}, 1),
        {"SYST:CORR:FREQ A\n", "SYST:CORR:SGAIN 1.\n"});
    add("percent sign in a frequency", table({point("9%sMHZ", 12345.0f)}, 1),
        {"SYST:CORR:FREQ 9%sMHZ\n", "SYST:CORR:SGAIN 12345\n"});

    // Twenty unterminated 32-byte frequencies still fit; each is read within
    // its own field, never into the gain that follows it.
    std::vector<CorrectionPoint> full;
    std::string frequencies = "SYST:CORR:FREQ ";
    std::string gains = "SYST:CORR:SGAIN ";
    for (int i = 0; i < GSMB_CORRECTION_POINTS; ++i) {
        const std::string text(32, static_cast<char>('A' + i));
        full.push_back(point(text, -123456.7f));
        const char *end = (i + 1 < GSMB_CORRECTION_POINTS) ? "," : "\n";
        frequencies += text + end;
        gains += std::string("-1.2346e+005") + end;
    }
    add("twenty unterminated points", table(full, 20), {frequencies, gains});

    for (ViInt32 count :
         {0, -1, 21, std::numeric_limits<ViInt32>::max(), std::numeric_limits<ViInt32>::min()}) {
        add("count " + std::to_string(count), table(full, count), {});
    }
    // A gain without a number text refuses the whole table before sending.
    add("infinite gain",
        table({point("A", 1), point("B", std::numeric_limits<float>::infinity())}, 2), {});
    add("NaN gain", table({point("A", std::numeric_limits<float>::quiet_NaN())}, 1), {});
    cases.push_back({"null table",
                     [](ViSession vi) { return BS_Set_Syst_Corr_Freq_And_Offset(vi, nullptr); },
                     {}});
    return cases;
}

TEST_F(PathLossTest, TableLines) {
    expect_lines(table_cases());
}

TEST_F(PathLossTest, SinglePointLines) {
    const CorrectionPoint p = point("1800MHZ", -2.5f);
    const CorrectionPoint small = point("ignored", 0.05f);
    const CorrectionPoint unterminated = point(std::string(32, 'F'), 10.0f);
    const CorrectionPoint nan = point("900MHZ", std::numeric_limits<float>::quiet_NaN());
    const std::string longest(1007, '9');
    expect_lines({
        {"one point",
         [&](ViSession vi) { return BS_Set_Syst_Corr_Freq_And_Offset_One(vi, &p); },
         {"SYST:CORR:FREQ 1800MHZ\n", "SYST:CORR:SGAIN -2.5\n"}},
        {"one unterminated point",
         [&](ViSession vi) { return BS_Set_Syst_Corr_Freq_And_Offset_One(vi, &unterminated); },
         {"SYST:CORR:FREQ " + std::string(32, 'F') + "\n", "SYST:CORR:SGAIN 10.\n"}},
        {"one NaN point",
         [&](ViSession vi) { return BS_Set_Syst_Corr_Freq_And_Offset_One(vi, &nan); },
         {}},
        {"one null",
         [](ViSession vi) { return BS_Set_Syst_Corr_Freq_And_Offset_One(vi, nullptr); },
         {}},
        {"offset ignores the frequency",
         [&](ViSession vi) { return BS_Set_Syst_Corr_Offset(vi, &small); },
         {"SYST:CORR:SGAIN 5.e-002\n"}},
        {"offset zero",
         [](ViSession vi) {
             const CorrectionPoint zero = point("", 0.0f);
             return BS_Set_Syst_Corr_Offset(vi, &zero);
         },
         {"SYST:CORR:SGAIN 0.\n"}},
        {"offset NaN", [&](ViSession vi) { return BS_Set_Syst_Corr_Offset(vi, &nan); }, {}},
        {"offset null", [](ViSession vi) { return BS_Set_Syst_Corr_Offset(vi, nullptr); }, {}},
        {"frequency list",
         [](ViSession vi) { return BS_Set_Syst_Corr_Freq(vi, "900MHZ,1800 MHZ"); },
         {"SYST:CORR:FREQ 900MHZ,1800 MHZ\n"}},
        {"frequency list with percent",
         [](ViSession vi) { return BS_Set_Syst_Corr_Freq(vi, "%n%s"); },
         {"SYST:CORR:FREQ %n%s\n"}},
        {"empty frequency list",
         [](ViSession vi) { return BS_Set_Syst_Corr_Freq(vi, ""); },
         {"SYST:CORR:FREQ \n"}},
        {"longest frequency list fits",
         [&](ViSession vi) { return BS_Set_Syst_Corr_Freq(vi, longest.c_str()); },
         {"SYST:CORR:FREQ " + longest + "\n"}},
        {"one character more is refused",
         [&](ViSession vi) { return BS_Set_Syst_Corr_Freq(vi, (longest + "9").c_str()); },
         {}},
        {"null frequency list",
         [](ViSession vi) { return BS_Set_Syst_Corr_Freq(vi, nullptr); },
         {}},
    });
}

// The gain list follows only a frequency list the instrument took; the
// second line's status is the call's status.
TEST_F(PathLossTest, GainLineNeverFollowsAFailedFrequencyLine) {
    static const CorrectionPoint p = point("900MHZ", 1.0f);
    const struct {
        const char *name;
        Call call;
    } pairs[] = {
        {"table", [](ViSession vi) { return BS_Set_Syst_Corr_Freq_And_Offset(vi, &kThreePoints); }},
        {"one point", [](ViSession vi) { return BS_Set_Syst_Corr_Freq_And_Offset_One(vi, &p); }},
    };
    for (const auto &pair : pairs) {
        for (ViStatus injected : {kIoError, kWarning}) {
            SCOPED_TRACE(std::string(pair.name) + " / " + std::to_string(injected));
            fresh();
            fail_write(injected, 0);
            EXPECT_EQ(pair.call(vi), injected);
            ASSERT_EQ(lines().size(), 1u);
            EXPECT_EQ(lines()[0].rfind("SYST:CORR:FREQ ", 0), 0u);

            fresh();
            fail_write(injected, 1);
            EXPECT_EQ(pair.call(vi), injected);
            ASSERT_EQ(lines().size(), 2u);
            EXPECT_EQ(lines()[1].rfind("SYST:CORR:SGAIN ", 0), 0u);
        }
    }
}

TEST_F(PathLossTest, SingleLineCallsReturnTheWriteStatus) {
    static const CorrectionPoint p = point("900MHZ", 1.0f);
    expect_write_status_returned({
        {"frequency list", [](ViSession vi) { return BS_Set_Syst_Corr_Freq(vi, "900MHZ"); }, {}},
        {"offset", [](ViSession vi) { return BS_Set_Syst_Corr_Offset(vi, &p); }, {}},
    });
}

TEST_F(PathLossTest, SameBytesUnderADecimalCommaLocale) {
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "de_DE.UTF-8 locale not installed";
    }
    expect_lines({table_cases()[0], table_cases()[1]});
    std::setlocale(LC_ALL, saved.c_str());
}

} // namespace
} // namespace gsmbench::test
