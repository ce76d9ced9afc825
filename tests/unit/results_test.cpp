// Result fetches: TXP, PFER and the mobile-reported RX level and quality; the
// exchange and failure behaviour of every list fetch (PVT, ORFS and BER
// decoding have their own files).
#include <climits>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "driver_test.h"

namespace gsmbench::test {
namespace {

using Lines = std::vector<std::string>;

// One fetch with its output record filled with a byte pattern beforehand, so
// "untouched" can be checked byte for byte whatever the record's type.
struct FetchCall {
    const char *name;
    const char *query;
    const char *directive;
    // Calls the function with an output whose bytes are all 0x5A; returns the
    // status and whether the output still holds only 0x5A bytes.
    std::function<ViStatus(ViSession, bool &untouched)> call;
};

template <typename Out>
FetchCall fetch_call(const char *name, const char *query, const char *directive,
                     ViStatus (*fn)(ViSession, Out *)) {
    return FetchCall{name, query, directive, [fn](ViSession vi, bool &untouched) {
                         Out out;
                         std::memset(&out, 0x5A, sizeof out);
                         const ViStatus status = fn(vi, &out);
                         const auto *bytes = reinterpret_cast<const unsigned char *>(&out);
                         untouched = true;
                         for (std::size_t i = 0; i < sizeof out; ++i) {
                             untouched = untouched && bytes[i] == 0x5A;
                         }
                         return status;
                     }};
}

std::vector<FetchCall> all_fetches() {
    return {
        fetch_call("TXP power", "FETC:TXP:POW?\n", "%63t", BS_FETCH_TXP_Power),
        fetch_call("TXP all", "FETC:TXP:ALL?\n", "%255s", BS_FETCH_TXP_Result),
        fetch_call("PFER all", "FETC:PFER:ALL?\n", "%255s", BS_FETCH_PFER_Result),
        fetch_call("PFER FERR", "FETC:PFER:FERR:AVER?\n", "%63s",
                   BS_FETCH_PFER_Average_FERR_Result),
        fetch_call("PFER PEAK", "FETC:PFER:PEAK:AVER?\n", "%63s",
                   BS_FETCH_PFER_Average_PEAK_Result),
        fetch_call("PFER RMS", "FETC:PFER:RMS:AVER?\n", "%63s", BS_FETCH_PFER_Average_RMS_Result),
        fetch_call("RXQ", "CALL:MS:REP:RXQ?\n", "%255s", BS_FETCH_RX_Quality_Result),
        fetch_call("RXQ new", "CALL:MS:REP:RXQ:NEW?;NEW?;NEW?\n", "%255s",
                   BS_FETCH_RX_Quality_New_Result),
        fetch_call("RXL", "CALL:MS:REP:RXL?\n", "%255s", BS_FETCH_RX_Level_Result),
        fetch_call("RXL new", "CALL:MS:REP:RXL:NEW?;NEW?;NEW?\n", "%255s",
                   BS_FETCH_RX_Level_New_Result),
        fetch_call("PVT all", "FETC:PVT:ALL?\n", "%255s", BS_FETCH_PVT_Result),
        fetch_call("ORFS all", "FETC:ORFS:ALL?\n", "%1023s", BS_FETCH_ORFS_Result),
        fetch_call("ORFS pass", "FETC:ORFS:LIM?\n", "%255s", BS_FETCH_ORFS_Result_Pass),
        fetch_call("BER all", "FETC:BERR:ALL?\n", "%255s", BS_FETCH_BER_Result),
        fetch_call("FBER all", "FETC:FBER:ALL?\n", "%255s", BS_FETCH_FBER_Result),
    };
}

class ResultFetch : public DriverTest {};

TEST_F(ResultFetch, EachSendsItsQueryAndReadsWithinItsBuffer) {
    for (const auto &f : all_fetches()) {
        SCOPED_TRACE(f.name);
        SetUp();
        reply("1\n");
        bool untouched = true;
        EXPECT_EQ(f.call(vi, untouched), VI_SUCCESS);
        EXPECT_FALSE(untouched);
        EXPECT_EQ(lines(), Lines{f.query});
        EXPECT_EQ(fake().scanf_formats(vi), Lines{f.directive});
    }
}

TEST_F(ResultFetch, FailuresAndWarningsLeaveTheOutputUntouched) {
    const struct {
        const char *name;
        bool fail_on_write;
        ViStatus status;
        std::size_t expected_reads;
    } cases[] = {
        {"write error", true, VI_ERROR_TMO, 0},
        {"write warning", true, kWarning, 0},
        {"read error", false, VI_ERROR_TMO, 1},
        {"read warning (data stored)", false, kWarning, 1},
    };
    for (const auto &f : all_fetches()) {
        for (const auto &c : cases) {
            SCOPED_TRACE(std::string(f.name) + ": " + c.name);
            SetUp();
            reply("5,6,7,8\n");
            if (c.fail_on_write) {
                fail_write(c.status);
            } else {
                fail_read(c.status);
            }
            bool untouched = false;
            EXPECT_EQ(f.call(vi, untouched), c.status);
            EXPECT_TRUE(untouched);
            EXPECT_EQ(reads(), c.expected_reads);
        }
    }
}

TEST_F(ResultFetch, NullOutputsAreRefusedBeforeSending) {
    EXPECT_EQ(BS_FETCH_TXP_Power(vi, nullptr), kSystemError);
    EXPECT_EQ(BS_FETCH_TXP_Result(vi, nullptr), kSystemError);
    EXPECT_EQ(BS_FETCH_PFER_Result(vi, nullptr), kSystemError);
    EXPECT_EQ(BS_FETCH_PFER_Average_FERR_Result(vi, nullptr), kSystemError);
    EXPECT_EQ(BS_FETCH_PFER_Average_PEAK_Result(vi, nullptr), kSystemError);
    EXPECT_EQ(BS_FETCH_PFER_Average_RMS_Result(vi, nullptr), kSystemError);
    EXPECT_EQ(BS_FETCH_RX_Quality_Result(vi, nullptr), kSystemError);
    EXPECT_EQ(BS_FETCH_RX_Quality_New_Result(vi, nullptr), kSystemError);
    EXPECT_EQ(BS_FETCH_RX_Level_Result(vi, nullptr), kSystemError);
    EXPECT_EQ(BS_FETCH_RX_Level_New_Result(vi, nullptr), kSystemError);
    EXPECT_EQ(BS_FETCH_PVT_Result(vi, nullptr), kSystemError);
    EXPECT_EQ(BS_FETCH_ORFS_Result(vi, nullptr), kSystemError);
    EXPECT_EQ(BS_FETCH_ORFS_Result_Pass(vi, nullptr), kSystemError);
    EXPECT_EQ(BS_FETCH_BER_Result(vi, nullptr), kSystemError);
    EXPECT_EQ(BS_FETCH_FBER_Result(vi, nullptr), kSystemError);
    EXPECT_TRUE(lines().empty());
}

TEST_F(ResultFetch, TxpResultDecoding) {
    const struct {
        const char *reply;
        ViInt32 integrity;
        float power;
    } cases[] = {
        {"+0.00000000E+000,+1.25000000E+001\n", 0, 12.5f},
        {"-1.9,-3.5\n", -1, -3.5f},                   // truncation toward zero
        {"2.99\n", 2, 0.0f},                          // missing value reads 0
        {",,5,,7\n", 5, 7.0f},                        // empty fields collapse
        {"abc,5dBm\n", 0, 5.0f},                      // word -> 0, unit ignored
        {"9.91E+37,9.91E+37\n", INT32_MAX, 9.91e37f}, // "no result" saturates
        {"-9.91E+37,0\n", INT32_MIN, 0.0f},
        {"\n", 0, 0.0f},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.reply);
        SetUp();
        reply(c.reply);
        TxpResult out{-7, -7.0f};
        ASSERT_EQ(BS_FETCH_TXP_Result(vi, &out), VI_SUCCESS);
        EXPECT_EQ(out.integrity, c.integrity);
        EXPECT_EQ(out.power, c.power);
    }
}

TEST_F(ResultFetch, PferResultDecoding) {
    const struct {
        const char *reply;
        PferResult expected;
    } cases[] = {
        {"0,1.5,-2.25,-30.125\n", {0, 1.5f, -2.25f, -30.125f}},
        {"3.7\n", {3, 0.0f, 0.0f, 0.0f}},
        {"0;1,2;3,99,100\n", {0, 1.0f, 2.0f, 3.0f}}, // beyond capacity 4: ignored
        {"-0.5,1e1,2E-1,+.5\n", {0, 10.0f, 0.2f, 0.5f}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.reply);
        SetUp();
        reply(c.reply);
        PferResult out{-7, -7.0f, -7.0f, -7.0f};
        ASSERT_EQ(BS_FETCH_PFER_Result(vi, &out), VI_SUCCESS);
        EXPECT_EQ(out.integrity, c.expected.integrity);
        EXPECT_EQ(out.rmsPhaseError, c.expected.rmsPhaseError);
        EXPECT_EQ(out.peakPhaseError, c.expected.peakPhaseError);
        EXPECT_EQ(out.frequencyError, c.expected.frequencyError);
    }
}

TEST_F(ResultFetch, SingleValueFetches) {
    using Fn = ViStatus (*)(ViSession, ViReal32 *);
    const struct {
        Fn fn;
        const char *reply;
        float expected;
    } cases[] = {
        {BS_FETCH_TXP_Power, "-5.25\n", -5.25f},
        {BS_FETCH_TXP_Power, "abc\n", 0.0f},
        {BS_FETCH_TXP_Power, "+1.23456789012E+001\n", 12.3456789012f}, // rounded to float
        {BS_FETCH_PFER_Average_FERR_Result, "-12.5,7\n", -12.5f},
        {BS_FETCH_PFER_Average_PEAK_Result, "3E0\n", 3.0f},
        {BS_FETCH_PFER_Average_RMS_Result, "x\n", 0.0f},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.reply);
        SetUp();
        reply(c.reply);
        float out = -7.0f;
        ASSERT_EQ(c.fn(vi, &out), VI_SUCCESS);
        EXPECT_EQ(out, c.expected);
    }
}

