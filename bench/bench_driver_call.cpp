// The library's own cost per call: one write (BS_Call_End) and one keyword
// query (BS_Query_Call_State) through the fake VISA in its non-recording mode,
// so the figure is the driver's composing, checking and decoding alone.
// Allocations made during the timed loop are counted and reported.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

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

ViSession prepare(const char *reply) {
    FakeVisa &fake = FakeVisa::instance();
    fake.reset();
    const ViSession vi = fake.open_session();
    fake.set_fixed_reply(vi, reply);
    return vi;
}

void BM_Write_CallEnd(benchmark::State &state) {
    const ViSession vi = prepare("");
    const long before = g_allocations.load();
    for (auto _ : state) {
        benchmark::DoNotOptimize(BS_Call_End(vi));
    }
    state.counters["allocs_per_call"] = benchmark::Counter(
        static_cast<double>(g_allocations.load() - before) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_Write_CallEnd);

void BM_KeywordQuery_CallState(benchmark::State &state) {
    const ViSession vi = prepare("CONN\n");
    ViInt32 call_state = 0;
    const long before = g_allocations.load();
    for (auto _ : state) {
        benchmark::DoNotOptimize(BS_Query_Call_State(vi, &call_state));
    }
    state.counters["allocs_per_call"] = benchmark::Counter(
        static_cast<double>(g_allocations.load() - before) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_KeywordQuery_CallState);

void BM_ComposedWrite_SetPower(benchmark::State &state) {
    const ViSession vi = prepare("");
    for (auto _ : state) {
        benchmark::DoNotOptimize(BS_Set_Call_Pow(vi, -85.3f));
    }
}
BENCHMARK(BM_ComposedWrite_SetPower);

} // namespace

BENCHMARK_MAIN();
