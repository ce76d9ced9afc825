// The simulator's SCPI engine: what an instrument model is built on.
//
// An instrument model (test set, DC supply) is a class implementing `Instrument`. It hands the
// engine a declarative command table, one row per command:
//
//     {"CALL:OPERating:MODE", set_mode, query_mode}
//     {"SYSTem:ERRor[:NEXT]", nullptr, query_error}
//     {"SETup:{meas}:COUNt:STATe", set_count_state, query_count_state}
//
// Pattern notation (SCPI):
//   - Nodes are separated by ':'. Upper-case letters (and digits) form the short form, the whole
//     node the long form: "OPERating" accepts OPER and OPERATING in any case, nothing else.
//     A node written all in upper case ("TSC0", "GSM450") has only that one form.
//   - "[...]" marks an optional node: "[SENSe:]FOO", "CALL:CONNected[:STATe]".
//   - "{name}" is a capture node: it matches any mnemonic at that place and hands it, upper-cased,
//     to the handler as `req.capture("name")` (for families such as measurement or band names).
//     Literal nodes win over captures; the engine backtracks to the capture when the literal
//     path does not lead to a matching command. The handler decides whether the captured
//     mnemonic is valid and calls `req.undefined_header()` (-113) when it is not.
//   - A pattern starting with '*' is a common command; it overrides the engine's own.
//   - Rows under "SIMulation:" are the private fault-injection/inspection node; the engine
//     contributes its generic rows there (see below) and a model may add its own
//     (e.g. "SIMulation:PHONe:REGister").
// Tables are compiled once into a tree with hashed lookups; a conflicting table (two rows for
// the same command, a short form clashing with another node's) throws std::logic_error when
// the instrument is attached, so a bad table fails the first test that starts the bench.
//
// Threading: every connection has its own thread and handlers of one instrument run
// CONCURRENTLY from several connections. The engine's own state (error queue, status
// registers, faults) is locked by the engine; the model protects its state with its own mutex.
// A handler may block (FETCh waiting for a measurement, CALL:CONN? waiting for a state change):
// it waits on the model's condition variable with `SimClock::wait_for`/`wait_until`, which
// return early when the bench stops. Only the calling connection is held up.
//
//     std::unique_lock lock(mutex_);
//     bool done = host_->clock().wait_for(cv_, lock, timeout_s, [&] { return meas.done; });
//     if (!done) { ...reply per the instrument's time-out rule... }
//
// Replies: a query handler appends values to its `Response`; values are separated by ',', the
// answers of several queries in one message by ';', and the reply ends with '\n'. A query
// handler that pushes an error and appends nothing contributes nothing to the reply (an
// instrument that cannot answer stays silent and the client times out).
#pragma once

#include <nlohmann/json.hpp>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <limits>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace gsmbench::sim {

// ---------------------------------------------------------------------------------------------
// Standard SCPI error numbers (texts from the SCPI standard; see error_text()).
namespace err {
inline constexpr int no_error = 0;
inline constexpr int command_error = -100;
inline constexpr int invalid_character = -101;
inline constexpr int syntax_error = -102;
inline constexpr int invalid_separator = -103;
inline constexpr int data_type_error = -104;
inline constexpr int parameter_not_allowed = -108;
inline constexpr int missing_parameter = -109;
inline constexpr int header_separator_error = -111;
inline constexpr int program_mnemonic_too_long = -112;
inline constexpr int undefined_header = -113;
inline constexpr int numeric_data_error = -120;
inline constexpr int invalid_character_in_number = -121;
inline constexpr int suffix_error = -130;
inline constexpr int invalid_suffix = -131;
inline constexpr int suffix_not_allowed = -138;
inline constexpr int character_data_error = -140;
inline constexpr int string_data_error = -150;
inline constexpr int execution_error = -200;
inline constexpr int settings_conflict = -221;
inline constexpr int data_out_of_range = -222;
inline constexpr int too_much_data = -223;
inline constexpr int illegal_parameter_value = -224;
inline constexpr int hardware_missing = -241;
inline constexpr int device_specific_error = -300;
inline constexpr int queue_overflow = -350;
inline constexpr int query_error = -400;
inline constexpr int query_interrupted = -410;
inline constexpr int query_unterminated = -420;
inline constexpr int query_deadlocked = -430;
} // namespace err

