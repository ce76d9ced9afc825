// The viPrintf / viScanf engines on in-memory sinks and sources.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdarg>
#include <cstring>
#include <string>

#include "formatted_io.h"

using namespace gsmbench::visa;

namespace {

class StringSink : public TextSink {
  public:
    ViStatus put(const char *data, std::size_t size) noexcept override {
        text.append(data, size);
        return VI_SUCCESS;
    }
    std::string text;
};

std::string print(const char *format, ...) {
    StringSink sink;
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const ViStatus st = format_output(sink, format, &copy);
    va_end(copy);
    va_end(args);
    return st == VI_SUCCESS ? sink.text : "<status " + std::to_string(st) + ">";
}

// Messages separated as a device would: each ends at '\n'.
class StringSource : public ByteSource {
  public:
    explicit StringSource(std::string s) : data(std::move(s)) {}
    int peek(ViStatus &status) noexcept override {
        if (done) {
            return kEndOfMessage;
        }
        if (pos == data.size()) {
            status = VI_ERROR_TMO;
            return kFailed;
        }
        return static_cast<unsigned char>(data[pos]);
    }
    void advance() noexcept override { done = data[pos++] == '\n'; }
    std::string data;
    std::size_t pos = 0;
    bool done = false;
};

ViStatus scan(StringSource &src, const char *format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const ViStatus st = scan_input(src, format, &copy);
    va_end(copy);
    va_end(args);
    return st;
}

} // namespace

TEST(FormatOutput, MatchesPrintfForTheSupportedConversions) {
    struct Row {
        std::string got;
        const char *want;
    };
    const Row rows[] = {
        {print("CALL:CELL:LACODE %d\n", 1234), "CALL:CELL:LACODE 1234\n"},
        {print("%d|%i|%u", -5, 7, 4000000000u), "-5|7|4000000000"},
        {print("%f", 3.8), "3.800000"},
        {print("%.2f|%8.3f|%-8.1f|%+f", 1.005, -2.5, 1.25, 0.0),
         "1.00|  -2.500|1.2     |+0.000000"},
        {print("%e|%E|%g|%G", 12345.678, 0.00012, 0.0001, 1e20),
         "1.234568e+04|1.200000E-04|0.0001|1E+20"},
        {print("%05d|%-5d|%+d|% d", 42, 42, 42, 42), "00042|42   |+42| 42"},
        {print("%x|%X|%o|%#x", 255u, 255u, 8u, 255u), "ff|FF|10|ff"},
        {print("%s|%10s|%-6s|%.3s", "abc", "right", "left", "truncated"),
         "abc|     right|left  |tru"},
        {print("%c%c", 'O', 'K'), "OK"},
        {print("100%%"), "100%"},
        {print("%*d|%.*f", 4, 7, 1, 2.25), "   7|2.2"},
        {print("%ld|%lld|%hd|%hhd", static_cast<ViInt32>(-70000), -5000000000LL, 70000, 300),
         "-70000|-5000000000|4464|44"},
        {print("%s", "50% duty"), "50% duty"},
        {print("%.0f|%.3d", 2.5, 7), "2|007"},
    };
    for (const auto &r : rows) {
        EXPECT_EQ(r.got, r.want);
    }
}

TEST(FormatOutput, IgnoresTheProcessLocale) {
    const char *old = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = old ? old : "C";
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr &&
        std::setlocale(LC_NUMERIC, "fr_FR.UTF-8") == nullptr) {
        GTEST_SKIP() << "no decimal-comma locale installed";
    }
    EXPECT_EQ(print("%f", 3.5), "3.500000");
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(FormatOutput, RefusesBrokenAndUnsupportedDirectives) {
    EXPECT_EQ(print("abc %"), "<status " + std::to_string(VI_ERROR_INV_FMT) + ">");
    EXPECT_EQ(print("%5.2"), "<status " + std::to_string(VI_ERROR_INV_FMT) + ">");
    EXPECT_EQ(print("%q"), "<status " + std::to_string(VI_ERROR_NSUP_FMT) + ">");
}

TEST(ScanInput, WidthBoundsTheStoreAndTheRestOfTheReplyIsConsumedByT) {
    StringSource src("ABCDEFGHIJ\nNEXT\n");
    char buf[5];
    std::memset(buf, 'x', sizeof buf);
    ASSERT_EQ(scan(src, "%4t", buf), VI_SUCCESS);
    EXPECT_STREQ(buf, "ABCD");
    EXPECT_TRUE(src.done);
    EXPECT_EQ(src.data.substr(src.pos), "NEXT\n");
}

