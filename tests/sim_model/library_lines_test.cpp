// Every line the driver library sends to the test set and the supply must be
// accepted with an empty error queue; lines that are ill-formed by the
// library's own design must be refused with an error. One row per line, each
// sent after *RST so that its preconditions are the power-on settings.
#include <array>
#include <string>
#include <vector>

#include "sim_fixture.h"

namespace gsmbench::sim::test {
namespace {

// The library's code tables, as it puts them on its lines.
const std::array<const char *, 11> bands{"PGSM",   "DCS", "EGSM", "GSM450",  "GSM480", "GSM750",
                                         "GSM850", "PCS", "RGSM", "TGSM810", "SEL"};
// A channel number valid in each band (SEL: the power-on selected band, PGSM).
const std::array<int, 11> channel_in{20, 512, 975, 259, 306, 438, 128, 810, 955, 350, 20};
const std::array<const char *, 15> meas{"AAUD", "BERR", "BLER", "DAUD", "DPOW",
                                        "ETXP", "FBER", "GBER", "IQT",  "ORFS",
                                        "PFER", "PVT",  "SMON", "TXP",  "RXL"};
const std::array<const char *, 26> initiate{"NONE", "AAUD", "BERR", "BFI",  "BLER", "DAUD", "DPOW",
                                            "EDP",  "EMAC", "ETXP", "FBER", "FFER", "FST",  "GBER",
                                            "IQT",  "MTA",  "ORFS", "PCAL", "PFER", "PVT",  "SBER",
                                            "SMON", "TXP",  "WAIT", "IFER", "ERROR"};

std::string fmt(const char *pattern, const char *a, const char *b = "", int n = 0) {
    char line[512];
    std::snprintf(line, sizeof line, pattern, a, b, n);
    return line;
}

std::vector<std::string> test_set_lines() {
    std::vector<std::string> l = {
        "*CLS",
        "*RST",
        "SYST:COMM:GPIB:DEB:STAT ON",
        "SYST:COMM:GPIB:DEB:STAT OFF",
        "SYSTem:ERRor?",
        "*IDN?",
        "ABORT:ALL",
        // Operating mode and bands
        "CALL:OPER:MODE?",
        "CALL:BAND?",
        "CALL:TCH:BAND?",
        // Channels
        "CALL:SET:TCH 45",
        "CALL:SET:TCH 1",
        "CALL:TCH?",
        "CALL:BCH?",
        // Cell power and TX level
        "CALL:POW -85.300003",
        "CALL:POW 0.000000",
        "CALL:POW -110.500000",
        "CALL:POW:AMPL:SEL -85.300003",
        "CALL:POW:SEL?",
        "CALL:SET:TCH:MS:TXL 5",
        "CALL:SET:TCH:MS:TXL 31",
        "CALL:SET:TCH:MS:TXL 0",
        "CALL:MS:TXL?",
        // Connection type
        "CALL:FUNC:CONN:TYPE?",
        // Path-loss correction
        "SYST:CORR:FREQ 900MHZ,1800MHZ,1900MHZ",
        "SYST:CORR:SGAIN -1.5,-2.,-2.25",
        "SYST:CORR:FREQ 900MHZ",
        "SYST:CORR:SGAIN -1.5",
        "SYST:CORR:SGAIN 5.e-002",
        "SYST:CORR:SGAIN 0.",
        "SYST:CORR:SGAIN 10.",
        "SYST:CORR:SGAIN 2.5e-005",
        "SYST:CORR:SGAIN 12.345",
        "SYST:CORR:FREQ ",
        // Cell identity
        "CALL:CELL:MCCODE:SELECTED 999",
        "CALL:CELL:MCCODE:SELECTED 0",
        "CALL:CELL:MCCODE:SELECTED?",
        "CALL:CELL:LACODE 65535",
        "CALL:CELL:LACODE?",
        "CALL:CELL:MNCODE:SELECTED 99",
        "CALL:CELL:MNCODE:SELECTED?",
        "CALL:CELL:NCCODE:SELECTED 7",
        "CALL:CELL:NCCODE:SELECTED?",
        "CALL:CELL:BCCode 7",
        "CALL:CELL:BCCode?",
        "CALL:CELL:MCC 460;LAC 1;MNC 0;NCC 1;BCC 5;",
        "CALL:CELL:MCC 460;MNC 0;NCC 1;BCC 5;",
        "CALL:CELL:MCC 999;LAC 65535;MNC 99;NCC 7;BCC 7;",
        "CALL:CELL:BCC 0;",
        // Call control
        "CALL:END",
        "CALL:CONN?",
        "CALL:CONN:ARM:IMMEDIATE",
        "CALL:CONN:ARM:STAT?",
        "CALL:CONNECTED:TIMEOUT 10.000000 S",
        "CALL:CONNECTED:TIMEOUT 2.500000 S",
        "CALL:CONNECTED:TIMEOUT?",
        "CALL:STAT?",
        "CALL:TCH:WAIT",
        "CALL:BCH:WAIT",
        "CALL:HAND:IMM",
        // Initiation
        "INITIATE:COUNt?",
        "INITIATE:DONE?",
        "INITIATE:ON?",
        "SET:CONT:ON",
        "SET:CONT:OFF",
        // PVT/ORFS
        "SET:ORFS:SWIT:FREQ 400KHZ,600KHZ,1200KHZ",
        "SET:ORFS:SWIT:FREQ 400000",
        "SET:ORFS:SWIT:FREQ ",
        "SET:ORFS:MOD:FREQ ",
        "SET:ORFS:MOD:FREQ 100KHZ,200KHZ,250KHZ,400KHZ,600KHZ,1200KHZ",
        "SET:ORFS:SWIT:FREQ 400KHZ,600KHZ,1200KHZ,1800KHZ,3000KHZ,6000KHZ,-400KHZ,-600KHZ",
        // BER/FBER
        "SET:BERR:COUN 10000",
        "SET:BERR:TIM:STAT 0",
        "SET:BERR:TIM:TIME 2.500000 S",
        "SET:BERR:CONT ON",
        "SETUP:BERROR:CLSDELAY:STIME 0.500000 S",
        "SETUP:BERROR:CLSDELAY:STIME 0.500000 MS",
        "SETUP:BERROR:SLCONTROL ON",
        "SETUP:BERROR:SLCONTROL OFF",
        "SETUP:BERROR:LDCONTROL:AUTO ON",
        "SETUP:BERROR:LDCONTROL:AUTO OFF",
        "SETUP:BERROR:MANUAL:DELAY 250",
        "SET:FBER:COUN 10000",
        "SETUP:FBERROR:CLSDELAY:STIME 0.500000 S",
        "SETUP:FBERROR:CLSDELAY:STIME 0.500000 MS",
        "SETUP:FBERROR:SLCONTROL ON",
        "SETUP:FBERROR:SLCONTROL OFF",
        "SETUP:FBERROR:LDCONTROL:AUTO ON",
        "SETUP:FBERROR:LDCONTROL:AUTO OFF",
        "SETUP:FBERROR:MANUAL:DELAY 250",
        "SETUP:FBERROR:MANUAL:DELAY 1",
        // Results (nothing measured yet: no-result integrity, but no error)
        "FETC:TXP:POW?",
        "FETC:TXP:ALL?",
        "FETC:PFER:ALL?",
        "FETC:PFER:FERR:AVER?",
        "FETC:PFER:PEAK:AVER?",
        "FETC:PFER:RMS:AVER?",
        "FETC:PVT:ALL?",
        "FETC:ORFS:ALL?",
        "FETC:ORFS:LIM?",
        "FETC:BERR:ALL?",
        "FETC:FBER:ALL?",
        "FETC:DPOW?",
        "CALL:MS:REP:RXQ?",
        "CALL:MS:REP:RXQ:NEW?;NEW?;NEW?",
        "CALL:MS:REP:RXL?",
        "CALL:MS:REP:RXL:NEW?;NEW?;NEW?",
        // Test mode
        "CALL:RFG:FREQ:GSM 1.500000GHZ",
        "CALL:RFG:FREQ:SEL 935.200012MHZ",
        "CALL:RFG:FREQ:SEL 900000.000000KHZ",
        "CALL:RFG:FREQ:GSM 935200000.000000HZ",
        "CALL:RFG:FRE:GSM?",
        "CALL:RFG:FRE:SEL?",
        "RFAN:CONT:AUTO ON",
        "RFAN:CONT:AUTO OFF",
        "RFAN:CONT:MEAS:BURS:AUTO?",
        "CALL:BURSt:TYPE?",
        "SET:DPOW:COUN:NUMB:GSM 10",
        "SET:DPOW:COUN:NUMB:SEL 10",
        "SET:DPOW:COUN:NUMB:GSM?",
        "SET:DPOW:COUN:NUMB:SEL?",
        "CALL:CELL:POW:SAMPlitude:CW -60dBm",
        "CALL:CELL:POW:SAMPlitude:CW 0dBm",
        "CALL:CELL:POWer:STATe:CW 1",
        "CALL:CELL:POWer:STATe:CW 0",
        "CALL:CELL:POWer:STATe:CW -1",
        "CALL:CELL:POWer:STATe:CW 2",
    };
    for (const char *m :
         {"OFF", "CALL", "CW", "GBT", "GBTT", "PBT", "PBPT", "PBPTT", "EBT", "EBPT", "EBPTT"}) {
        l.push_back(fmt("CALL:OPER:MODE %s", m));
    }
    for (const char *t : {"A", "B", "ACKB", "BLER", "AUTO", "SRBL"})
        l.push_back(fmt("CALL:FUNC:CONN:TYPE %s", t));
    for (const char *t : {"RACH", "TSC0", "TSC1", "TSC2", "TSC3", "TSC4", "TSC5", "TSC6", "TSC7"}) {
        l.push_back(fmt("CALL:BURSt:TYPE %s", t));
    }
    for (std::size_t i = 0; i < bands.size(); ++i) {
        const char *b = bands[i];
        const int ch = channel_in[i];
        if (i < 10) {
            l.push_back(fmt("CALL:BAND %s", b));
            l.push_back(fmt("CALL:SET:TCH:BAND %s", b));
            for (const char *type : {"TCH", "BCH"}) {
                l.push_back(fmt("CALL:%s:BAND %s", type, b));
                l.push_back(fmt("CALL:SET:%s:BAND %s", type, b));
                l.push_back(fmt("CALL:BAND:%s %s", type, b));
            }
        }
        for (const char *type : {"TCH", "BCH"}) {
            l.push_back(fmt("CALL:%s:%s %d", type, b, ch));
            l.push_back(fmt("CALL:SET:%s:%s %d", type, b, ch));
            l.push_back(fmt("CALL:CHAN:%s:%s %d", type, b, ch));
            l.push_back(fmt("CALL:%s:%s?", type, b));
            l.push_back(fmt("CALL:SET:MS:%s:TXL:%s %d", type, b, 5));
            l.push_back(fmt("CALL:%s:MS:TXL:%s:BURS %d", type, b, 7));
        }
        l.push_back(fmt("CALL:MS:TXL:%s%s %d", b, "", 5));
        l.push_back(fmt("CALL:MS:TXL:%s?", b));
    }
    for (const char *m : meas) {
        l.push_back(fmt("ABORT:%s", m));
        for (const char *pattern : {"SET:%s:COUNt:STAT 1",
                                    "SET:%s:COUNt:STAT 0",
                                    "SET:%s:COUNt:STAT 2",
                                    "SET:%s:COUNt:NUMB 10",
                                    "SET:%s:COUNt:SNUM 10",
                                    "SET:%s:TIM:STAT 1",
                                    "SET:%s:TIM:STAT 0",
                                    "SET:%s:TIM 500 MS",
                                    "SET:%s:TIM 500 S",
                                    "SET:%s:TIM:TIME 10 S",
                                    "SET:%s:TIM:TIM 10 MS",
                                    "SET:%s:TIM:TIM 10 S",
                                    "SET:%s:CONT ON",
                                    "SET:%s:CONT OFF",
                                    "SET:%s:TRIG:SOUR AUTO",
                                    "SET:%s:TRIG:SOUR PROT",
                                    "SET:%s:TRIG:SOUR RISE",
                                    "SET:%s:TRIG:SOUR IMM",
                                    "SET:%s:TRIG:DEL 50 S",
                                    "SET:%s:TRIG:DEL 50 MS",
                                    "SET:%s:TRIG:DEL 50 US",
                                    "SET:%s:TRIG:DEL 50 NS",
                                    "SET:%s:TRIG:DEL 0 S",
                                    "SET:%s:COUNt:STAT?",
                                    "SET:%s:COUNt:NUMB?",
                                    "SET:%s:COUNt:SNUM?",
                                    "SET:%s:TIM:STAT?",
                                    "SET:%s:TIM?",
                                    "SET:%s:TIM:TIM?",
                                    "SET:%s:CONT?",
                                    "SET:%s:TRIG:SOUR?",
                                    "SET:%s:TRIG:DEL?",
                                    "SET:%s:TIM:TIME 2.500000 S",
                                    "SET:%s:TIM:TIME 2.500000 MS",
                                    "SET:%s:TRIG:DEL 0.500000 S",
                                    "SET:%s:TRIG:DEL 0.500000 MS",
                                    "SET:%s:TRIG:DEL 0.500000 US",
                                    "SET:%s:TRIG:DEL 0.500000 NS",
                                    "SET:%s:TRIG:DEL 0.000000 S",
                                    "SETUP:%s:TRIGGER:QUALIFIER ON",
                                    "SETUP:%s:TRIGGER:QUALIFIER OFF",
                                    "SETUP:%s:CONFIDENCE:STATE 1",
                                    "SETUP:%s:CONFIDENCE:STATE 0",
                                    "SETUP:%s:SYNC MIDAMBLE",
                                    "SETUP:%s:SYNC AMPLITUDE",
                                    "SETUP:%s:SYNC NONE",
                                    "SET:%s:COUN 10000"}) {
            l.push_back(fmt(pattern, m));
        }
    }
    for (const char *t : {"TYPEIA", "TYPEII", "TYPEIB", "RESTYPEIA", "RESTYPEII", "RESTYPEIB"}) {
        l.push_back(fmt("SET:BERR:TYPE %s", t));
    }
    for (const char *n : initiate) {
        l.push_back(fmt("INITIATE:%s:ON", n));
        l.push_back(fmt("INITIATE:%s:OFF", n));
    }
    // A full correction table: 20 frequencies of 31 characters each.
    std::string freq = "SYST:CORR:FREQ ";
    for (int i = 0; i < 20; ++i)
        freq += std::string(i ? "," : "") + "900000000.000000000000000000000";
    l.push_back(freq);
    std::string mod = "SET:ORFS:MOD:FREQ ";
    for (int i = 0; i < 22; ++i)
        mod += std::string(i ? "," : "") + std::to_string(100 + 50 * i) + "KHZ";
    l.push_back(mod);
    return l;
}

class LibraryLines : public SharedSimBench, public ::testing::WithParamInterface<std::string> {};

TEST_P(LibraryLines, AcceptedWithEmptyErrorQueue) {
    ts("*RST");
    ts("*CLS");
    const std::string reply = ts(GetParam());
    EXPECT_TRUE(no_error(error())) << GetParam() << " -> " << error();
    if (GetParam().find('?') != std::string::npos) {
        EXPECT_FALSE(reply.empty()) << GetParam();
    }
}

INSTANTIATE_TEST_SUITE_P(TestSet, LibraryLines, ::testing::ValuesIn(test_set_lines()));

class SupplyLines : public SharedSimBench, public ::testing::WithParamInterface<std::string> {};

TEST_P(SupplyLines, AcceptedWithEmptyErrorQueue) {
    supply("*RST");
    supply(GetParam());
    EXPECT_TRUE(no_error(error("supply"))) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Supply, SupplyLines,
                         ::testing::Values("*CLS", "*RST", "*IDN?", "VOLT 3.800000",
                                           "VOLT 4.200000", "VOLT 0.000000", "OUTP ON",
                                           "OUTP OFF"));

// Lines the library can send that the instrument must refuse: ill-formed by
// the library's design, or values only the instrument judges.
struct Refused {
    const char *line;
    int code;
};

class RefusedLines : public SharedSimBench, public ::testing::WithParamInterface<Refused> {};

TEST_P(RefusedLines, PushTheirError) {
    ts("*RST");
    ts("*CLS");
    ts(GetParam().line);
    const std::string e = error();
    EXPECT_EQ(e.substr(0, e.find(',')), std::to_string(GetParam().code))
        << GetParam().line << " -> " << e;
}

INSTANTIATE_TEST_SUITE_P(
    TestSet, RefusedLines,
    ::testing::Values(
        // The combined identity line with every code out of range: a header with no command.
        Refused{"CALL:CELL:", -102},
        // An empty channel-type text leaves an empty header node.
        Refused{"CALL::PGSM 20", -102},
        // The empty ORFS offset list is sent without a line feed, so on a stream
        // it runs into the next line.
        Refused{"SET:ORFS:SWIT:FREQ SET:ORFS:MOD:FREQ 100KHZ", -104},
        // SEL names the selected band; it is not a band a channel type can be put in.
        Refused{"CALL:TCH:BAND SEL", -224}, Refused{"CALL:SET:TCH:BAND SEL", -224},
        Refused{"CALL:BAND:BCH SEL", -224},
        // Values the library passes unchecked and the instrument refuses.
        Refused{"CALL:SET:TCH -1", -222}, Refused{"CALL:TCH:DCS 20", -222},
        Refused{"CALL:MS:TXL:DCS -1", -222}, Refused{"CALL:POW 20.000000", -222},
        Refused{"SYST:CORR:SGAIN -1.2346e+005", -222},
        Refused{"SETUP:BERROR:MANUAL:DELAY -250", -222}, Refused{"SET:TXP:COUNt:NUMB 0", -222},
        Refused{"CALL:TCH:MS:TXL:PGSM:BURS 32", -222}));

} // namespace
} // namespace gsmbench::sim::test