// Standard text of an error number ("Undefined header"); "Unknown error" for numbers the
// engine does not know (a model may still push them with its own text).
std::string_view error_text(int code) noexcept;

// ---------------------------------------------------------------------------------------------
// Simulated time.
//
// The time scale is real seconds per simulated second: 1 = real time, 0.01 = a hundred times
// faster, 0 = instant (every simulated duration is zero). A model states its durations in
// simulated seconds and turns them into real deadlines here; a change of scale
// (SIMulation:TSCale) applies to deadlines computed afterwards, not to waits in progress.
// Fault delays (SIMulation:DELay) are real time and not scaled.
class SimClock {
  public:
    using clock = std::chrono::steady_clock;

    explicit SimClock(double scale = 1.0) noexcept;

    double scale() const noexcept;
    // Ignored unless 0 <= scale <= 1000.
    void set_scale(double scale) noexcept;

    // Real duration of a simulated one, clamped to [0, one day]; NaN or negative count as 0.
    clock::duration to_real(double simulated_seconds) const noexcept;
    // Real deadline `simulated_seconds` of simulated time from now.
    clock::time_point deadline_after(double simulated_seconds) const noexcept;

    // Waits on the model's condition variable (lock held by the caller, on the mutex the model
    // notifies under) until pred() is true, the deadline passes or the bench stops. Returns
    // pred() as it is at the end.
    template <class Pred>
    bool wait_until(std::condition_variable &cv, std::unique_lock<std::mutex> &lock,
                    clock::time_point deadline, Pred pred) const {
        while (!pred()) {
            if (stopping())
                return pred();
            // Wake at least every 50 ms so a stop is seen even if the model forgot to notify.
            auto slice = std::min(deadline, clock::now() + std::chrono::milliseconds(50));
            cv.wait_until(lock, slice);
            if (clock::now() >= deadline)
                return pred();
        }
        return true;
    }
    template <class Pred>
    bool wait_for(std::condition_variable &cv, std::unique_lock<std::mutex> &lock,
                  double simulated_seconds, Pred pred) const {
        return wait_until(cv, lock, deadline_after(simulated_seconds), std::move(pred));
    }
    // Sleeps for a simulated duration (returns early when the bench stops).
    void sleep_for(double simulated_seconds) const;

    // Set by the bench when it stops; blocked handlers must then return promptly.
    bool stopping() const noexcept { return stopping_.load(std::memory_order_acquire); }
    void request_stop() noexcept;

  private:
    std::atomic<double> scale_;
    std::atomic<bool> stopping_{false};
    mutable std::mutex sleep_mutex_;
    mutable std::condition_variable sleep_cv_;
};

// ---------------------------------------------------------------------------------------------
// Parameters.

// Unit families of numeric parameters. A number without a suffix is in the base unit (S, HZ,
// DBM, DB, V, A); recognised suffixes, any case, with or without a blank before them:
//   second: S MS US NS        hertz: HZ KHZ MHZ GHZ        dbm: DBM       db: DB
//   volt:   V MV UV KV        ampere: A MA UA
// A suffix of another family gives -131 "Invalid suffix"; any suffix where the parameter takes
// none (Unit::none) gives -138 "Suffix not allowed".
enum class Unit { none, second, hertz, dbm, db, volt, ampere };

struct NumericRule {
    Unit unit = Unit::none;
    double min = -std::numeric_limits<double>::infinity(); // inclusive; outside: -222
    double max = std::numeric_limits<double>::infinity();
    // Value of the DEFault keyword; without it DEF gives -224. MINimum/MAXimum give min/max
    // when they are finite, -224 otherwise.
    std::optional<double> def{};
};

class Engine;
class Session;
class Host;

// One command or query as the handler sees it. Views stay valid during the handler call only.
//
// Typed accessors take the parameter's index and return std::nullopt after having pushed the
// fitting standard error (so a handler simply returns on nullopt):
//   index past the last parameter  -109 "Missing parameter"
//   wrong kind of data              -104 "Data type error"
//   malformed number                -121 "Invalid character in number"
//   out of range                    -222 "Data out of range"
//   keyword not among the choices   -224 "Illegal parameter value"
// Parameters a handler never reads are rejected after it returns with -108 "Parameter not
// allowed" (unless it already pushed an error or called accept_remaining()), so a command
// without parameters needs no check of its own. The check comes after the handler: a set
// handler that ignores its parameters has already acted; a query's answer is then dropped.
class Request {
  public:
    bool is_query() const noexcept { return query_; }
    // The header as received, without '?' (e.g. "CALL:MS:TXL:PGSM" or "TXL:PGSM" when it was
    // relative to the previous command of the message).
    std::string_view header() const noexcept { return header_; }

