// Test plans: the built-in default, overlaying a file on it, and the message
// a bad plan gets (it must name the field).
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "plan.h"

namespace gsmbench::tool {
namespace {

using nlohmann::json;

TEST(Plan, DefaultCoversTwoBandsWithLowMidHighChannels) {
    Plan plan;
    PlanError error;
    ASSERT_TRUE(load_plan(json::object(), plan, error)) << error.message;
    ASSERT_EQ(plan.bands.size(), 2U);
    EXPECT_EQ(band_label(plan.bands[0].code), "900 MHz");
    EXPECT_EQ(band_label(plan.bands[1].code), "1800 MHz");
    for (const BandPlan &band : plan.bands) {
        EXPECT_EQ(band.channels.size(), 3U) << band.name;
        EXPECT_GE(band.tx_levels.size(), 2U) << band.name;
    }
    EXPECT_GT(plan.ber_max_percent, 0);
    EXPECT_EQ(plan.orfs_switching.size() + plan.orfs_modulation.size(), 8U);
}

TEST(Plan, OverridesMergeIntoTheDefault) {
    Plan plan;
    PlanError error;
    const json overrides = {{"cell", {{"power_dbm", -70.5}}},
                            {"limits", {{"rms_phase_error_deg", 1.0}}}};
    ASSERT_TRUE(load_plan(overrides, plan, error)) << error.message;
    EXPECT_DOUBLE_EQ(plan.cell_power_dbm, -70.5);
    EXPECT_EQ(plan.bcc, 5) << "fields the override leaves out keep the default";
    EXPECT_DOUBLE_EQ(plan.rms_phase_error_deg, 1.0);
    EXPECT_DOUBLE_EQ(plan.peak_phase_error_deg, 20.0);
}

TEST(Plan, BadFieldsAreNamedInTheMessage) {
    const json band = {{"band", "DCS"},
                       {"bch_channel", 600},
                       {"channels", {512}},
                       {"tx_levels", {{{"pcl", 0}, {"expected_dbm", 30}, {"tolerance_db", 2}}}},
                       {"frequency_error_hz", 180}};
    auto with_band = [&](const char *key, json value) {
        json b = band;
        b[key] = std::move(value);
        return json{{"bands", {b}}};
    };
    struct Case {
        json overrides;
        const char *message;
    } cases[] = {
        {{{"cell", {{"power_dbm", "high"}}}}, "cell.power_dbm: expected a number, found string"},
        {{{"cell", {{"mcc", 1000}}}}, "cell.mcc: value 1000 is outside 0 .. 999"},
        {{{"cell", {{"bcc", 2.5}}}}, "cell.bcc: expected a whole number, found a fraction"},
        {{{"cell", {{"ncc", nullptr}}}}, "cell.ncc: missing"},
        {{{"limits", {{"rms_phase_eror_deg", 1}}}},
         "limits.rms_phase_eror_deg: unknown field (did you mean 'rms_phase_error_deg'?)"},
        {{{"limits", {{"pvt_mask", 1}}}}, "limits.pvt_mask: expected true or false"},
        {{{"bands", json::array()}}, "bands: expected 1 to 10 entries, found 0"},
        {with_band("band", "GSM1900"), "bands[0].band: unknown band 'GSM1900'"},
        {with_band("channels", {512, 986}), "bands[0].channels[1]: channel 986 is not in DCS"},
        {with_band("bch_channel", 20), "bands[0].bch_channel: channel 20 is not in DCS"},
        {with_band("tx_levels", {{{"pcl", 40}, {"expected_dbm", 0}, {"tolerance_db", 2}}}),
         "bands[0].tx_levels[0].pcl: value 40 is outside 0 .. 31"},
        {with_band("tx_levels", {{{"pcl", 3}, {"expected_dbm", 0}}}), "bands[0].tx_levels[0].tolerance_db: missing"},
        {{{"bands", {band, band}}}, "bands[1].band: DCS is already bands[0]"},
        {{{"path_loss", {{{"frequency", "900%MHZ"}, {"gain_db", 1}}}}},
         "path_loss[0].frequency: '900%MHZ' may hold only letters"},
        {{{"limits", {{"orfs", {{"switching", {{{"offset", "400KHZ"}}}}}}}}},
         "limits.orfs.switching[0].max: missing"},
        {{{"ber", {{"bits", 0}}}}, "ber.bits: value 0 is outside 1 .. 10000000"},
        {{{"timeouts", {{"registration_s", -1}}}}, "timeouts.registration_s: value -1.000 is outside"},
        {{{"colour", "blue"}}, "colour: unknown field"},
        {json::array(), "plan: expected a JSON object"},
    };
    for (const Case &c : cases) {
        Plan plan;
        PlanError error;
        EXPECT_FALSE(load_plan(c.overrides, plan, error)) << c.overrides.dump();
        EXPECT_NE(error.message.find(c.message), std::string::npos)
            << "plan " << c.overrides.dump() << "\n  got: " << error.message << "\n  want: " << c.message;
    }
}

TEST(Plan, FileErrorsNameTheFile) {
    const std::string path = ::testing::TempDir() + "gsmbench_bad_plan.json";
    {
        std::ofstream out(path);
        out << "{ \"cell\": { \"power_dbm\": -60, }";
    }
    Plan plan;
    PlanError error;
    EXPECT_FALSE(load_plan_file(path, plan, error));
    EXPECT_EQ(error.message.rfind(path + ": not valid JSON", 0), 0U) << error.message;
    EXPECT_FALSE(load_plan_file(path + ".missing", plan, error));
    EXPECT_NE(error.message.find("cannot open"), std::string::npos);
    std::remove(path.c_str());
}

TEST(Plan, ChannelRangesFollowTheBands) {
    struct Case {
        const char *band;
        int channel;
        bool valid;
    } cases[] = {{"EGSM", 0, true},    {"EGSM", 975, true},  {"EGSM", 974, false}, {"PGSM", 0, false},
                 {"PGSM", 124, true},  {"DCS", 511, false},  {"DCS", 885, true},   {"PCS", 811, false},
                 {"GSM850", 128, true}, {"GSM850", 252, false}};
    for (const Case &c : cases) {
        EXPECT_EQ(channel_in_band(band_code(c.band), c.channel), c.valid) << c.band << " " << c.channel;
    }
    EXPECT_EQ(band_code("dcs"), 1);
    EXPECT_EQ(band_code("SEL"), -1) << "the selected-band alias is not a band to test in";
}

} // namespace
} // namespace gsmbench::tool
