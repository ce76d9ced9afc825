#include "commands.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <memory>
#include <mutex>
#include <thread>

#include <visa.h>

#include "call_table.h"
#include "embedded_bench.h"
#include "gsmbench.h"
#include "plan.h"
#include "production_test.h"
#include "report.h"
#include "text_util.h"
#include "visa_trace.h"

#if defined(GSMBENCH_TOOL_HAVE_SIM)
#include "gsmbench/sim/bench.h"
#endif

namespace gsmbench::tool {
namespace {

using Clock = std::chrono::steady_clock;

// The instruments a command talks to: the embedded simulator unless both
// resources were given, with the trace wired to whichever side can see it.
class BenchSession {
  public:
    BenchSession(const BenchChoice &choice, double default_time_scale, std::ostream &trace_out)
        : trace_out_(trace_out) {
        if (choice.testset.empty() && choice.supply.empty()) {
            EmbeddedBenchOptions options;
            options.time_scale = choice.time_scale.value_or(default_time_scale);
            options.seed = choice.seed;
            if (choice.trace) {
                embedded_trace_ = true;
                // The simulator sees every message on the wire: its trace is
                // the exact traffic.
                options.trace = [this](std::string_view line) {
                    print_trace(line);
                    note_connection(line);
                };
            }
            embedded_ = std::make_unique<EmbeddedBench>(options);
            testset_ = embedded_->testset_resource();
            supply_ = embedded_->supply_resource();
            instant_ = options.time_scale == 0.0;
        } else {
            testset_ = choice.testset;
            supply_ = choice.supply;
            if (choice.trace) {
                trace_visa();
            }
        }
    }
    // For commands that reach instruments by VISA resource only (`scpi`):
    // never a simulator, and the trace from the tool's view of VISA.
    struct InstrumentsOnly {};
    static constexpr InstrumentsOnly instruments_only{};
    BenchSession(InstrumentsOnly, bool trace, std::ostream &trace_out) : trace_out_(trace_out) {
        if (trace) {
            trace_visa();
        }
    }

    ~BenchSession() {
        set_visa_trace({});
        if (embedded_ && embedded_trace_) {
            // A command the tool wrote just before closing its session may
            // still sit unread in the simulator's socket; stopping the bench
            // now would drop it from the trace. Give each connection a moment
            // to drain and report its close.
            std::unique_lock<std::mutex> lock(connections_mutex_);
            connections_changed_.wait_for(lock, std::chrono::seconds(1),
                                          [this] { return closed_ >= std::max(opened_, named_); });
        }
        embedded_.reset();
    }

    const std::string &testset() const { return testset_; }
    const std::string &supply() const { return supply_; }
    bool embedded() const { return embedded_ != nullptr; }
    bool instant() const { return instant_; }

    // Names the sessions in the VISA trace.
    void name_session(ViSession vi, std::string name) {
        {
            std::lock_guard<std::mutex> lock(connections_mutex_);
            ++named_; // one connection to the simulator that must drain
        }
        std::lock_guard<std::mutex> lock(mutex_);
        names_.emplace_back(vi, std::move(name));
    }

    void trace_visa() {
        if (!visa_traffic_visible()) {
            trace_out_ << "gsmbench: --trace: this platform's VISA traffic cannot be watched by the tool\n";
            return;
        }
        set_visa_trace([this](ViSession vi, TraceDirection dir, std::string_view text, ViStatus status) {
            // Seen from the instrument, as the simulator's own trace shows it:
            // "<" what it received, ">" what it answered.
            std::string line = "   " + format_fixed(elapsed(), 6) + " " + session_name(vi) +
                               (dir == TraceDirection::sent ? " < " : " > ") + printable(text);
            if (status != VI_SUCCESS) {
                char buf[40];
                std::snprintf(buf, sizeof buf, "  (status 0x%08X)", static_cast<unsigned>(status));
                line += buf;
            }
            print_trace(line);
        });
    }

  private:
    double elapsed() const { return std::chrono::duration<double>(Clock::now() - start_).count(); }

    std::string session_name(ViSession vi) {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const auto &[handle, name] : names_) {
            if (handle == vi) {
                return name;
            }
        }
        return "session " + std::to_string(vi);
    }