    // Captured mnemonics, upper-cased: by the name used in the pattern, or by position.
    // Empty view when there is no such capture.
    std::string_view capture(std::string_view name) const noexcept;
    std::string_view capture(std::size_t index) const noexcept;
    std::size_t capture_count() const noexcept { return capture_count_; }

    std::size_t param_count() const noexcept { return param_count_; }
    // The parameter's text, trimmed; empty when absent. Counts as read.
    std::string_view raw(std::size_t index) noexcept;

    // Decimal number (sign, digits, '.', exponent), optionally with a unit suffix, or
    // MINimum/MAXimum/DEFault. Returned in the base unit of rule.unit.
    std::optional<double> number(std::size_t index, const NumericRule &rule = {});
    // A number rounded to the nearest integer, then range-checked (inclusive).
    std::optional<long long> integer(std::size_t index,
                                     long long min = std::numeric_limits<int>::min(),
                                     long long max = std::numeric_limits<int>::max());
    // ON/OFF or a number (non-zero = on; SCPI rounds, so 0.4 is off).
    std::optional<bool> boolean(std::size_t index);
    // Character data matched against SCPI patterns ("IMMediate", "PGSM", "TSC0"), any case,
    // short or long form. Returns the index of the matching choice.
    std::optional<int> choice(std::size_t index, std::initializer_list<std::string_view> choices);
    std::optional<int> choice(std::size_t index, const std::vector<std::string_view> &choices);
    // Character data as received, upper-cased (a mnemonic: letter, then letters, digits, '_').
    std::optional<std::string> mnemonic(std::size_t index);
    // Quoted string data ("..." or '...', doubled quotes inside), unquoted.
    std::optional<std::string> string(std::size_t index);
    // Marks every parameter as read (commands taking lists handle the count themselves).
    void accept_remaining() noexcept { max_read_ = param_count_; }

    // Error helpers: push onto the instrument's error queue. `info` is appended to the
    // standard text after ';' (keep it short: it ends up in a 255-byte caller buffer).
    void error(int code, std::string_view info = {});
    void error(int code, std::string_view text, std::string_view info);
    void missing_parameter() { error(err::missing_parameter); }
    void parameter_not_allowed() { error(err::parameter_not_allowed); }
    void data_out_of_range() { error(err::data_out_of_range); }
    void illegal_value() { error(err::illegal_parameter_value); }
    void data_type_error() { error(err::data_type_error); }
    void undefined_header() { error(err::undefined_header, header_); }
    void settings_conflict(std::string_view info = {}) { error(err::settings_conflict, info); }
    bool failed() const noexcept { return failed_; }

    // The simulator services (clock, seed, error queue) and the connection this came on.
    Host &host() const noexcept { return *host_; }
    std::uint64_t connection_id() const noexcept { return connection_id_; }

  private:
    friend class Engine;
    Request() = default;
    bool param_present(std::size_t index);

    static constexpr std::size_t max_params = 64;
    static constexpr std::size_t max_captures = 8;
    Host *host_ = nullptr;
    Engine *engine_ = nullptr;
    std::string_view header_;
    bool query_ = false;
    bool failed_ = false;
    std::uint64_t connection_id_ = 0;
    std::size_t param_count_ = 0;
    std::size_t max_read_ = 0;
    std::size_t capture_count_ = 0;
    std::string_view params_[max_params];
    std::string_view capture_names_[max_captures];
    std::string_view capture_values_[max_captures];
};

// ---------------------------------------------------------------------------------------------
// Replies.

// How a real number is rendered: "+1.50000E+001" is {5 decimals, 3 exponent digits}.
struct RealFormat {
    int decimals = 5;
    int exponent_digits = 3;
};

// SCPI's "not a number / no result" value, as the instrument sends it for unmeasurable results.
inline constexpr double not_a_number = 9.91e37;

