// Cell power (a 32-bit float printed with six decimals) and the mobile's
// commanded TX level (an integer, per band or per channel type and band).
#include <cfloat>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstring>
#include <string>

#include "cell_exchange_checks.h"

namespace gsmbench::test {
namespace {

class PowerTest : public ExchangeTest {};

TypedBandValue typed(const std::string &type, ViInt32 band, ViInt32 value) {
    TypedBandValue record;
    std::memset(&record, 0, sizeof record);
    std::memcpy(record.channelType, type.data(), std::min(type.size(), sizeof record.channelType));
    record.band = band;
    record.value = value;
    return record;
}

LineCase power(const char *name, ViStatus (*set)(ViSession, ViReal32), float level,
               std::vector<std::string> lines) {
    return {name, [set, level](ViSession vi) { return set(vi, level); }, std::move(lines)};
}

TEST_F(PowerTest, CellPowerLines) {
    expect_lines({
        // The single-precision value widened to double, six decimals.
        power("-85.3", BS_Set_Call_Pow, -85.3f, {"CALL:POW -85.300003\n"}),
        power("0", BS_Set_Call_Pow, 0.0f, {"CALL:POW 0.000000\n"}),
        power("-110.5", BS_Set_Call_Pow, -110.5f, {"CALL:POW -110.500000\n"}),
        power("largest float fits", BS_Set_Call_Pow, -FLT_MAX,
              {"CALL:POW -340282346638528859811704183484516925440.000000\n"}),
        power("amplitude", BS_Set_Call_Pow_Amplitude, -85.3f, {"CALL:POW:AMPL:SEL -85.300003\n"}),
        // The longest amplitude line that fits 64 bytes: 63 characters.
        power("amplitude 1e37 fits", BS_Set_Call_Pow_Amplitude, 1e37f,
              {"CALL:POW:AMPL:SEL 9999999933815812510711506376257961984.000000\n"}),
        // One more integer digit would not fit: refused, not cut.
        power("amplitude above 1e37 refused", BS_Set_Call_Pow_Amplitude,
              std::nextafter(1e37f, FLT_MAX), {}),
        power("amplitude -FLT_MAX refused", BS_Set_Call_Pow_Amplitude, -FLT_MAX, {}),
    });
}

TEST_F(PowerTest, TxLevelLines) {
    const BandValue dcs{1, 5};
    const BandValue sel{10, -3};
    const TypedBandValue tch_pgsm = typed("TCH", 0, 7);
    const TypedBandValue percent = typed("%d%s", 6, 15);
    const TypedBandValue unterminated = typed(std::string(32, 'T'), 1, 2);
    std::vector<LineCase> cases = {
        {"tch txl",
         [](ViSession vi) { return BS_Set_TCH_Ms_Txl(vi, 5); },
         {"CALL:SET:TCH:MS:TXL 5\n"}},
        {"tch txl negative",
         [](ViSession vi) { return BS_Set_TCH_Ms_Txl(vi, -2); },
         {"CALL:SET:TCH:MS:TXL -2\n"}},
        {"band txl",
         [&](ViSession vi) { return BS_Set_Call_Ms_TXL(vi, &dcs); },
         {"CALL:MS:TXL:DCS 5\n"}},
        {"selected band txl",
         [&](ViSession vi) { return BS_Set_Call_Ms_TXL(vi, &sel); },
         {"CALL:MS:TXL:SEL -3\n"}},
        {"typed",
         [&](ViSession vi) { return BS_Set_Call_Ms_TXL_OnChannelType(vi, &tch_pgsm); },
         {"CALL:SET:MS:TCH:TXL:PGSM 7\n"}},
        {"typed burst",
         [&](ViSession vi) { return BS_Set_Call_Ms_TXL_OnChannelType2(vi, &tch_pgsm); },
         {"CALL:TCH:MS:TXL:PGSM:BURS 7\n"}},
        {"typed percent",
         [&](ViSession vi) { return BS_Set_Call_Ms_TXL_OnChannelType(vi, &percent); },
         {"CALL:SET:MS:%d%s:TXL:GSM850 15\n"}},
        {"typed unterminated",
         [&](ViSession vi) { return BS_Set_Call_Ms_TXL_OnChannelType2(vi, &unterminated); },
         {"CALL:" + std::string(32, 'T') + ":MS:TXL:DCS:BURS 2\n"}},
        {"band null", [](ViSession vi) { return BS_Set_Call_Ms_TXL(vi, nullptr); }, {}},
        {"typed null",
         [](ViSession vi) { return BS_Set_Call_Ms_TXL_OnChannelType(vi, nullptr); },
         {}},
        {"typed burst null",
         [](ViSession vi) { return BS_Set_Call_Ms_TXL_OnChannelType2(vi, nullptr); },
         {}},
    };
    // Band codes outside the band table are refused by every record function.
    for (ViInt32 band : {11, -1, INT_MIN}) {
        const BandValue bad{band, 5};
        const TypedBandValue bad_typed = typed("TCH", band, 5);
        const std::string tag = " band " + std::to_string(band);
        cases.push_back(
            {"band txl" + tag, [bad](ViSession vi) { return BS_Set_Call_Ms_TXL(vi, &bad); }, {}});
        cases.push_back(
            {"typed" + tag,
             [bad_typed](ViSession vi) { return BS_Set_Call_Ms_TXL_OnChannelType(vi, &bad_typed); },
             {}});
        cases.push_back({"typed burst" + tag,
                         [bad_typed](ViSession vi) {
                             return BS_Set_Call_Ms_TXL_OnChannelType2(vi, &bad_typed);
                         },
                         {}});
    }
    expect_lines(cases);
}

TEST_F(PowerTest, SetReturnsTheWriteStatus) {
    static const BandValue dcs{1, 5};
    static const TypedBandValue tch = typed("TCH", 0, 7);
    expect_write_status_returned({
        power("pow", BS_Set_Call_Pow, 1.0f, {}),
        power("amplitude", BS_Set_Call_Pow_Amplitude, 1.0f, {}),
        {"tch txl", [](ViSession vi) { return BS_Set_TCH_Ms_Txl(vi, 5); }, {}},
        {"band txl", [](ViSession vi) { return BS_Set_Call_Ms_TXL(vi, &dcs); }, {}},
        {"typed", [](ViSession vi) { return BS_Set_Call_Ms_TXL_OnChannelType(vi, &tch); }, {}},
        {"typed burst",
         [](ViSession vi) { return BS_Set_Call_Ms_TXL_OnChannelType2(vi, &tch); },
         {}},
    });
}

TEST_F(PowerTest, CellPowerReply) {
    expect_replies<ViReal32>(BS_Get_Call_Pow, "CALL:POW:SEL?\n",
                             {
                                 {"exponent form", "-8.5E+001\n", -85.0f},
                                 {"signed exponent", "+1.5E+001\n", 15.0f},
                                 {"fixed", "-110.5\n", -110.5f},
                                 {"no number is 0", "NAN\n", 0.0f},
                                 {"empty is 0", "", 0.0f},
                             });
    expect_failures_leave_output<ViReal32>(BS_Get_Call_Pow, "-85\n");
}

TEST_F(PowerTest, TxLevelReplies) {
    const std::vector<ReplyCase<ViInt32>> replies = {
        {"plain", "7\n", 7}, {"signed", "+15\n", 15}, {"no number", "OFF\n", 0}};
    expect_replies<ViInt32>(BS_Get_Call_Current_Ms_TXL, "CALL:MS:TXL?\n", replies);
    expect_failures_leave_output<ViInt32>(BS_Get_Call_Current_Ms_TXL, "5\n");

    const struct {
        ViInt32 band;
        const char *query;
    } bands[] = {{1, "CALL:MS:TXL:DCS?\n"}, {10, "CALL:MS:TXL:SEL?\n"}};
    for (const auto &b : bands) {
        SCOPED_TRACE(b.query);
        const QueryCall<ViInt32> call = [&b](ViSession vi, ViInt32 *out) {
            if (out == nullptr) {
                return BS_Get_Call_Ms_TXL(vi, nullptr);
            }
            BandValue record{b.band, *out};
            const ViStatus status = BS_Get_Call_Ms_TXL(vi, &record);
            EXPECT_EQ(record.band, b.band);
            *out = record.value;
            return status;
        };
        expect_replies<ViInt32>(call, b.query, replies);
        expect_failures_leave_output<ViInt32>(call, "5\n");
    }
    for (ViInt32 band : {11, -1}) {
        SCOPED_TRACE(band);
        fresh();
        BandValue record{band, 42};
        EXPECT_EQ(BS_Get_Call_Ms_TXL(vi, &record), kSystemError);
        EXPECT_EQ(record.value, 42);
        EXPECT_TRUE(lines().empty());
        EXPECT_EQ(reads(), 0u);
    }
}

TEST_F(PowerTest, SameBytesUnderADecimalCommaLocale) {
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
        GTEST_SKIP() << "de_DE.UTF-8 locale not installed";
    }
    expect_lines({
        power("pow", BS_Set_Call_Pow, -85.3f, {"CALL:POW -85.300003\n"}),
        power("amplitude", BS_Set_Call_Pow_Amplitude, 2.5f, {"CALL:POW:AMPL:SEL 2.500000\n"}),
    });
    expect_replies<ViReal32>(BS_Get_Call_Pow, "CALL:POW:SEL?\n", {{"point", "-85.5\n", -85.5f}});
    std::setlocale(LC_ALL, saved.c_str());
}

} // namespace
} // namespace gsmbench::test