    // Follows the simulator's connection lines ("- connected from ...",
    // "- closed ...") to know when every connection has been drained.
    void note_connection(std::string_view line) {
        const bool opened = line.find(" - connected from ") != std::string_view::npos;
        const bool closed = line.find(" - closed") != std::string_view::npos;
        if (opened || closed) {
            std::lock_guard<std::mutex> lock(connections_mutex_);
            (opened ? opened_ : closed_) += 1;
            connections_changed_.notify_all();
        }
    }

    void print_trace(std::string_view line) {
        std::lock_guard<std::mutex> lock(trace_mutex_);
        trace_out_ << line << '\n' << std::flush;
    }

    std::ostream &trace_out_;
    std::unique_ptr<EmbeddedBench> embedded_;
    std::string testset_, supply_;
    bool instant_ = false;
    bool embedded_trace_ = false;
    Clock::time_point start_ = Clock::now();
    std::mutex mutex_, trace_mutex_, connections_mutex_;
    std::condition_variable connections_changed_;
    int opened_ = 0, closed_ = 0, named_ = 0;
    std::vector<std::pair<ViSession, std::string>> names_;
};

std::string status_line(ViStatus status, ViSession rm) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(status));
    return std::to_string(status) + " (" + hex + "): " + visa_status_text(rm, status);
}

} // namespace

// ---------------------------------------------------------------- call ----

int command_call(const CallOptions &options, std::ostream &out, std::ostream &err) {
    if (options.list) {
        for (const FunctionEntry &e : call_table()) {
            out << usage(e) << '\n';
        }
        return kExitPass;
    }
    const FunctionEntry *entry = find_function(options.function);
    if (entry == nullptr) {
        err << "gsmbench call: unknown function '" << options.function << "'";
        const auto near = nearest_functions(options.function);
        if (!near.empty()) {
            err << "; did you mean";
            for (std::size_t i = 0; i < near.size(); ++i) {
                err << (i ? (i + 1 == near.size() ? " or " : ", ") : " ") << near[i];
            }
            err << "?";
        }
        err << "\n(gsmbench call --list shows every function)\n";
        return kExitError;
    }
    try {
        BenchSession bench(options.bench, 0.0, err);
        CallEnvironment env;
        env.testset_resource = bench.testset();
        env.supply_resource = bench.supply();
        // The tool's own sessions are opened through the library, without a
        // reset: `call` is for poking at a bench in whatever state it is in.
        if (CreateGPIBDefaultRM(&env.rm) != 1) {
            err << "gsmbench call: cannot open the VISA resource manager\n";
            return kExitError;
        }
        const Instrument implicit = implicit_instrument(entry->name);
        auto wants = [&](std::string_view word) {
            for (const std::string &a : options.args) {
                if (iequals(a, word)) {
                    return true;
                }
            }
            return false;
        };
        auto open = [&](const std::string &resource, ViSession &vi, const char *name) {
            if (resource.empty()) {
                err << "gsmbench call: " << entry->name << " needs the " << name << ": give --" << name << '\n';
                return false;
            }
            if (OpenGPIB(env.rm, &vi, resource.c_str(), 0) != 1) {
                ViSession probe = 0;
                const ViStatus s = viOpen(env.rm, resource.c_str(), VI_NO_LOCK, 0, &probe);
                if (s >= VI_SUCCESS) {
                    viClose(probe);
                }
                err << "gsmbench call: cannot open the " << name << " " << resource << ": OpenGPIB returned 0"
                    << (s < VI_SUCCESS ? "; viOpen status " + status_line(s, env.rm) : std::string()) << '\n';
                return false;
            }
            bench.name_session(vi, name);
            return true;
        };
        bool ok = true;
        if (implicit == Instrument::testset || wants("testset") || wants("vi")) {
            ok = ok && open(bench.testset(), env.testset, "testset");
        }
        if (implicit == Instrument::supply || wants("supply")) {
            ok = ok && open(bench.supply(), env.supply, "supply");
        }
        int exit_status = kExitError;
        if (ok) {
            CallResult result;
            const std::string problem = entry->invoke(implicit, options.args, env, result);
            if (!problem.empty()) {
                err << "gsmbench call: " << entry->name << ": " << problem << "\nusage: " << usage(*entry)
                    << '\n';
            } else {
                switch (entry->returns) {
                case ReturnKind::status:
                    out << entry->name << " -> " << status_line(static_cast<ViStatus>(result.value), env.rm)
                        << '\n';
                    exit_status = result.value == VI_SUCCESS ? kExitPass : kExitFail;
                    break;
                case ReturnKind::flag:
                    out << entry->name << " -> " << result.value << (result.value == 1 ? " (success)" : " (failure)")
                        << '\n';
                    exit_status = result.value == 1 ? kExitPass : kExitFail;
                    break;
                case ReturnKind::none:
                    out << entry->name << " -> (no result)\n";
                    exit_status = kExitPass;
                    break;
                }
                for (const std::string &line : result.outputs) {
                    out << "  " << line << '\n';
                }
            }
        }
        for (const ViSession vi : env.created) {
            viClose(vi);
        }
        CloseInstrument(env.supply);
        CloseGPIB(env.rm, env.testset);
        return exit_status;
    } catch (const std::exception &e) {
        err << "gsmbench call: " << e.what() << '\n';
        return kExitError;
    }
}

