// Seeded random messages built from SCPI fragments and stray bytes: the engine must never
// crash (run under AddressSanitizer/UBSan in CI), must keep its error queue bounded and must
// still answer a plain query after every one of them.
#include "sim_test_instrument.h"

#include <gtest/gtest.h>

#include <random>

namespace {
using namespace gsmbench::sim;

TEST(EngineRandomInput, NeverBreaksTheParser) {
    Bench bench(simtest::test_options());
    bench.start();
    const std::vector<std::string> pieces = {"CALL",  ":",
                                             "OPER",  "MODE",
                                             "?",     ";",
                                             " ",     ",",
                                             "\"",    "'",
                                             "*IDN",  "*OPC",
                                             "SET",   "TXP",
                                             "COUN",  "STAT",
                                             "FREQ",  "1",
                                             "-2.",   "5.e-2",
                                             "E+999", "MHZ",
                                             "dBm",   "MS",
                                             "ON",    "OFF",
                                             "MAX",   "[",
                                             "]",     "{meas}",
                                             "\t",    "\r",
                                             "SIM",   "STAT",
                                             "LAB",   "SYST:ERR",
                                             "ECHO",  "\x01",
                                             "\xff",  "#",
                                             "(@1)",  "9999999999999999999999",
                                             "SENS",  "OUTP",
                                             "TRIG",  "FETC:WAIT",
                                             "::",    ";;",
                                             "?",     "CALL:CELL:MCC"};
    std::mt19937 rng(12345);
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    std::uniform_int_distribution<int> length(0, 12);
    int answered = 0;
    for (int i = 0; i < 20000; ++i) {
        std::string message;
        for (int n = length(rng); n > 0; --n)
            message += pieces[pick(rng)];
        (void)bench.execute("testset", message);
        if (i % 50 == 0) {
            // SIM:DROP or SIM:SIL may have been armed by the noise: disarm before checking.
            bench.execute("testset", "SIM:FAUL:CLE");
            std::string count = bench.execute("testset", "SYST:ERR:COUN?");
            ASSERT_LE(std::atoi(count.c_str()), 30) << message;
            ASSERT_EQ(bench.execute("testset", "*OPC?"), "+1\n") << message;
            bench.execute("testset", "*CLS");
            ++answered;
        }
    }
    EXPECT_EQ(answered, 400);
}

} // namespace