TEST(ScanInput, TKeepsTheTerminatorAndSReadsOneWord) {
    StringSource a("+5.25E+00\n");
    char t[32] = {};
    ASSERT_EQ(scan(a, "%31t", t), VI_SUCCESS);
    EXPECT_STREQ(t, "+5.25E+00\n");

    StringSource b("  1.5,2.5,3.5 rest\n");
    char s[32] = {};
    ASSERT_EQ(scan(b, "%31s", s), VI_SUCCESS);
    EXPECT_STREQ(s, "1.5,2.5,3.5");
}

TEST(ScanInput, CountedStringReportsWhatItStored) {
    StringSource src("HELLO WORLD\n");
    char buf[6];
    ViInt32 count = sizeof buf;
    ASSERT_EQ(scan(src, "%#t", &count, buf), VI_SUCCESS);
    EXPECT_STREQ(buf, "HELLO");
    EXPECT_EQ(count, 5);

    StringSource words("ab cdefgh\n");
    char w1[8], w2[4];
    ViInt32 n1 = sizeof w1, n2 = sizeof w2;
    ASSERT_EQ(scan(words, "%#s%#s", &n1, w1, &n2, w2), VI_SUCCESS);
    EXPECT_STREQ(w1, "ab");
    EXPECT_STREQ(w2, "cde");
    EXPECT_EQ(n2, 3);
}

TEST(ScanInput, NumbersWithLengthsAndLiterals) {
    StringSource src("-12,+3.5E2,ff,  7\n");
    ViInt32 i = 0;
    double d = 0;
    unsigned x = 0;
    short h = 0;
    ASSERT_EQ(scan(src, "%d,%lf,%x,%hd", &i, &d, &x, &h), VI_SUCCESS);
    EXPECT_EQ(i, -12);
    EXPECT_DOUBLE_EQ(d, 350.0);
    EXPECT_EQ(x, 255u);
    EXPECT_EQ(h, 7);

    StringSource f("9.91E+37\n");
    float v = 0;
    ASSERT_EQ(scan(f, "%f", &v), VI_SUCCESS);
    EXPECT_FLOAT_EQ(v, 9.91e37f);
}

TEST(ScanInput, AMismatchStopsWithoutTouchingLaterArguments) {
    StringSource src("abc\n");
    ViInt32 i = 99;
    ASSERT_EQ(scan(src, "%d", &i), VI_SUCCESS);
    EXPECT_EQ(i, 99);
}

TEST(ScanInput, AReplyThatNeverEndsReportsTheSourceError) {
    StringSource src("no terminator");
    char buf[64];
    EXPECT_EQ(scan(src, "%63t", buf), VI_ERROR_TMO);
}

TEST(ScanInput, RefusesUnsupportedDirectives) {
    StringSource src("x\n");
    char buf[4];
    EXPECT_EQ(scan(src, "%[a-z]", buf), VI_ERROR_NSUP_FMT);
    EXPECT_EQ(scan(src, "%#d", buf), VI_ERROR_NSUP_FMT);
    EXPECT_EQ(scan(src, "%"), VI_ERROR_INV_FMT);
}

// Bounded random replies through the driver's two directives: the buffer is
// never overrun (ASan) and always ends with a NUL inside it.
TEST(RandomInput, DriverDirectivesNeverOverrunTheirBuffer) {
    std::uint32_t seed = 777;
    auto next = [&] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    const char alphabet[] = "0123456789+-.,E \t\r\nABCxyz";
    for (int round = 0; round < 2000; ++round) {
        std::string reply(next() % 80, ' ');
        for (auto &c : reply) {
            c = alphabet[next() % (sizeof alphabet - 1)];
        }
        reply += '\n';
        const std::size_t size = 2 + next() % 40;
        std::vector<char> buffer(size, 'x');
        const std::string directive =
            "%" + std::to_string(size - 1) + ((round % 2 == 0) ? "t" : "s");
        StringSource src(reply);
        ASSERT_EQ(scan(src, directive.c_str(), buffer.data()), VI_SUCCESS);
        EXPECT_NE(std::find(buffer.begin(), buffer.end(), '\0'), buffer.end()) << reply;
    }
}
