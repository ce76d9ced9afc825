// The list decoder every result fetch shares.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "gsmbench.h"
#include "meas/float_list.h"

namespace {

constexpr float kUnset = -12345.0f;
constexpr int kGuards = 4;

// Decodes `reply` into `capacity` elements followed by guard elements, all
// preset to kUnset; returns every element, guards included.
std::vector<float> decode(const char *reply, int capacity) {
    std::vector<float> values(static_cast<std::size_t>(capacity) + kGuards, kUnset);
    EXPECT_EQ(ParseFloatList(reply, values.data(), capacity), 1);
    for (int i = capacity; i < capacity + kGuards; ++i) {
        EXPECT_EQ(values[i], kUnset) << "guard " << i - capacity << " written";
    }
    values.resize(static_cast<std::size_t>(capacity));
    return values;
}

TEST(ParseFloatList, Tokenising) {
    const float U = kUnset;
    const struct {
        const char *reply;
        int capacity;
        std::vector<float> expected;
    } cases[] = {
        {"1;2 3,4", 4, {1, 2, 3, 4}},    // the three delimiters separate equally
        {"5,,7", 3, {5, 7, U}},          // empty fields collapse
        {";; ,5 ;,7,, ;", 3, {5, 7, U}}, // leading/trailing runs too
        {"", 2, {U, U}},                 // no token: nothing stored
        {",;, ", 2, {U, U}},
        {"1,2,3,4,5", 3, {1, 2, 3}}, // capacity bounds the stores
        {"1,2", 0, {}},
        {"abc,2", 2, {0, 2}},             // a word still takes its element
        {"12dBm,-3.5Hz", 2, {12, -3.5f}}, // unit words after the number
        {"1\n", 1, {1}},                  // line end inside a token
        {"\t-2,\r\n", 2, {-2, 0}},        // leading white space inside a token
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.reply);
        EXPECT_EQ(decode(c.reply, c.capacity), c.expected);
    }
}

TEST(ParseFloatList, NumberGrammar) {
    const struct {
        const char *token;
        float expected;
    } cases[] = {
        {"+1.25000000E+001", 12.5f},
        {"-0.5", -0.5f},
        {".5", 0.5f},
        {"5.", 5.0f},
        {"1e3", 1000.0f},
        {"1E-2", 0.01f},
        {"2e", 2.0f}, // incomplete exponent: the mantissa stands
        {"2e+", 2.0f},
        {"+-3", 0.0f},
        {"-", 0.0f},
        {".", 0.0f},
        {"0x1F", 0.0f}, // no hexadecimal: the "0" before the x
        {"inf", 0.0f},  // no words
        {"-INFINITY", 0.0f},
        {"nan", 0.0f},
        {"1.5.5", 1.5f},
        {"9.91E+37", 9.91e37f},
        {"1e39", INFINITY}, // beyond the float range
        {"-1e400", -INFINITY},
        {"1e-50", 0.0f},
        {"16777217", 16777216.0f}, // rounded to the nearest float
        {"0.1000000000000000055511151231257827", 0.1f},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.token);
        EXPECT_EQ(decode(c.token, 1)[0], c.expected);
    }
}

TEST(ParseFloatList, NegativeZeroKeepsItsSign) {
    const float v = decode("-0.0", 1)[0];
    EXPECT_EQ(v, 0.0f);
    EXPECT_TRUE(std::signbit(v));
}

TEST(ParseFloatList, NullArgumentsAndNonPositiveCapacityStoreNothing) {
    float values[2] = {kUnset, kUnset};
    EXPECT_EQ(ParseFloatList(nullptr, values, 2), 1);
    EXPECT_EQ(ParseFloatList("1,2", values, -1), 1);
    EXPECT_EQ(ParseFloatList("1,2", nullptr, 2), 1);
    EXPECT_EQ(values[0], kUnset);
    EXPECT_EQ(values[1], kUnset);
}

TEST(ParseFloatList, ReplyIsNotModified) {
    const char original[] = "1,2;3 4";
    char reply[sizeof original];
    std::memcpy(reply, original, sizeof original);
    float values[4];
    ParseFloatList(reply, values, 4);
    EXPECT_EQ(std::memcmp(reply, original, sizeof original), 0);
}

TEST(ParseFloatList, DecimalCommaLocaleChangesNothing) {
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "de_DE.UTF-8 locale not installed";
    }
    const auto values = decode("3.8,1,5", 3);
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_EQ(values, (std::vector<float>{3.8f, 1, 5}));
}

// White box: a fixed buffer is read only within its bytes, terminated or not.
TEST(ParseFloatListBounded, UnterminatedBufferIsReadWithinItsSize) {
    const char buffer[6] = {'1', ',', '2', ',', '3', '4'}; // no NUL
    float values[3] = {kUnset, kUnset, kUnset};
    EXPECT_EQ(gsmbench::meas::parse_float_list(buffer, values, 3, sizeof buffer), 3u);
    EXPECT_EQ(values[2], 34.0f);

    const char stops_at_nul[8] = {'5', '\0', '6', ',', '7'};
    EXPECT_EQ(gsmbench::meas::parse_float_list(stops_at_nul, values, 3, sizeof stops_at_nul), 1u);
    EXPECT_EQ(values[0], 5.0f);
}

} // namespace