// ---------------------------------------------------------------- scpi ----

int command_scpi(const ScpiOptions &options, std::ostream &out, std::ostream &err) {
    // A bring-up tool talks to VISA directly: no library, no assumptions about
    // what the instrument is.
    BenchSession trace(BenchSession::instruments_only, options.bench.trace, err);
    ViSession rm = 0, vi = 0;
    ViStatus status = viOpenDefaultRM(&rm);
    if (status < VI_SUCCESS) {
        err << "gsmbench scpi: viOpenDefaultRM: " << status_line(status, 0) << '\n';
        return kExitError;
    }
    status = viOpen(rm, options.resource.c_str(), VI_NO_LOCK, 0, &vi);
    if (status < VI_SUCCESS) {
        err << "gsmbench scpi: viOpen " << options.resource << ": " << status_line(status, rm) << '\n';
        viClose(rm);
        return kExitError;
    }
    trace.name_session(vi, options.resource);
    viSetAttribute(vi, VI_ATTR_TMO_VALUE, static_cast<ViAttrState>(options.timeout_ms));
    int exit_status = kExitPass;
    for (const std::string &line : options.lines) {
        status = viPrintf(vi, "%s\n", line.c_str());
        if (status < VI_SUCCESS) {
            err << "gsmbench scpi: viPrintf \"" << printable(line) << "\": " << status_line(status, rm) << '\n';
            exit_status = kExitError;
            break;
        }
        // A query is a line with a question mark in a header; compound lines
        // with several queries get one reply holding every answer.
        if (line.find('?') == std::string::npos) {
            continue;
        }
        std::vector<ViChar> reply(65536, 0);
        status = viScanf(vi, "%65535t", reply.data());
        if (status < VI_SUCCESS) {
            err << "gsmbench scpi: viScanf after \"" << printable(line) << "\": " << status_line(status, rm)
                << '\n';
            exit_status = kExitError;
            break;
        }
        std::string text(reply.data());
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
            text.pop_back();
        }
        out << text << '\n';
    }
    viClose(vi);
    viClose(rm);
    return exit_status;
}

// ----------------------------------------------------------------- run ----

