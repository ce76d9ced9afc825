// The tool's commands, callable in-process (main.cpp parses the command line;
// tests call these directly). Each returns the process exit status.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace gsmbench::tool {

// Exit statuses shared by the commands.
enum ExitStatus : int {
    kExitPass = 0,  // run passed; call/scpi succeeded
    kExitFail = 1,  // run failed its limits; call returned a failure status
    kExitError = 2, // instrument, transport or usage error
};

struct BenchChoice {
    std::string testset; // empty: the embedded simulator
    std::string supply;
    std::optional<double> time_scale; // embedded simulator only
    std::uint64_t seed = 1;
    bool trace = false;
};

struct CallOptions {
    BenchChoice bench;
    std::string function;
    std::vector<std::string> args;
    bool list = false;
};
int command_call(const CallOptions &options, std::ostream &out, std::ostream &err);

struct ScpiOptions {
    BenchChoice bench;  // only trace is used
    std::string resource;
    std::vector<std::string> lines;
    int timeout_ms = 2000;
};
int command_scpi(const ScpiOptions &options, std::ostream &out, std::ostream &err);

struct RunOptions {
    BenchChoice bench;
    std::string plan_file;
    bool print_plan = false;
    bool quiet = false;
    bool json = false;
    std::string report_json, report_csv, report_html;
    bool stdout_is_terminal = false;
    bool stderr_is_terminal = false;
};
int command_run(const RunOptions &options, std::ostream &out, std::ostream &err);

struct SimOptions {
    std::string bind = "127.0.0.1";
    int testset_port = 5025;
    int supply_port = 5026;
    bool vxi11 = false;
    int portmapper_port = 111;
    int vxi11_port = 0;
    bool trace = false;
    std::uint64_t seed = 1;
    double time_scale = 1.0;
};
// Runs until SIGINT/SIGTERM.
int command_sim(const SimOptions &options, std::ostream &out, std::ostream &err);

} // namespace gsmbench::tool
