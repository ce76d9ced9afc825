// The command channel through the fake VISA: exact bytes, bounded reads,
// status rules.
#include <cstring>

#include "driver_test.h"
#include "link/channel.h"
#include "link/code_tables.h"
#include "link/delay.h"

namespace gsmbench::test {
namespace {

using link::Read;

TEST_F(DriverTest, WriteSendsLineAsDataNotFormat) {
    EXPECT_EQ(link::write_line(vi, "CALL:TC%sH:BAND %d\n"), VI_SUCCESS);
    ASSERT_EQ(lines().size(), 1u);
    EXPECT_EQ(lines()[0], "CALL:TC%sH:BAND %d\n");
    EXPECT_EQ(fake().printf_formats(vi)[0], "%s");
}

TEST_F(DriverTest, OverflowedLineIsNeverSent) {
    link::Line<8> line;
    link::compose(line, "%s\n", "TOO LONG");
    EXPECT_EQ(link::write_line(vi, line), kSystemError);
    EXPECT_TRUE(lines().empty());
}

TEST_F(DriverTest, QueryReadsWithWidthOfBufferLessOne) {
    reply("CONN\n");
    char buffer[32];
    EXPECT_EQ(link::query(vi, "CALL:STAT?\n", Read::whole_reply, buffer, sizeof buffer),
              VI_SUCCESS);
    EXPECT_STREQ(buffer, "CONN\n");
    EXPECT_EQ(fake().scanf_formats(vi)[0], "%31t");

    reply("+1.0,+2.0 trailing\n");
    EXPECT_EQ(link::query(vi, "FETC?\n", Read::first_word, buffer, sizeof buffer), VI_SUCCESS);
    EXPECT_STREQ(buffer, "+1.0,+2.0");
    EXPECT_EQ(fake().scanf_formats(vi)[1], "%31s");
}

TEST_F(DriverTest, OverlongReplyStaysInBufferAndNextExchangeIsInStep) {
    const std::string long_reply(300, 'X');
    reply(long_reply + "\n");
    reply("IDLE\n");
    struct {
        char buffer[32];
        char guard[8];
    } area;
    std::memset(area.guard, 'G', sizeof area.guard);
    EXPECT_EQ(link::query(vi, "A?\n", Read::whole_reply, area.buffer, sizeof area.buffer),
              VI_SUCCESS);
    EXPECT_EQ(std::strlen(area.buffer), 31u);
    for (char c : area.guard) {
        EXPECT_EQ(c, 'G');
    }
    std::int32_t state = -1;
    constexpr link::Keyword rows[] = {{"IDLE", 4, 0}};
    EXPECT_EQ(link::query_keyword<32>(vi, "CALL:STAT?\n", link::make_keyword_table(rows, 1),
                                      &state),
              VI_SUCCESS);
    EXPECT_EQ(state, 0);
}

// Every non-zero status, warnings included, ends the exchange with the output
// untouched.
TEST_F(DriverTest, AnyNonZeroStatusEndsTheExchange) {
    const struct {
        VisaCall call;
        ViStatus status;
        std::size_t reads_made;
    } cases[] = {
        {VisaCall::printf, VI_ERROR_TMO, 0},
        {VisaCall::printf, kWarning, 0},
        {VisaCall::scanf, VI_ERROR_IO, 1},
        {VisaCall::scanf, kWarning, 1},
    };
    for (const auto &c : cases) {
        SetUp();
        reply("+42\n");
        fake().fail_call(c.call, c.status);
        std::int32_t out = 7;
        EXPECT_EQ(link::query_int<64>(vi, "X?\n", &out), c.status);
        EXPECT_EQ(out, 7);
        EXPECT_EQ(reads(), c.reads_made);
    }
}

TEST_F(DriverTest, NumericRepliesNeverFail) {
    std::int32_t integer = 7;
    reply("no number\n");
    EXPECT_EQ(link::query_int<64>(vi, "X?\n", &integer), VI_SUCCESS);
    EXPECT_EQ(integer, 0);
    float real = 7.0f;
    reply("-8.5E+001\n");
    EXPECT_EQ(link::query_float<64>(vi, "Y?\n", &real), VI_SUCCESS);
    EXPECT_FLOAT_EQ(real, -85.0f);
    EXPECT_EQ(link::query_int<64>(vi, "X?\n", static_cast<std::int32_t *>(nullptr)), kSystemError);
    EXPECT_EQ(lines().size(), 2u);
}

TEST(CodeTables, LookupsNeverLeaveTheTable) {
    EXPECT_STREQ(link::band_name(10), "SEL");
    EXPECT_STREQ(link::channel_type_name(1), "BCH");
    EXPECT_STREQ(link::measurement_name(14), "RXL");
    EXPECT_STREQ(link::measurement_name(0), "AAUD");
    for (std::int32_t bad : {-2147483647 - 1, -1, 11, 15, 2147483647}) {
        EXPECT_EQ(link::band_name(bad), nullptr) << bad;
        EXPECT_EQ(link::measurement_name(bad == 11 ? 15 : bad), nullptr) << bad;
        EXPECT_EQ(link::channel_type_name(bad == 11 ? 2 : bad), nullptr) << bad;
    }
}

// Every row's code equals its position and every name is terminated inside
// its field.
template <std::size_t N, std::size_t Rows>
void expect_well_formed(const link::NamedCode<N> (&table)[Rows]) {
    for (std::size_t i = 0; i < Rows; ++i) {
        EXPECT_EQ(table[i].code, static_cast<std::int32_t>(i));
        EXPECT_LT(strnlen(table[i].name, N), N);
        EXPECT_GT(strnlen(table[i].name, N), 0u);
    }
}

TEST(CodeTables, RowsAreWellFormed) {
    EXPECT_EQ(link::row_count(link::kBandTable), 11u);
    EXPECT_EQ(link::row_count(link::kChannelTypeTable), 2u);
    EXPECT_EQ(link::row_count(link::kMeasurementTable), 15u);
    expect_well_formed(link::kBandTable);
    expect_well_formed(link::kChannelTypeTable);
    expect_well_formed(link::kMeasurementTable);
}

// A tick counter the test drives, starting just below the 32-bit wrap.
std::uint32_t g_fake_tick = 0;
std::uint32_t fake_ticks() noexcept { return g_fake_tick++; }

TEST(DelayMs, KeepsItsLengthAcrossTheCounterWrap) {
    for (std::uint32_t start : {0u, 0xFFFFFFF0u, 0xFFFFFFFFu, 0x7FFFFFFFu}) {
        for (std::uint32_t ms : {0u, 1u, 20u}) {
            g_fake_tick = start;
            EXPECT_EQ(link::delay_ms(ms, fake_ticks), 1);
            // One reading for the start, then readings until one is more than
            // ms past it: the last reading taken was start + ms + 1.
            EXPECT_EQ(static_cast<std::uint32_t>(g_fake_tick - 1 - start), ms + 1)
                << "start " << start << " ms " << ms;
        }
    }
}

} // namespace
} // namespace gsmbench::test