int command_run(const RunOptions &options, std::ostream &out, std::ostream &err) {
    Plan plan;
    PlanError plan_error;
    if (!options.plan_file.empty()) {
        if (!load_plan_file(options.plan_file, plan, plan_error)) {
            err << "gsmbench run: bad plan: " << plan_error.message << '\n';
            return kExitError;
        }
    } else if (!load_plan(nlohmann::json::object(), plan, plan_error)) {
        err << "gsmbench run: built-in plan: " << plan_error.message << '\n';
        return kExitError;
    }
    if (options.print_plan) {
        nlohmann::json shown = default_plan_json();
        if (!options.plan_file.empty()) {
            std::ifstream in(options.plan_file);
            shown.merge_patch(nlohmann::json::parse(in));
        }
        out << shown.dump(2) << '\n';
        return kExitPass;
    }
    if (options.bench.testset.empty() != options.bench.supply.empty()) {
        err << "gsmbench run: give both --testset and --supply, or neither for the embedded simulator\n";
        return kExitError;
    }
    try {
        // Simulated time off unless asked for: the run then measures the
        // library, the VISA layer and the link, not the simulator's clock.
        BenchSession bench(options.bench, 0.0, err);
        ProgressStyle style = ProgressStyle::none;
        if (!options.quiet && !options.json) {
            style = options.bench.trace ? ProgressStyle::plain : progress_style_for(options.stderr_is_terminal);
        }
        auto progress = make_progress(style, err);
        RunTarget target;
        target.testset = bench.testset();
        target.supply = bench.supply();
        target.poll_interval_ms = bench.instant() ? 0 : 2;
        const RunReport report = run_production_test(plan, target, *progress);

        std::string file_error;
        bool files_ok = true;
        if (!options.report_json.empty()) {
            files_ok &= write_file(options.report_json, report_json(report).dump(2) + "\n", file_error);
        }
        if (files_ok && !options.report_csv.empty()) {
            std::ostringstream csv;
            write_csv(csv, report);
            files_ok &= write_file(options.report_csv, csv.str(), file_error);
        }
        if (files_ok && !options.report_html.empty()) {
            std::ostringstream html;
            write_html(html, report);
            files_ok &= write_file(options.report_html, html.str(), file_error);
        }

        if (options.json) {
            out << report_json(report).dump(2) << '\n';
        } else if (options.quiet) {
            out << summary_line(report) << '\n';
        } else {
            write_table(out, report, options.stdout_is_terminal);
        }
        if (report.summary.error) {
            const RunSummary &s = report.summary;
            err << "gsmbench run: " << s.failed_call << " failed with status " << status_line(s.status, 0)
                << '\n';
            if (!s.error_detail.empty()) {
                err << "gsmbench run: while " << s.error_detail << '\n';
            }
        }
        if (!files_ok) {
            err << "gsmbench run: " << file_error << '\n';
            return kExitError;
        }
        if (report.summary.error) {
            return kExitError;
        }
        return report.summary.passed ? kExitPass : kExitFail;
    } catch (const std::exception &e) {
        err << "gsmbench run: " << e.what() << '\n';
        return kExitError;
    }
}

// ----------------------------------------------------------------- sim ----

namespace {
std::atomic<bool> g_stop{false};
extern "C" void on_stop_signal(int) { g_stop = true; }
} // namespace

int command_sim(const SimOptions &options, std::ostream &out, std::ostream &err) {
#if defined(GSMBENCH_TOOL_HAVE_SIM)
    sim::BenchOptions bench_options;
    bench_options.bind_address = options.bind;
    bench_options.test_set_port = static_cast<std::uint16_t>(options.testset_port);
    bench_options.supply_port = static_cast<std::uint16_t>(options.supply_port);
    bench_options.vxi11 = options.vxi11;
    bench_options.portmapper_port = static_cast<std::uint16_t>(options.portmapper_port);
    bench_options.vxi11_port = static_cast<std::uint16_t>(options.vxi11_port);
    bench_options.seed = options.seed;
    bench_options.time_scale = options.time_scale;
    std::mutex trace_mutex;
    if (options.trace) {
        bench_options.trace = [&](std::string_view line) {
            std::lock_guard<std::mutex> lock(trace_mutex);
            out << line << '\n' << std::flush;
        };
    }
    bench_options.warning = [&](std::string_view line) {
        std::lock_guard<std::mutex> lock(trace_mutex);
        err << "gsmbench sim: " << line << '\n' << std::flush;
    };
    sim::Bench bench(bench_options);
    try {
        bench.start();
    } catch (const std::exception &e) {
        err << "gsmbench sim: " << e.what() << '\n';
        return kExitError;
    }
    std::signal(SIGINT, on_stop_signal);
    std::signal(SIGTERM, on_stop_signal);
    {
        std::lock_guard<std::mutex> lock(trace_mutex);
        out << "gsmbench sim: test set on " << options.bind << ":" << bench.test_set_port() << ", supply on "
            << options.bind << ":" << bench.supply_port();
        if (options.vxi11) {
            out << ", VXI-11 core on port " << bench.vxi11_port();
            if (bench.portmapper_port() != 0) {
                out << ", portmapper on port " << bench.portmapper_port();
            }
        }
        out << "\n  TCPIP0::" << options.bind << "::" << bench.test_set_port() << "::SOCKET  (test set)\n"
            << "  TCPIP0::" << options.bind << "::" << bench.supply_port() << "::SOCKET  (supply)\n"
            << "Ctrl-C stops it." << std::endl;
    }
    while (!g_stop) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    bench.stop();
    return kExitPass;
#else
    (void)options;
    (void)out;
    err << "gsmbench sim: this build has no simulator\n";
    return kExitError;
#endif
}

} // namespace gsmbench::tool
