// Judging values against limits and writing the reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <regex>
#include <sstream>

#include "progress.h"
#include "report.h"
#include "results.h"

namespace gsmbench::tool {
namespace {

TEST(Results, JudgeAgainstEitherOrBothLimits) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        double measured;
        std::optional<double> low, high;
        Verdict want;
    } cases[] = {
        {31.0, 31.0, 35.0, Verdict::pass},        {30.99, 31.0, 35.0, Verdict::fail},
        {35.0, 31.0, 35.0, Verdict::pass},        {35.01, 31.0, 35.0, Verdict::fail},
        {-90.0, -90.0, 90.0, Verdict::pass},      {4.9, std::nullopt, 5.0, Verdict::pass},
        {5.1, std::nullopt, 5.0, Verdict::fail},  {-1e9, std::nullopt, 5.0, Verdict::pass},
        {7.0, 0.0, std::nullopt, Verdict::pass},  {nan, std::nullopt, 5.0, Verdict::fail},
        {nan, std::nullopt, std::nullopt, Verdict::fail},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(judge(c.measured, c.low, c.high), c.want) << c.measured;
    }
}

TEST(Results, IntegrityRowsFailWithTheReason) {
    const ResultRow row = integrity_row("TX power", "EGSM", 37, "PCL 5", 1);
    EXPECT_EQ(row.verdict, Verdict::fail);
    EXPECT_FALSE(row.measured.has_value());
    EXPECT_NE(measured_text(row).find("no result available"), std::string::npos);
}

RunReport sample_report() {
    RunReport report;
    auto tx = [&](const char *band, int channel, int pcl, double dbm, double expected) {
        ResultRow r = make_row("TX power", band, channel, "PCL " + std::to_string(pcl), dbm, "dBm",
                               expected - 2, expected + 2);
        r.pcl = pcl;
        report.rows.push_back(r);
    };
    tx("EGSM", 975, 5, 32.9, 33);
    tx("EGSM", 975, 19, 5.2, 5);
    tx("EGSM", 37, 5, 36.0, 33); // over the limit
    tx("DCS", 512, 0, 29.8, 30);
    report.rows.push_back(make_row("BER class II", "DCS", 512, "-102.0 dBm", 0.5, "%", std::nullopt, 2.44));
    ResultRow odd = make_row("Note, with \"quotes\"", "", -1, "", 1, "", std::nullopt, std::nullopt);
    report.rows.push_back(odd);
    report.summary.plan_name = "Plan <A&B>";
    report.summary.seconds = 0.25;
    report.summary.calls = 321;
    report.summary.passed = false;
    return report;
}

TEST(Report, TableShowsEveryRowAndTheFigures) {
    const RunReport report = sample_report();
    std::ostringstream out;
    write_table(out, report, false);
    const std::string text = out.str();
    EXPECT_NE(text.find("36.00 dBm"), std::string::npos);
    EXPECT_NE(text.find("31.00 .. 35.00 dBm"), std::string::npos);
    EXPECT_NE(text.find("<= 2.44 %"), std::string::npos);
    EXPECT_EQ(summary_line(report), "FAIL: 6 results, 1 failed, 0.250 s, 321 exchanges");
    EXPECT_NE(text.find(summary_line(report)), std::string::npos);
    EXPECT_EQ(text.find("\x1b["), std::string::npos) << "no colour codes when not on a terminal";
}

TEST(Report, CsvQuotesWhereNeeded) {
    std::ostringstream out;
    write_csv(out, sample_report());
    const std::string csv = out.str();
    EXPECT_EQ(csv.rfind("test,band,channel,level,measured,unit,low,high,verdict,note\n", 0), 0U);
    EXPECT_NE(csv.find("TX power,EGSM,37,PCL 5,36.000,dBm,31.000,35.000,FAIL,\n"), std::string::npos);
    EXPECT_NE(csv.find("\"Note, with \"\"quotes\"\"\",,,,1.000,,,,PASS,\n"), std::string::npos);
}

TEST(Report, JsonCarriesTheSummaryAndRows) {
    const nlohmann::json j = report_json(sample_report());
    EXPECT_EQ(j["summary"]["verdict"], "FAIL");
    EXPECT_EQ(j["summary"]["failed"], 1);
    EXPECT_EQ(j["summary"]["exchanges"], 321);
    ASSERT_EQ(j["results"].size(), 6U);
    EXPECT_EQ(j["results"][2]["verdict"], "FAIL");
    EXPECT_EQ(j["results"][2]["pcl"], 5);
    EXPECT_TRUE(j["results"][4]["low"].is_null());
    EXPECT_DOUBLE_EQ(j["results"][4]["high"].get<double>(), 2.44);
}

TEST(Report, HtmlIsSelfContainedWithTheChart) {
    std::ostringstream out;
    write_html(out, sample_report());
    const std::string html = out.str();
    EXPECT_NE(html.find("<svg"), std::string::npos);
    EXPECT_NE(html.find("Plan &lt;A&amp;B&gt;"), std::string::npos) << "text is escaped";
    EXPECT_EQ(html.find("Plan <A&B>"), std::string::npos);
    EXPECT_EQ(html.find("src="), std::string::npos) << "nothing loaded from elsewhere";
    EXPECT_EQ(html.find("href="), std::string::npos);
    EXPECT_NE(html.find("<tr class=\"fail\">"), std::string::npos);
}

TEST(Report, ChartHasAPanelPerBandAPointPerMeasurementAndLimitLines) {
    const std::string svg = tx_power_svg(sample_report());
    auto count = [&](const std::string &what) {
        const std::regex pattern(what);
        return std::distance(std::sregex_iterator(svg.begin(), svg.end(), pattern), std::sregex_iterator());
    };
    EXPECT_EQ(count("<circle"), 4);
    EXPECT_EQ(count(">EGSM TX power<"), 1);
    EXPECT_EQ(count(">DCS TX power<"), 1);
    // Upper and lower limit line per band.
    EXPECT_EQ(count("limit</title></path>"), 4);
    // The failing point is drawn in the failure colour.
    EXPECT_NE(svg.find("fill=\"#d62728\"><title>ch 37, PCL 5: 36.00 dBm"), std::string::npos);
}

} // namespace
} // namespace gsmbench::tool

namespace gsmbench::tool {
namespace {

// A run polls thousands of times; the plain log must not grow with the polls.
TEST(Progress, PlainLogHasOneLinePerStepAndPerChangeOfWait) {
    std::ostringstream out;
    auto progress = make_progress(ProgressStyle::plain, out);
    progress->step("open sessions");
    for (int i = 0; i < 100; ++i) {
        progress->waiting("call state IDLE");
    }
    progress->waiting("call state CONN");
    progress->step("measure");
    progress->waiting("call state CONN"); // a new step: shown again
    progress->finish();
    const std::string log = out.str();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 5) << log;
    EXPECT_EQ(log.find('\r'), std::string::npos);
}

TEST(Progress, LiveLineIsClearedBeforeTheResults) {
    std::ostringstream out;
    auto progress = make_progress(ProgressStyle::live, out);
    progress->step("open sessions");
    progress->waiting("call state IDLE");
    progress->finish();
    const std::string text = out.str();
    EXPECT_EQ(text.find('\n'), std::string::npos) << "a live display rewrites one line";
    ASSERT_GE(text.size(), 4U);
    EXPECT_EQ(text.substr(text.size() - 4), "\r\x1b[K");
}

} // namespace
} // namespace gsmbench::tool
