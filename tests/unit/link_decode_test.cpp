#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "link/decode.h"

namespace gsmbench::link {
namespace {

TEST(DecodeInt, AtolRules) {
    const struct {
        const char *reply;
        std::int32_t expected;
    } cases[] = {
        {"+5\n", 5},         {"  -3", -3},          {"\t+20\n", 20},   {"", 0},
        {"AUTO\n", 0},       {"2.5", 2},            {"-0", 0},         {"+-1", 0},
        {"12abc", 12},       {"2147483647", 2147483647},
        {"2147483648", 2147483647},                 {"-2147483648", -2147483647 - 1},
        {"-99999999999999", -2147483647 - 1},       {"99999999999999999999", 2147483647},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(decode_int(c.reply), c.expected) << '"' << c.reply << '"';
    }
    EXPECT_EQ(decode_int(nullptr), 0);
}

TEST(DecodeDouble, AtofRulesWithoutWordsOrHex) {
    const struct {
        const char *reply;
        double expected;
    } cases[] = {
        {"-8.5E+001", -85.0}, {"+1.5E+001\n", 15.0}, {"2.5", 2.5},   {".5", 0.5},
        {"5.", 5.0},          {"  -5.25\n", -5.25},  {"1e3x", 1000}, {"1e", 1.0},
        {"1e+", 1.0},         {"abc", 0.0},          {"", 0.0},      {"0x1A", 0.0},
        {"inf", 0.0},         {"nan", 0.0},          {"-.", 0.0},    {"+9.91E+37", 9.91e37},
        {"1e-400", 0.0},
    };
    for (const auto &c : cases) {
        EXPECT_DOUBLE_EQ(decode_double(c.reply), c.expected) << '"' << c.reply << '"';
    }
    EXPECT_TRUE(std::isinf(decode_double("1e999")));
    EXPECT_LT(decode_double("-1e999"), 0);
}

TEST(DecodeDouble, IgnoresDecimalCommaLocale) {
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "de_DE.UTF-8 locale not installed";
    }
    EXPECT_DOUBLE_EQ(decode_double("3.8"), 3.8);
    EXPECT_DOUBLE_EQ(decode_double("3,8"), 3.0);
    std::setlocale(LC_ALL, "C");
}

TEST(NarrowAndTruncate, DefinedAtTheEdges) {
    EXPECT_EQ(narrow_to_float(1e39), std::numeric_limits<float>::infinity());
    EXPECT_EQ(narrow_to_float(-1e39), -std::numeric_limits<float>::infinity());
    EXPECT_EQ(narrow_to_float(3.4028234663852886e38), std::numeric_limits<float>::max());
    EXPECT_FLOAT_EQ(narrow_to_float(9.91e37), 9.91e37f);

    const struct {
        double value;
        std::int32_t expected;
    } cases[] = {
        {3.9, 3},   {-0.7, 0},  {-1.9, -1},  {2.99, 2},
        {9.91e37, 2147483647},  {-9.91e37, -2147483647 - 1},
        {2147483647.5, 2147483647}, {-2147483648.0, -2147483647 - 1},
        {std::numeric_limits<double>::quiet_NaN(), 0},
        {std::numeric_limits<double>::infinity(), 2147483647},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(truncate_to_int32(c.value), c.expected) << c.value;
    }
}

TEST(ReplyPrefix, StrncmpSemantics) {
    EXPECT_TRUE(reply_has_prefix("CONN\n", "CONN", 4));
    EXPECT_FALSE(reply_has_prefix("CON", "CONN", 4));
    EXPECT_TRUE(reply_has_prefix("PAGING\n", "PAG", 3));
    EXPECT_FALSE(reply_has_prefix("conn", "CONN", 4));
    EXPECT_FALSE(reply_has_prefix("", "A", 1));
    EXPECT_FALSE(reply_has_prefix(nullptr, "A", 1));
}

constexpr Keyword kModes[] = {
    {"PBPTT", 5, 7},
    {"PBPT", 4, 6},
    {"PBT", 3, 5},
};
constexpr KeywordTable kModeTable = make_keyword_table(kModes, 11);

TEST(KeywordDecoding, LongerKeywordFirstAndUnrecognisedCode) {
    const struct {
        const char *reply;
        bool matched;
        std::int32_t code;
    } cases[] = {
        {"PBPTT\n", true, 7}, {"PBPT\n", true, 6}, {"PBT", true, 5},
        {"PBPTTX", true, 7},  {"PB", false, 11},   {"", false, 11},
    };
    for (const auto &c : cases) {
        std::int32_t code = -1;
        EXPECT_EQ(decode_keyword(c.reply, kModeTable, code), c.matched) << c.reply;
        EXPECT_EQ(code, c.code) << c.reply;
    }
}

} // namespace
} // namespace gsmbench::link
