// Channel numbers and active bands: text-driven records inserted as they
// stand, code-driven records through the shared band and channel-type tables.
#include <climits>
#include <cstring>
#include <string>

#include "cell_exchange_checks.h"

namespace gsmbench::test {
namespace {

class ChannelTest : public ExchangeTest {};

ChannelBandText text_record(const std::string &type, const std::string &band, ViInt32 channel) {
    ChannelBandText record;
    std::memset(&record, 0, sizeof record);
    std::memcpy(record.channelType, type.data(), std::min(type.size(), sizeof record.channelType));
    std::memcpy(record.band, band.data(), std::min(band.size(), sizeof record.band));
    record.channel = channel;
    return record;
}

using TextFunction = ViStatus (*)(ViSession, const ChannelBandText *);
using CodeFunction = ViStatus (*)(ViSession, const ChannelBandCode *);

struct TextFunctionRow {
    const char *name;
    TextFunction set;
    // The line for type, band and channel.
    std::string (*line)(const std::string &type, const std::string &band, ViInt32 channel);
};

const TextFunctionRow kTextFunctions[] = {
    {"Channel_For_Band", BS_Set_Channel_For_Band,
     [](const std::string &t, const std::string &b, ViInt32 c) {
         return "CALL:" + t + ":" + b + " " + std::to_string(c) + "\n";
     }},
    {"ChannelType_For_Band", BS_Set_ChannelType_For_Band,
     [](const std::string &t, const std::string &b, ViInt32 c) {
         return "CALL:SET:" + t + ":" + b + " " + std::to_string(c) + "\n";
     }},
    {"ChannelType_For_Band2", BS_Set_ChannelType_For_Band2,
     [](const std::string &t, const std::string &b, ViInt32 c) {
         return "CALL:CHAN:" + t + ":" + b + " " + std::to_string(c) + "\n";
     }},
    {"Active_Band", BS_Set_Active_Band,
     [](const std::string &t, const std::string &b, ViInt32) {
         return "CALL:" + t + ":BAND " + b + "\n";
     }},
    {"Active_Band_OnType", BS_Set_Active_Band_OnType,
     [](const std::string &t, const std::string &b, ViInt32) {
         return "CALL:SET:" + t + ":BAND " + b + "\n";
     }},
    {"Active_Band2", BS_Set_Active_Band2,
     [](const std::string &t, const std::string &b, ViInt32) {
         return "CALL:BAND:" + t + " " + b + "\n";
     }},
};

TEST_F(ChannelTest, WorkedLines) {
    const ChannelBandText bch = text_record("BCH", "PGSM", 20);
    const ChannelBandCode dcs_tch{1, 0, 512};
    expect_lines({
        {"tch channel",
         [](ViSession vi) { return BS_Set_TCH_Channel(vi, 62); },
         {"CALL:SET:TCH 62\n"}},
        {"negative tch channel",
         [](ViSession vi) { return BS_Set_TCH_Channel(vi, -1); },
         {"CALL:SET:TCH -1\n"}},
        {"lowest tch channel",
         [](ViSession vi) { return BS_Set_TCH_Channel(vi, INT_MIN); },
         {"CALL:SET:TCH -2147483648\n"}},
        {"channel type for band",
         [&](ViSession vi) { return BS_Set_ChannelType_For_Band(vi, &bch); },
         {"CALL:SET:BCH:PGSM 20\n"}},
        {"active band 2",
         [&](ViSession vi) { return BS_Set_Active_Band2(vi, &bch); },
         {"CALL:BAND:BCH PGSM\n"}},
        {"channel for band by code",
         [&](ViSession vi) { return BS_Set_ChannelForBand(vi, &dcs_tch); },
         {"CALL:TCH:DCS 512\n"}},
        {"active band by code",
         [&](ViSession vi) { return BS_Set_ActiveBand(vi, &dcs_tch); },
         {"CALL:TCH:BAND DCS\n"}},
    });
}

// Each text-driven function with texts that must pass exactly as given.
TEST_F(ChannelTest, TextRecordsAreSentAsTheyStand) {
    const struct {
        const char *name;
        std::string type, band;
        ViInt32 channel;
        std::string sent_type, sent_band; // what the line must carry
    } records[] = {
        {"plain", "TCH", "EGSM", 975, "TCH", "EGSM"},
        {"empty texts", "", "", 0, "", ""},
        {"percent signs are text", "%s%d", "100%", -7, "%s%d", "100%"},
        // A field without a terminator is read within its 32 bytes only: the
        // band field and the channel number that follow are not part of it.
        {"unterminated fields", std::string(32, 'T'), std::string(32, 'B'), 3, std::string(32, 'T'),
         std::string(32, 'B')},
    };
    std::vector<LineCase> cases;
    for (const auto &f : kTextFunctions) {
        for (const auto &r : records) {
            const ChannelBandText record = text_record(r.type, r.band, r.channel);
            cases.push_back({std::string(f.name) + " / " + r.name,
                             [set = f.set, record](ViSession vi) { return set(vi, &record); },
                             {f.line(r.sent_type, r.sent_band, r.channel)}});
        }
        cases.push_back({std::string(f.name) + " / null",
                         [set = f.set](ViSession vi) { return set(vi, nullptr); },
                         {}});
    }
    expect_lines(cases);
}

TEST_F(ChannelTest, CodeRecordsUseTheSharedTables) {
    const struct {
        const char *name;
        ChannelBandCode record;
        const char *channel_line; // BS_Set_ChannelForBand; nullptr: refused
        const char *band_line;    // BS_Set_ActiveBand
    } rows[] = {
        {"PGSM TCH", {0, 0, 1}, "CALL:TCH:PGSM 1\n", "CALL:TCH:BAND PGSM\n"},
        {"selected band BCH", {10, 1, 7}, "CALL:BCH:SEL 7\n", "CALL:BCH:BAND SEL\n"},
        {"TGSM810", {9, 0, -2}, "CALL:TCH:TGSM810 -2\n", "CALL:TCH:BAND TGSM810\n"},
        {"band 11", {11, 0, 1}, nullptr, nullptr},
        {"channel type 2", {0, 2, 1}, nullptr, nullptr},
        {"negative band", {-1, 0, 1}, nullptr, nullptr},
        {"negative channel type", {0, -1, 1}, nullptr, nullptr},
        {"lowest band", {INT_MIN, 0, 1}, nullptr, nullptr},
    };
    std::vector<LineCase> cases;
    for (const auto &r : rows) {
        const ChannelBandCode record = r.record;
        cases.push_back({std::string("channel / ") + r.name,
                         [record](ViSession vi) { return BS_Set_ChannelForBand(vi, &record); },
                         r.channel_line ? std::vector<std::string>{r.channel_line}
                                        : std::vector<std::string>{}});
        cases.push_back(
            {std::string("band / ") + r.name,
             [record](ViSession vi) { return BS_Set_ActiveBand(vi, &record); },
             r.band_line ? std::vector<std::string>{r.band_line} : std::vector<std::string>{}});
    }
    cases.push_back(
        {"channel / null", [](ViSession vi) { return BS_Set_ChannelForBand(vi, nullptr); }, {}});
    cases.push_back(
        {"band / null", [](ViSession vi) { return BS_Set_ActiveBand(vi, nullptr); }, {}});
    expect_lines(cases);
}

TEST_F(ChannelTest, SetReturnsTheWriteStatus) {
    static const ChannelBandText text = text_record("TCH", "DCS", 512);
    static const ChannelBandCode code{1, 0, 512};
    std::vector<LineCase> cases = {
        {"tch channel", [](ViSession vi) { return BS_Set_TCH_Channel(vi, 1); }, {}},
        {"by code", [](ViSession vi) { return BS_Set_ChannelForBand(vi, &code); }, {}},
        {"band by code", [](ViSession vi) { return BS_Set_ActiveBand(vi, &code); }, {}},
    };
    for (const auto &f : kTextFunctions) {
        cases.push_back({f.name, [set = f.set](ViSession vi) { return set(vi, &text); }, {}});
    }
    expect_write_status_returned(cases);
}

using Replies = std::vector<ReplyCase<ViInt32>>;

const Replies kChannelReplies = {
    {"plain", "512\n", 512},
    {"signed", "+20\n", 20},
    {"leading blanks and minus", "  -5\n", -5},
    {"stops at the first non-digit", "62.9\n", 62},
    {"no number is 0", "DCS\n", 0},
    {"empty is 0", "", 0},
};

TEST_F(ChannelTest, TrafficChannelNumber) {
    expect_replies<ViInt32>(BS_Get_TCH_Current_Channel_NUM, "CALL:TCH?\n", kChannelReplies);
    expect_failures_leave_output<ViInt32>(BS_Get_TCH_Current_Channel_NUM, "20\n");
}

// The active channel number comes from the channel type's own channel
// query, so the record's channel receives a number rather than a band name
// decoded to 0. The band field is not used and the record's codes are left
// as they were.
TEST_F(ChannelTest, ActiveChannelNumberOfAChannelType) {
    const struct {
        ViInt32 channel_type;
        const char *query;
    } types[] = {{0, "CALL:TCH?\n"}, {1, "CALL:BCH?\n"}};
    for (const auto &t : types) {
        SCOPED_TRACE(t.query);
        const QueryCall<ViInt32> call = [&t](ViSession vi, ViInt32 *out) {
            if (out == nullptr) {
                return BS_Get_Active_Channel_NUM(vi, nullptr);
            }
            ChannelBandCode record{GSMB_BAND_SEL, t.channel_type, *out};
            const ViStatus status = BS_Get_Active_Channel_NUM(vi, &record);
            EXPECT_EQ(record.band, GSMB_BAND_SEL);
            EXPECT_EQ(record.channelType, t.channel_type);
            *out = record.channel;
            return status;
        };
        expect_replies<ViInt32>(call, t.query, kChannelReplies);
        expect_failures_leave_output<ViInt32>(call, "20\n");
    }
    for (ViInt32 bad_type : {2, -1, INT_MAX}) {
        SCOPED_TRACE(bad_type);
        fresh();
        ChannelBandCode record{0, bad_type, 77};
        EXPECT_EQ(BS_Get_Active_Channel_NUM(vi, &record), kSystemError);
        EXPECT_EQ(record.channel, 77);
        EXPECT_TRUE(lines().empty());
    }
}

} // namespace
} // namespace gsmbench::test
