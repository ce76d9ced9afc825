// Checks on the cell folder's tables themselves: every code has its row in
// place, keyword rows are ordered so that none hides a later one, the set
// lines and the keyword tables name the same mnemonic for a code, and no
// lookup can reach past a table's last row.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <string_view>

#include "cell/channels.h"
#include "cell/connection.h"
#include "cell/identity.h"
#include "cell/mode_band.h"
#include "cell/power.h"

namespace gsmbench::cell {
namespace {

template <std::size_t Rows>
void check_fixed_lines(const FixedLine (&table)[Rows], std::string_view prefix) {
    for (std::size_t i = 0; i < Rows; ++i) {
        SCOPED_TRACE(table[i].name);
        const std::string_view line(table[i].name);
        EXPECT_EQ(table[i].code, static_cast<std::int32_t>(i)) << "row out of place";
        EXPECT_EQ(line.substr(0, prefix.size()), prefix);
        EXPECT_GT(line.size(), prefix.size() + 1) << "no keyword";
        EXPECT_EQ(line.find('\n'), line.size() - 1) << "one line feed, at the end";
        EXPECT_EQ(line.find('?'), std::string_view::npos) << "a set line is no query";
        EXPECT_EQ(line.find('%'), std::string_view::npos) << "fixed lines have no directive";
    }
    EXPECT_EQ(link::name_for(table, static_cast<std::int32_t>(Rows)), nullptr);
    EXPECT_EQ(link::name_for(table, -1), nullptr);
}

void check_keywords(const link::KeywordTable &table, std::int32_t unrecognised) {
    std::set<std::int32_t> codes;
    for (std::size_t i = 0; i < table.count; ++i) {
        const link::Keyword &row = table.rows[i];
        SCOPED_TRACE(row.keyword);
        EXPECT_EQ(row.length, std::strlen(row.keyword)) << "the whole keyword is compared";
        EXPECT_TRUE(codes.insert(row.code).second) << "code used twice";
        for (std::size_t j = i + 1; j < table.count; ++j) {
            EXPECT_NE(std::strncmp(table.rows[j].keyword, row.keyword, row.length), 0)
                << row.keyword << " hides the later " << table.rows[j].keyword;
        }
    }
    // Codes 0..count-1 each once; the unrecognised code is none of them.
    EXPECT_EQ(codes.size(), table.count);
    EXPECT_EQ(*codes.begin(), 0);
    EXPECT_EQ(*codes.rbegin(), static_cast<std::int32_t>(table.count) - 1);
    EXPECT_EQ(table.unrecognised, unrecognised);
}

// The keyword a set line sends for code c is the one its query decodes to c.
template <std::size_t Rows>
void check_round_trip(const FixedLine (&lines)[Rows], const link::KeywordTable &keywords) {
    for (std::size_t i = 0; i < Rows; ++i) {
        const std::string_view line(lines[i].name);
        const std::size_t space = line.rfind(' ');
        const std::string keyword(line.substr(space + 1, line.size() - space - 2));
        std::int32_t code = -1;
        EXPECT_TRUE(link::decode_keyword((keyword + "\n").c_str(), keywords, code)) << keyword;
        EXPECT_EQ(code, static_cast<std::int32_t>(i)) << keyword;
    }
}

TEST(CellTables, FixedLinesHaveARowPerCode) {
    check_fixed_lines(kOperatingModeLines, "CALL:OPER:MODE ");
    check_fixed_lines(kCellBandLines, "CALL:BAND ");
    check_fixed_lines(kTchBandLines, "CALL:SET:TCH:BAND ");
    check_fixed_lines(kConnectionTypeLines, "CALL:FUNC:CONN:TYPE ");
}

TEST(CellTables, KeywordsAreOrderedLongerFirst) {
    check_keywords(kOperatingModeKeywords, 11);
    // Bands decode to 0..9; 10 is the band table's selected band (SEL), which
    // no band reply names, so an unrecognised band is 11.
    check_keywords(kBandKeywords, 11);
    check_keywords(kConnectionTypeKeywords, 6);
}

TEST(CellTables, SetLinesAndQueriesAgreeOnEveryCode) {
    check_round_trip(kOperatingModeLines, kOperatingModeKeywords);
    check_round_trip(kCellBandLines, kBandKeywords);
    check_round_trip(kTchBandLines, kBandKeywords);
    check_round_trip(kConnectionTypeLines, kConnectionTypeKeywords);
    // The band lines are the band table's first ten names.
    for (std::int32_t code = 0; code < 10; ++code) {
        EXPECT_EQ(std::string(kCellBandLines[code].name),
                  std::string("CALL:BAND ") + link::band_name(code) + "\n");
    }
}

TEST(CellTables, TemplatesAndQueriesAreWellFormed) {
    const char *sets[] = {kChannelForBand, kChannelTypeForBand, kChannelTypeForBand2,
                          kActiveBand,     kActiveBandOnType,   kActiveBand2,
                          kTchChannel,     kCellPower,          kCellPowerAmplitude,
                          kTchMsTxl,       kBandMsTxl,          kTypedMsTxl,
                          kTypedMsTxlBurst};
    const char *queries[] = {kOperatingModeQuery,  kCellBandQuery,   kTchBandQuery,
                             kConnectionTypeQuery, kTchChannelQuery, kChannelNumberQuery,
                             kCellPowerQuery,      kBandMsTxlQuery,  kCurrentMsTxlQuery};
    for (std::string_view set : sets) {
        EXPECT_EQ(set.find('?'), std::string_view::npos) << set;
        EXPECT_EQ(set.find('\n'), set.size() - 1) << set;
    }
    for (std::string_view query : queries) {
        EXPECT_EQ(query.substr(query.size() - 2), "?\n") << query;
        EXPECT_EQ(query.find('?'), query.size() - 2) << query;
    }
    for (const auto &row : kIdentityCodes) {
        EXPECT_EQ(std::string_view(row.set_template).find('?'), std::string_view::npos);
        EXPECT_EQ(std::string_view(row.query).substr(std::strlen(row.query) - 2), "?\n");
        // The set and query lines name the same header.
        const std::string_view set(row.set_template);
        EXPECT_EQ(std::string(set.substr(0, set.find(' '))) + "?\n", row.query);
    }
}

TEST(CellTables, IdentityRowsFollowTheRecordOrder) {
    const char *pieces[] = {"MCC %d;", "LAC %d;", "MNC %d;", "NCC %d;", "BCC %d;"};
    ASSERT_EQ(kIdentityCodeCount, 5u);
    for (std::size_t i = 0; i < kIdentityCodeCount; ++i) {
        EXPECT_EQ(static_cast<std::size_t>(kIdentityCodes[i].code), i);
        EXPECT_STREQ(kIdentityCodes[i].piece, pieces[i]);
    }
}

} // namespace
} // namespace gsmbench::cell
