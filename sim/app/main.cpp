// gsmbench-sim: the simulated bench (test set, phone under test and DC supply) as a daemon.
// Runs until SIGINT or SIGTERM.
#include "gsmbench/sim/bench.h"

#include <CLI/CLI.hpp>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <thread>

namespace {
std::atomic<bool> stop_requested{false};
extern "C" void on_signal(int) {
    stop_requested = true;
}
} // namespace

namespace {
int run(int argc, char **argv) {
    gsmbench::sim::BenchOptions options;
    options.test_set_port = 5025;
    options.supply_port = 5026;
    options.portmapper_port = 111;
    bool trace = false;

    CLI::App app{"gsmbench-sim: simulated GSM test set, phone under test and DC supply"};
    app.add_option("--bind", options.bind_address, "Address to listen on")->capture_default_str();
    app.add_option("--testset-port", options.test_set_port, "SOCKET port of the test set")
        ->capture_default_str();
    app.add_option("--supply-port", options.supply_port, "SOCKET port of the DC supply")
        ->capture_default_str();
    app.add_flag("--vxi11", options.vxi11,
                 "Also serve VXI-11 (gpib0,14/inst0 = test set, gpib0,5/inst1 = supply)");
    app.add_option("--portmapper-port", options.portmapper_port,
                   "Portmapper port for VXI-11 (VISA clients expect 111)")
        ->capture_default_str();
    app.add_option("--vxi11-port", options.vxi11_port, "VXI-11 core channel port (0: any)")
        ->capture_default_str();
    app.add_flag("--trace", trace, "Print every message received and reply sent");
    app.add_option("--seed", options.seed, "Seed of the simulated noise")->capture_default_str();
    app.add_option("--time-scale", options.time_scale,
                   "Real seconds per simulated second (0 = instant)")
        ->capture_default_str()
        ->check(CLI::Range(0.0, 1000.0));
    CLI11_PARSE(app, argc, argv);

    if (trace)
        options.trace = [](std::string_view line) {
            (void)std::fwrite(line.data(), 1, line.size(), stdout);
            (void)std::fputc('\n', stdout);
            (void)std::fflush(stdout);
        };

    gsmbench::sim::Bench bench(options);
    try {
        bench.start();
    } catch (const std::exception &e) {
        std::cerr << "gsmbench-sim: " << e.what() << std::endl;
        return 1;
    }
    (void)std::signal(SIGINT, on_signal);
    (void)std::signal(SIGTERM, on_signal);
    std::cout << "gsmbench-sim: test set on " << options.bind_address << ":"
              << bench.test_set_port() << ", supply on " << options.bind_address << ":"
              << bench.supply_port();
    if (options.vxi11) {
        std::cout << ", VXI-11 core on port " << bench.vxi11_port();
        if (bench.portmapper_port() != 0)
            std::cout << ", portmapper on port " << bench.portmapper_port();
    }
    std::cout << std::endl;
    while (!stop_requested)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    bench.stop();
    return 0;
}
} // namespace

int main(int argc, char **argv) {
    try {
        return run(argc, argv);
    } catch (const std::exception &e) {
        std::cerr << "gsmbench-sim: " << e.what() << std::endl;
    } catch (...) {
        std::cerr << "gsmbench-sim: unexpected failure" << std::endl;
    }
    return 1;
}
