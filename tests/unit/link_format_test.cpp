#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <string>
#include <type_traits>

#include "gsmbench.h"
#include "link/format.h"

namespace gsmbench::link {
namespace {

std::string compose_str(const char *tmpl, double value) {
    Line<64> line;
    compose(line, tmpl, value);
    return line.ok() ? line.c_str() : "<overflow>";
}

TEST(LineFormat, FixedSixDecimalsMatchesPrintf) {
    const struct {
        double value;
        const char *expected;
    } cases[] = {
        {0.0, "0.000000"},          {2.5, "2.500000"},
        {static_cast<float>(-85.3), "-85.300003"}, {-110.5, "-110.500000"},
        {static_cast<float>(935.2), "935.200012"}, {1e-7, "0.000000"},
        {5e-7, "0.000000"},         {5.000001e-7, "0.000001"},
        {-0.0, "-0.000000"},        {123456789.0, "123456789.000000"},
    };
    for (const auto &c : cases) {
        char reference[64];
        std::snprintf(reference, sizeof reference, "%f", c.value);
        EXPECT_EQ(compose_str("%f", c.value), c.expected) << c.value;
        EXPECT_EQ(compose_str("%f", c.value), reference) << c.value;
    }
}

TEST(LineFormat, SameBytesUnderDecimalCommaLocale) {
    const char *previous = std::setlocale(LC_ALL, nullptr);
    const std::string saved = previous ? previous : "C";
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "de_DE.UTF-8 locale not installed";
    }
    char c_library[32];
    std::snprintf(c_library, sizeof c_library, "%f", 3.8);
    EXPECT_STREQ(c_library, "3,800000") << "the locale should use a decimal comma";
    Line<64> line;
    compose(line, "VOLT %f\n", static_cast<float>(3.8));
    EXPECT_STREQ(line.c_str(), "VOLT 3.800000\n");
    std::setlocale(LC_ALL, saved.c_str());
}

TEST(LineFormat, DirectivesAndPercentInText) {
    Line<128> line;
    compose(line, "CALL:%s:%s %d\n", "TC%sH", std::string_view("PGSM"), -1);
    ASSERT_TRUE(line.ok());
    EXPECT_STREQ(line.c_str(), "CALL:TC%sH:PGSM -1\n");

    Line<32> percent;
    compose(percent, "A%%B %d", 7);
    EXPECT_STREQ(percent.c_str(), "A%B 7");
}

TEST(LineFormat, OverflowIsReportedNeverTruncatedSilently) {
    Line<8> exact;
    compose(exact, "%s", "1234567"); // 7 characters and the terminator fit
    EXPECT_TRUE(exact.ok());
    Line<8> over;
    compose(over, "%s", "12345678");
    EXPECT_FALSE(over.ok());
    EXPECT_LT(std::strlen(over.c_str()), 8u);
}

TEST(LineFormat, TemplateArgumentMismatchIsRefused) {
    Line<64> wrong_kind;
    compose(wrong_kind, "X %d\n", "text");
    EXPECT_FALSE(wrong_kind.ok());
    Line<64> missing;
    compose(missing, "X %d %d\n", 1);
    EXPECT_FALSE(missing.ok());
    Line<64> extra;
    compose(extra, "X\n", 1);
    EXPECT_FALSE(extra.ok());
    Line<64> unknown;
    compose(unknown, "X %x\n", 1);
    EXPECT_FALSE(unknown.ok());
}

TEST(LineFormat, IntegersFullRange) {
    Line<64> line;
    compose(line, "%d %d %d", std::int32_t{0}, std::int32_t{-2147483647 - 1},
            std::int32_t{2147483647});
    EXPECT_STREQ(line.c_str(), "0 -2147483648 2147483647");
}

// ViInt32 is `long` on Windows, where long has 32 bits: it must compose as an
// integer there. Where long has 64 bits it must not be accepted at all, since
// it would be cut to 32 bits without a word.
static_assert(std::is_constructible_v<FormatArg, long> == (sizeof(long) == sizeof(std::int32_t)));
static_assert(std::is_constructible_v<FormatArg, ViInt32>);

TEST(FieldText, StopsAtTerminatorOrFieldEnd) {
    char terminated[8] = {'T', 'C', 'H', '\0', 'X', 'X', 'X', 'X'};
    EXPECT_EQ(field_text(terminated, sizeof terminated), "TCH");
    char full[4] = {'A', 'B', 'C', 'D'};
    EXPECT_EQ(field_text(full, sizeof full), "ABCD");
    EXPECT_EQ(field_text(nullptr, 4), "");
}

TEST(LineFormat, HugeValueFitsOnlyWhereRoomAllows) {
    // -1e37f prints with 38 digits: 18 + 1 + 38 + 8 bytes do not fit 64.
    Line<64> small;
    compose(small, "CALL:POW:AMPL:SEL %f\n", -1e37f);
    EXPECT_FALSE(small.ok());
    Line<64> fits;
    compose(fits, "CALL:POW:AMPL:SEL %f\n", 1e30f);
    EXPECT_TRUE(fits.ok());
}

} // namespace
} // namespace gsmbench::link
