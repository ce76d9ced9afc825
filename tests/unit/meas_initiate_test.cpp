// Starting, stopping and polling measurements through the fake VISA, and the
// validation of the initiate table and the keyword table derived from it.
#include <cstring>
#include <string>
#include <vector>

#include "driver_test.h"
#include "meas/initiate.h"

namespace gsmbench::test {
namespace {

using Lines = std::vector<std::string>;
using MeasInitiateTest = DriverTest;

TEST_F(MeasInitiateTest, StartAndStopNameTheInitiateRow) {
    const struct {
        bool on;
        ViInt32 code;
        const char *line;
    } cases[] = {
        {true, GSMB_INIT_PVT, "INITIATE:PVT:ON\n"},
        {true, GSMB_INIT_NONE, "INITIATE:NONE:ON\n"},
        {true, GSMB_INIT_ERROR, "INITIATE:ERROR:ON\n"},
        {true, GSMB_INIT_IFER, "INITIATE:IFER:ON\n"},
        {false, GSMB_INIT_TXP, "INITIATE:TXP:OFF\n"},
        {false, GSMB_INIT_AAUD, "INITIATE:AAUD:OFF\n"},
        {false, GSMB_INIT_WAIT, "INITIATE:WAIT:OFF\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.line);
        fake().reset();
        vi = fake().open_session();
        EXPECT_EQ(c.on ? BS_Init_Measurement_ON(vi, c.code) : BS_Init_Measurement_OFF(vi, c.code),
                  VI_SUCCESS);
        EXPECT_EQ(lines(), Lines{c.line});
    }
}

TEST_F(MeasInitiateTest, StartAndStopRefuseCodesOutsideTheTable) {
    for (const ViInt32 code : {26, -1, INT32_MAX, INT32_MIN}) {
        EXPECT_EQ(BS_Init_Measurement_ON(vi, code), kSystemError) << code;
        EXPECT_EQ(BS_Init_Measurement_OFF(vi, code), kSystemError) << code;
    }
    EXPECT_TRUE(lines().empty());
}

TEST_F(MeasInitiateTest, StartAndStopPassTheWriteStatusThrough) {
    fail_write(kWarning, 0);
    fail_write(VI_ERROR_TMO, 1);
    EXPECT_EQ(BS_Init_Measurement_ON(vi, GSMB_INIT_TXP), kWarning);
    EXPECT_EQ(BS_Init_Measurement_OFF(vi, GSMB_INIT_TXP), VI_ERROR_TMO);
    EXPECT_EQ(lines(), (Lines{"INITIATE:TXP:ON\n", "INITIATE:TXP:OFF\n"}));
}

// --- the done and on queries -----------------------------------------------------

using CodeQuery = ViStatus(GSMBENCH_CALL *)(ViSession, ViInt32 *);

const struct {
    const char *name;
    CodeQuery run;
    const char *line;
} kCodeQueries[] = {
    {"done", BS_Init_Measurement_DONE, "INITIATE:DONE?\n"},
    {"on", BS_Init_Measurement_ON_Query, "INITIATE:ON?\n"},
};

TEST_F(MeasInitiateTest, DoneAndOnDecodeTheReplyWord) {
    const struct {
        const char *reply;
        ViStatus status;
        ViInt32 code;
    } cases[] = {
        {"PVT\n", VI_SUCCESS, GSMB_INIT_PVT},       {"TXP,PFER\n", VI_SUCCESS, GSMB_INIT_TXP},
        {"NONE\n", VI_SUCCESS, GSMB_INIT_NONE},     {"WAIT\n", VI_SUCCESS, GSMB_INIT_WAIT},
        {"IFER\n", VI_SUCCESS, GSMB_INIT_IFER},     {"BFI\n", VI_SUCCESS, GSMB_INIT_BFI},
        {"FST", VI_SUCCESS, GSMB_INIT_FST},         {"SMON\n", VI_SUCCESS, GSMB_INIT_SMON},
        {"none\n", kSystemError, GSMB_INIT_ERROR},  {"", kSystemError, GSMB_INIT_ERROR},
        {"ERROR\n", kSystemError, GSMB_INIT_ERROR}, {"BF", kSystemError, GSMB_INIT_ERROR},
        {"RXL\n", kSystemError, GSMB_INIT_ERROR},   {" PVT\n", kSystemError, GSMB_INIT_ERROR},
    };
    for (const auto &q : kCodeQueries) {
        for (const auto &c : cases) {
            SCOPED_TRACE(testing::Message() << q.name << " reply '" << c.reply << "'");
            fake().reset();
            vi = fake().open_session();
            reply(c.reply);
            ViInt32 code = -99;
            EXPECT_EQ(q.run(vi, &code), c.status);
            EXPECT_EQ(code, c.code);
            EXPECT_EQ(lines(), Lines{q.line});
        }
    }
}

// Every keyword decodes to its own row, whatever follows it.
TEST_F(MeasInitiateTest, EveryRowButErrorIsRecognised) {
    for (ViInt32 row = 0; row < GSMB_INIT_ERROR; ++row) {
        SCOPED_TRACE(meas::kInitiateTable[row].name);
        fake().reset();
        vi = fake().open_session();
        reply(std::string(meas::kInitiateTable[row].name) + "\n");
        ViInt32 code = -99;
        EXPECT_EQ(BS_Init_Measurement_DONE(vi, &code), VI_SUCCESS);
        EXPECT_EQ(code, row);
    }
}

TEST_F(MeasInitiateTest, CountDecodesTheLeadingInteger) {
    const struct {
        const char *reply;
        ViInt32 count;
    } cases[] = {{"+3\n", 3}, {"0\n", 0}, {"A1\n", 0}, {"", 0}, {"-2\n", -2}, {"12,4\n", 12}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.reply);
        fake().reset();
        vi = fake().open_session();
        reply(c.reply);
        ViInt32 count = -99;
        EXPECT_EQ(BS_Init_Measurement_Count(vi, &count), VI_SUCCESS);
        EXPECT_EQ(count, c.count);
        EXPECT_EQ(lines(), Lines{"INITIATE:COUNt?\n"});
    }
}

TEST_F(MeasInitiateTest, FailedQueriesLeaveTheOutputUntouched) {
    const CodeQuery all[] = {BS_Init_Measurement_Count, BS_Init_Measurement_DONE,
                             BS_Init_Measurement_ON_Query};
    struct Failure {
        bool on_read;
        ViStatus status;
    };
    const Failure failures[] = {
        {false, VI_ERROR_TMO}, {false, kWarning}, {true, VI_ERROR_TMO}, {true, kWarning}};
    for (const CodeQuery run : all) {
        for (const Failure &f : failures) {
            SCOPED_TRACE(testing::Message() << (f.on_read ? "read " : "write ") << f.status);
            fake().reset();
            vi = fake().open_session();
            reply("PVT\n");
            if (f.on_read) {
                fail_read(f.status);
            } else {
                fail_write(f.status);
            }
            ViInt32 out = -99;
            EXPECT_EQ(run(vi, &out), f.status);
            EXPECT_EQ(out, -99);
            EXPECT_EQ(reads(), f.on_read ? 1U : 0U);
        }
    }
    for (const CodeQuery run : all) {
        EXPECT_EQ(run(vi, nullptr), kSystemError);
    }
    EXPECT_EQ(lines().size(), 1U) << "null outputs send nothing";
}

// --- table validation ------------------------------------------------------------

TEST(InitiateTable, RowsKeywordsAndPublicCodesAgree) {
    ASSERT_EQ(meas::kInitiateRows, 26U);
    EXPECT_EQ(meas::kInitiateRows, static_cast<std::size_t>(GSMB_INIT_ERROR) + 1);
    EXPECT_STREQ(meas::kInitiateTable[GSMB_INIT_PVT].name, "PVT");
    EXPECT_STREQ(meas::kInitiateTable[GSMB_INIT_IFER].name, "IFER");
    EXPECT_STREQ(meas::kInitiateTable[GSMB_INIT_ERROR].name, "ERROR");
    for (std::size_t i = 0; i < meas::kInitiateRows; ++i) {
        const auto &row = meas::kInitiateTable[i];
        EXPECT_EQ(row.code, static_cast<ViInt32>(i));
        // Names fit their 16-byte field with room for the terminator.
        EXPECT_LT(std::strlen(row.name), sizeof row.name);
    }
    const link::KeywordTable &k = meas::kInitiateKeywords;
    ASSERT_EQ(k.count, meas::kInitiateRows - 1) << "ERROR is only the fallback";
    EXPECT_EQ(k.unrecognised, GSMB_INIT_ERROR);
    for (std::size_t i = 0; i < k.count; ++i) {
        EXPECT_STREQ(k.rows[i].keyword, meas::kInitiateTable[i].name);
        EXPECT_EQ(k.rows[i].length, std::strlen(meas::kInitiateTable[i].name));
        EXPECT_EQ(k.rows[i].code, static_cast<ViInt32>(i));
        // A keyword that begins a later one would hide it.
        for (std::size_t j = i + 1; j < k.count; ++j) {
            EXPECT_NE(std::strncmp(k.rows[j].keyword, k.rows[i].keyword, k.rows[i].length), 0)
                << k.rows[i].keyword << " hides " << k.rows[j].keyword;
        }
    }
}

} // namespace
} // namespace gsmbench::test