TEST_F(ResultFetch, PferInFullNotationFits) {
    reply("+0.00000000E+000,+1.23456789E+000,+2.34567890E+000,-1.23456789E+001\n");
    PferResult out{};
    ASSERT_EQ(BS_FETCH_PFER_Result(vi, &out), VI_SUCCESS);
    EXPECT_EQ(out.integrity, 0);
    EXPECT_EQ(out.rmsPhaseError, 1.23456789f);
    EXPECT_EQ(out.peakPhaseError, 2.3456789f);
    EXPECT_EQ(out.frequencyError, -12.3456789f);
}

// A reply longer than the buffer is cut by the read; a value the cut may have
// shortened is left out (reads 0.0) instead of decoding as another number.
TEST_F(ResultFetch, OverLongReplyDecodesOnlyWholeValues) {
    const struct {
        const char *name;
        std::string reply;
        PferResult expected;
    } cases[] = {
        {"cut inside the third value", std::string(250, ',') + "0,1,2345678\n", {0, 1, 0, 0}},
        {"cut on a separator", "1.5,2.5" + std::string(600, ',') + "9\n", {1, 2.5f, 0, 0}},
        {"one value longer than the buffer", std::string(300, '7') + "\n", {0, 0, 0, 0}},
        {"exactly fits with its terminator", std::string(251, ',') + "1,2\n", {1, 2, 0, 0}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        reply(c.reply);
        PferResult out{-7, -7, -7, -7};
        ASSERT_EQ(BS_FETCH_PFER_Result(vi, &out), VI_SUCCESS);
        EXPECT_EQ(out.integrity, c.expected.integrity);
        EXPECT_EQ(out.rmsPhaseError, c.expected.rmsPhaseError);
        EXPECT_EQ(out.peakPhaseError, c.expected.peakPhaseError);
        EXPECT_EQ(out.frequencyError, c.expected.frequencyError);
    }
}

TEST_F(ResultFetch, RxReports) {
    const struct {
        const char *reply;
        ViInt32 quality, level; // plain queries: element 0 truncated
        float quality_new;      // NEW: element 2 as float
        ViInt32 level_new;      // NEW: element 2 truncated
    } cases[] = {
        {"3;4;5\n", 3, 3, 5.0f, 5},     {"3;4\n", 3, 3, 0.0f, 0}, // no third answer: cleared value
        {"4.7;1;4.7\n", 4, 4, 4.7f, 4}, {"-0.5,9,x\n", 0, 0, 0.0f, 0},
        {"7;;;8;;9\n", 7, 7, 9.0f, 9},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.reply);
        SetUp();
        for (int i = 0; i < 4; ++i) {
            reply(c.reply);
        }
        ViInt32 quality = -7, level = -7, level_new = -7;
        float quality_new = -7.0f;
        ASSERT_EQ(BS_FETCH_RX_Quality_Result(vi, &quality), VI_SUCCESS);
        ASSERT_EQ(BS_FETCH_RX_Level_Result(vi, &level), VI_SUCCESS);
        ASSERT_EQ(BS_FETCH_RX_Quality_New_Result(vi, &quality_new), VI_SUCCESS);
        ASSERT_EQ(BS_FETCH_RX_Level_New_Result(vi, &level_new), VI_SUCCESS);
        EXPECT_EQ(quality, c.quality);
        EXPECT_EQ(level, c.level);
        EXPECT_EQ(quality_new, c.quality_new);
        EXPECT_EQ(level_new, c.level_new);
    }
}

} // namespace
} // namespace gsmbench::test
