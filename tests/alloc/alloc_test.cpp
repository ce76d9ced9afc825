// Every driver call runs on fixed local buffers: counts operator new calls made
// while the library runs, with the fake VISA in its non-recording mode.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "fake_visa.h"
#include "gsmbench.h"

namespace {
std::atomic<long> g_allocations{0};
}

// GCC pairs the replaced operator new with the free() below as if they were
// unrelated allocators; they are the same malloc heap.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void *operator new(std::size_t size) {
    ++g_allocations;
    if (void *p = std::malloc(size ? size : 1)) {
        return p;
    }
    throw std::bad_alloc();
}
void operator delete(void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }

namespace {

using gsmbench::test::FakeVisa;

struct Case {
    const char *name;
    const char *reply;
    std::function<ViStatus(ViSession)> call;
};

TEST(NoAllocation, DriverCallsUseOnlyLocalBuffers) {
    FakeVisa &fake = FakeVisa::instance();
    fake.reset();
    const ViSession vi = fake.open_session();

    static ChannelBandText text = {"TCH", "PGSM", 20};
    static CorrectionTable table = {};
    table.count = 20;
    for (auto &point : table.point) {
        std::snprintf(point.frequency, sizeof point.frequency, "%s", "1800.2MHZ");
        point.gain = -1.25f;
    }
    static MeasurementSetup setup = {13, 1, 10, 1, 2.5f, 0, 1, 3, 0.5f, 1, 1};
    static OrfsFrequencies orfs = {};
    orfs.switchingCount = 8;
    orfs.modulationCount = 22;
    static BerSetup ber = {0.5f, 0, 1, 0, 0, 250};
    static ViInt32 integer = 0;
    static ViReal32 real = 0;
    static char text_out[256];
    static OrfsResult orfs_result;
    static CellIdentity identity = {460, 1, 0, 1, 5};

    const std::vector<Case> cases = {
        {"BS_Call_End", "", [](ViSession s) { return BS_Call_End(s); }},
        {"BS_Query_Call_State", "CONN\n",
         [](ViSession s) { return BS_Query_Call_State(s, &integer); }},
        {"BS_Set_Call_Pow", "", [](ViSession s) { return BS_Set_Call_Pow(s, -85.3f); }},
        {"BS_Get_Call_Pow", "-8.5E+001\n", [](ViSession s) { return BS_Get_Call_Pow(s, &real); }},
        {"BS_Set_Channel_For_Band", "",
         [](ViSession s) { return BS_Set_Channel_For_Band(s, &text); }},
        {"BS_Set_Syst_Corr_Freq_And_Offset", "",
         [](ViSession s) { return BS_Set_Syst_Corr_Freq_And_Offset(s, &table); }},
        {"BS_Set_Net_Parameter", "", [](ViSession s) { return BS_Set_Net_Parameter(s, &identity); }},
        {"BS_SetMeasurementParameter", "",
         [](ViSession s) { return BS_SetMeasurementParameter(s, &setup); }},
        {"BS_SetORFSMeasParam", "", [](ViSession s) { return BS_SetORFSMeasParam(s, &setup, &orfs); }},
        {"BS_SetBERMeasParam", "", [](ViSession s) { return BS_SetBERMeasParam(s, &setup, &ber); }},
        {"BS_FETCH_ORFS_Result",
         "+0,-1.5E+01,-2.5E+01,-3.5E+01,-4.5E+01,-5.5E+01,-6.5E+01,-7.5E+01,-8.5E+01\n",
         [](ViSession s) { return BS_FETCH_ORFS_Result(s, &orfs_result); }},
        {"BS_FETCH_RX_Level_New_Result", "3;4;5\n",
         [](ViSession s) { return BS_FETCH_RX_Level_New_Result(s, &integer); }},
        {"BS_Get_Error", "+0,\"No error\"\n", [](ViSession s) { return BS_Get_Error(s, text_out); }},
        {"BS_Init_Measurement_DONE", "TXP\n",
         [](ViSession s) { return BS_Init_Measurement_DONE(s, &integer); }},
        {"Power_Set_Voltage", "", [](ViSession s) { return Power_Set_Voltage(s, 3.8f, 1); }},
        {"ParseFloatList", "", [](ViSession) {
             ViReal32 values[8];
             ParseFloatList("+1.0;2,,3 4", values, 8);
             return static_cast<ViStatus>(VI_SUCCESS);
         }},
    };
    for (const Case &c : cases) {
        fake.set_fixed_reply(vi, c.reply);
        const long before = g_allocations.load();
        const ViStatus status = c.call(vi);
        const long made = g_allocations.load() - before;
        EXPECT_EQ(status, VI_SUCCESS) << c.name;
        EXPECT_EQ(made, 0) << c.name << " allocated " << made << " times";
    }
}

} // namespace

int main(int argc, char **argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
