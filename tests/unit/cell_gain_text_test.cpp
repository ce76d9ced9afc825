// The five-significant-digit text of a path-loss gain, on the worked values
// and around every place where the form or the digit count changes.
#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <limits>
#include <string>

#include "cell/gain_text.h"

namespace gsmbench::cell {
namespace {

std::string gain_text(double value) {
    char out[kGainTextSize];
    const std::size_t length = render_gain(value, out);
    EXPECT_EQ(length, std::string(out).size());
    return out;
}

struct GainCase {
    const char *name;
    double value;
    const char *expected;
};

// The gains callers pass are floats; these are the floats widened.
const GainCase kWorkedValues[] = {
    {"whole", 3.0f, "3."},
    {"negative half", -0.5f, "-0.5"},
    {"two decimals", 1.25f, "1.25"},
    {"five digits", 12.345f, "12.345"},
    {"zero", 0.0f, "0."},
    {"negative zero", -0.0f, "0."},
    {"ten keeps its point", 10.0f, "10."},
    {"0.05 in exponent form", 0.05f, "5.e-002"},
    {"small", 2.5e-5f, "2.5e-005"},
    {"large", 2.5e5f, "2.5e+005"},
    {"rounded large negative", -1.234567e5f, "-1.2346e+005"},
    {"negative small", -0.05f, "-5.e-002"},
    {"five-digit whole number in full", 12345.0f, "12345"},
    {"largest five-digit", 99999.0f, "99999"},
    {"six digits go to exponent form", 123456.0f, "1.2346e+005"},
    {"a power of ten", 100000.0f, "1.e+005"},
    // 0.01 as a float lies just below 0.01, so its leading digit is at 10^-3;
    // it rounds up to the next power in exponent form.
    {"float 0.01", 0.01f, "1.e-002"},
    {"largest float", FLT_MAX, "3.4028e+038"},
    {"smallest float", std::numeric_limits<float>::denorm_min(), "1.4013e-045"},
};

// Doubles placed exactly on the boundaries (the renderer takes a double).
const GainCase kBoundaries[] = {
    // e = -1 is fixed with five decimals; e = -2 is exponent form.
    {"0.1 fixed", 0.1, "0.1"},
    {"0.12345 fixed", 0.12345, "0.12345"},
    {"0.099999 exponent", 0.099999, "9.9999e-002"},
    {"double just below 0.1 stays exponent", std::nextafter(0.1, 0.0), "1.e-001"},
    {"0.0999996 rounds up, exponent form kept", 0.0999996, "1.e-001"},
    {"0.999996 carries to 1", 0.999996, "1."},
    // e = 4 is fixed with no decimals; e = 5 is exponent form.
    {"99999.4", 99999.4, "99999"},
    {"99999.5 rounds to six digits in full", 99999.5, "100000"},
    {"99999.7", 99999.7, "100000"},
    {"negative 99999.5", -99999.5, "-100000"},
    {"double just below 1e5 stays fixed", std::nextafter(100000.0, 0.0), "100000"},
    {"100000.4", 100000.4, "1.e+005"},
    // A carry into a new digit within the fixed form.
    {"9.99995 carries", 9.99995, "10."},
    {"9.99996 carries", 9.99996, "10."},
    {"negative carry", -9.99996, "-10."},
    {"9.99994 does not", 9.99994, "9.9999"},
    // Ties on the exact value go to the even digit.
    {"tie down to even", 12344.5, "12344"},
    {"tie up to even", 12345.5, "12346"},
    {"exponent tie to even up", 123455.0, "1.2346e+005"},
    {"exponent tie to even down", 123465.0, "1.2346e+005"},
    // The exponent always has three digits, whatever the platform's printf.
    {"1e-4", 0.0001, "1.e-004"},
    {"1e23 (stored just below)", 1e23, "1.e+023"},
    {"tiny double", 1e-300, "1.e-300"},
    {"largest double", DBL_MAX, "1.7977e+308"},
    {"smallest double", std::numeric_limits<double>::denorm_min(), "4.9407e-324"},
};

TEST(GainText, WorkedValues) {
    for (const auto &c : kWorkedValues) {
        EXPECT_EQ(gain_text(c.value), c.expected) << c.name;
    }
}

TEST(GainText, Boundaries) {
    for (const auto &c : kBoundaries) {
        EXPECT_EQ(gain_text(c.value), c.expected) << c.name;
    }
}

TEST(GainText, NonFiniteValuesHaveNoText) {
    for (double value :
         {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
          std::numeric_limits<double>::quiet_NaN()}) {
        char out[kGainTextSize] = "junk";
        EXPECT_EQ(render_gain(value, out), 0u) << value;
        EXPECT_STREQ(out, "");
    }
}

TEST(GainText, SameTextUnderADecimalCommaLocale) {
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "de_DE.UTF-8 locale not installed";
    }
    for (const auto &c : kWorkedValues) {
        EXPECT_EQ(gain_text(c.value), c.expected) << c.name;
    }
    std::setlocale(LC_ALL, saved.c_str());
}

} // namespace
} // namespace gsmbench::cell
