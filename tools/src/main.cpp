// gsmbench: the command-line tool. `run` tests a phone end to end, `call`
// calls any library function, `scpi` talks raw SCPI, `sim` serves the
// simulated bench.
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include <CLI/CLI.hpp>

#include "commands.h"

#if defined(_WIN32)
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace {

using namespace gsmbench::tool;

void add_bench_options(CLI::App *cmd, BenchChoice &bench, bool with_seed) {
    cmd->add_option("--testset", bench.testset,
                    "VISA resource of the test set (e.g. TCPIP0::192.168.1.20::5025::SOCKET or "
                    "TCPIP0::gw::gpib0,14::INSTR); with --supply. Neither: the embedded simulator");
    cmd->add_option("--supply", bench.supply, "VISA resource of the DC supply");
    cmd->add_option("--time-scale", bench.time_scale,
                    "Embedded simulator: real seconds per simulated second (default 0: instant)")
        ->check(CLI::Range(0.0, 1000.0));
    if (with_seed) {
        cmd->add_option("--seed", bench.seed, "Embedded simulator: seed of its noise")->capture_default_str();
    }
    cmd->add_flag("--trace", bench.trace, "Print the SCPI traffic (to stderr)");
}

} // namespace

int main(int argc, char **argv) {
    CLI::App app{"gsmbench: GSM test set and DC supply through the gsmbench library"};
    app.require_subcommand(1);
    app.set_version_flag("--version", "gsmbench 0.1.0");

    // run
    RunOptions run;
    auto *run_cmd = app.add_subcommand(
        "run", "Production test of one phone: registration, call, TX and RX tests per band and "
               "channel, handover; results table and PASS/FAIL (exit 0 pass, 1 fail, 2 error)");
    add_bench_options(run_cmd, run.bench, true);
    run_cmd->add_option("--plan", run.plan_file, "Test plan (JSON); fields left out keep the built-in default")
        ->check(CLI::ExistingFile);
    run_cmd->add_flag("--print-plan", run.print_plan, "Print the plan in effect (default merged with --plan) and exit");
    run_cmd->add_flag("-q,--quiet", run.quiet, "No progress and no table: only the verdict line");
    run_cmd->add_flag("--json", run.json, "Print the report as JSON instead of the table");
    run_cmd->add_option("--report", run.report_json, "Write the report as JSON to this file");
    run_cmd->add_option("--csv", run.report_csv, "Write the results as CSV to this file");
    run_cmd->add_option("--html", run.report_html,
                        "Write a self-contained HTML page: results and a TX power chart");

    // call
    CallOptions call;
    auto *call_cmd = app.add_subcommand(
        "call", "Call one library function: FUNCTION [ARG...]; records as field=value words, sessions "
                "implicit for BS_* (test set) and Power_* (supply). Exit 0 success, 1 failure status, 2 error");
    add_bench_options(call_cmd, call.bench, false);
    call_cmd->add_flag("--list", call.list, "List every function with its arguments and exit");
    call_cmd->add_option("FUNCTION", call.function, "Exported function name, e.g. BS_Get_Call_Pow");
    // Arguments may be negative numbers: everything after FUNCTION is taken as is.
    call_cmd->prefix_command();

    // scpi
    ScpiOptions scpi;
    auto *scpi_cmd = app.add_subcommand(
        "scpi", "Send raw SCPI lines to RESOURCE and print the replies to queries (lines with '?')");
    scpi_cmd->add_flag("--trace", scpi.bench.trace, "Print the traffic (to stderr)");
    scpi_cmd->add_option("--timeout", scpi.timeout_ms, "VISA time-out per operation, ms")
        ->capture_default_str()
        ->check(CLI::Range(1, 3600000));
    scpi_cmd->add_option("RESOURCE", scpi.resource, "VISA resource, e.g. TCPIP0::127.0.0.1::5025::SOCKET")
        ->required();
    scpi_cmd->add_option("LINE", scpi.lines, "SCPI lines, e.g. '*IDN?' 'CALL:POW -60'")->required();

    // sim
    SimOptions sim;
    auto *sim_cmd = app.add_subcommand("sim", "Run the simulated bench in the foreground (as gsmbench-sim)");
    sim_cmd->add_option("--bind", sim.bind, "Address to listen on")->capture_default_str();
    sim_cmd->add_option("--testset-port", sim.testset_port, "SOCKET port of the test set")
        ->capture_default_str()
        ->check(CLI::Range(0, 65535));
    sim_cmd->add_option("--supply-port", sim.supply_port, "SOCKET port of the DC supply")
        ->capture_default_str()
        ->check(CLI::Range(0, 65535));
    sim_cmd->add_flag("--vxi11", sim.vxi11, "Also serve VXI-11 (gpib0,14/inst0 = test set, gpib0,5/inst1 = supply)");
    sim_cmd->add_option("--portmapper-port", sim.portmapper_port, "Portmapper port for VXI-11 (VISA clients expect 111)")
        ->capture_default_str()
        ->check(CLI::Range(0, 65535));
    sim_cmd->add_option("--vxi11-port", sim.vxi11_port, "VXI-11 core channel port (0: any)")
        ->capture_default_str()
        ->check(CLI::Range(0, 65535));
    sim_cmd->add_flag("--trace", sim.trace, "Print every message received and reply sent");
    sim_cmd->add_option("--seed", sim.seed, "Seed of the simulated noise")->capture_default_str();
    sim_cmd->add_option("--time-scale", sim.time_scale, "Real seconds per simulated second (0 = instant)")
        ->capture_default_str()
        ->check(CLI::Range(0.0, 1000.0));

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError &e) {
        const int code = app.exit(e);
        // CLI11 exits 0 for --help; every real parse error is a usage error.
        return code == 0 ? 0 : kExitError;
    }

    const bool out_tty = isatty(fileno(stdout)) != 0;
    const bool err_tty = isatty(fileno(stderr)) != 0;
    if (run_cmd->parsed()) {
        run.stdout_is_terminal = out_tty;
        run.stderr_is_terminal = err_tty;
        return command_run(run, std::cout, std::cerr);
    }
    if (call_cmd->parsed()) {
        // The tool's own options may also follow FUNCTION; every other word
        // (negative numbers included) belongs to the function.
        const std::vector<std::string> words = call_cmd->remaining();
        for (std::size_t i = 0; i < words.size(); ++i) {
            const std::string &w = words[i];
            const bool has_value = i + 1 < words.size();
            if (w == "--trace") {
                call.bench.trace = true;
            } else if (w == "--list") {
                call.list = true;
            } else if (w == "--testset" && has_value) {
                call.bench.testset = words[++i];
            } else if (w == "--supply" && has_value) {
                call.bench.supply = words[++i];
            } else if (w == "--time-scale" && has_value) {
                const std::string &value = words[++i];
                char *end = nullptr;
                const double scale = std::strtod(value.c_str(), &end);
                if (value.empty() || *end != '\0' || scale < 0 || scale > 1000) {
                    std::cerr << "gsmbench call: --time-scale " << value << ": expected 0 to 1000\n";
                    return kExitError;
                }
                call.bench.time_scale = scale;
            } else {
                call.args.push_back(w);
            }
        }
        if (call.function.empty() && !call.list) {
            std::cerr << "gsmbench call: give a FUNCTION (gsmbench call --list shows them)\n";
            return kExitError;
        }
        return command_call(call, std::cout, std::cerr);
    }
    if (scpi_cmd->parsed()) {
        return command_scpi(scpi, std::cout, std::cerr);
    }
    if (sim_cmd->parsed()) {
        return command_sim(sim, std::cout, std::cerr);
    }
    return kExitError;
}