// Builds one query's answer. Each value call appends one value, separated from the previous
// one by ','.
class Response {
  public:
    Response &integer(long long value); // "+5", "-3", "+0"
    Response &real(double value);       // in the instrument's RealFormat; NaN -> 9.91E+37
    Response &real(double value, RealFormat format);
    Response &boolean(bool value);            // "1" / "0"
    Response &keyword(std::string_view word); // as given (short upper-case form, e.g. "CONN")
    Response &string(std::string_view text);  // "text", embedded '"' doubled
    Response &raw(std::string_view text);     // verbatim (JSON, pre-formatted lists)
    bool empty() const noexcept { return values_ == 0; }

  private:
    friend class Engine;
    Response(std::string &out, RealFormat format) : out_(out), format_(format) {}
    void separate();
    std::string &out_;
    RealFormat format_;
    std::size_t values_ = 0;
};

// Formats a real number the way Response::real does (exposed for models that build lists).
std::string format_real(double value, RealFormat format);

// ---------------------------------------------------------------------------------------------
// Command tables.

using SetHandler = std::function<void(Request &)>;
using QueryHandler = std::function<void(Request &, Response &)>;

struct Command {
    std::string pattern;
    SetHandler set;     // null: the header has no command form (-113 when sent as a command)
    QueryHandler query; // null: the header has no query form (-113 when sent as a query)
};

// ---------------------------------------------------------------------------------------------
// What the simulator offers a model. One Host per instrument; valid while the bench runs.
class Host {
  public:
    virtual ~Host() = default;
    virtual const SimClock &clock() const noexcept = 0;
    virtual SimClock &clock() noexcept = 0;
    // Seed of the bench (--seed): models derive their noise from it, so runs repeat.
    virtual std::uint64_t seed() const noexcept = 0;
    // Pushes an error outside a request (e.g. a measurement that failed in the background).
    virtual void push_error(int code, std::string_view info = {}) = 0;
    // One trace line (only when tracing is on; cheap otherwise).
    virtual void trace(std::string_view text) = 0;
};

// An instrument model.
class Instrument {
  public:
    virtual ~Instrument() = default;

    // Short name for traces and the JSON dump: "testset", "supply".
    virtual std::string name() const = 0;
    // *IDN? reply, e.g. "MAKER,MODEL,SERIAL,REVISION".
    virtual std::string identity() const = 0;
    // The command table; called once, when the bench attaches the instrument.
    virtual std::vector<Command> commands() = 0;
    // Called once before the first command, with the services the model may keep a pointer to.
    virtual void attach(Host &host) { (void)host; }
    // *RST: back to the power-on settings. Also called once after attach().
    virtual void reset() {}
    // *CLS, after the engine has cleared its error queue and event status register.
    virtual void clear_status() {}
    // Model state for SIMulation:STATe? (the engine adds its own under "engine").
    virtual nlohmann::json state() const { return nlohmann::json::object(); }
    // The bench is stopping: notify every condition variable handlers may wait on (the clock's
    // stopping() is already true).
    virtual void interrupt() {}
    // Number format of Response::real.
    virtual RealFormat real_format() const { return {}; }
};

// Engine rows every instrument gets (in addition to the common commands *IDN? *RST *CLS *OPC
// *OPC? *WAI *ESR? *ESE[?] *SRE[?] *STB? *TST?):
//   SYSTem:ERRor[:NEXT]?          oldest error, "+0,\"No error\"" when empty
//   SYSTem:ERRor:COUNt?           number of queued errors
//   SIMulation:DELay <time>       delay the next reply (real time, e.g. "2 S", "500 MS")
//   SIMulation:SILent [<n>]       swallow the replies of the next n queries (default 1)
//   SIMulation:GARBage [<n>]      replace the next reply by n (default 64) garbage bytes + LF
//   SIMulation:LONG [<n>]         replace the next reply by an over-long one of n bytes + LF
//                                 (default 65536)
//   SIMulation:DROP               close the connection instead of sending the next reply
//   SIMulation:DROP:IMMediate     close this connection now
//   SIMulation:TSCale <x> / ?     time scale (see SimClock)
//   SIMulation:FAULts:CLEar       disarm every pending fault
//   SIMulation:STATe?             {"name","identity","engine":{...},"model":Instrument::state()}
// Pending reply faults belong to the instrument, not to a connection: they hit the next reply
// the instrument sends on any connection, so a test can arm them on a control connection and
// have the library's own session meet them. A fault takes effect from the message after the
// one that armed it, so "SIMulation:SILent;*OPC?" arms it and, with its "+1", tells the control
// connection that it is armed.

} // namespace gsmbench::sim
