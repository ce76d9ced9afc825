#include "scpi/engine.h"

#include "scpi/mnemonic.h"

#include <algorithm>
#include <exception>

namespace gsmbench::sim {
namespace {
using namespace detail;

constexpr std::size_t max_header_nodes = 16;
constexpr std::size_t max_info = 80;

// Faults armed by the message being executed on this thread: they take effect from the next
// message on, so "SIM:SIL;*IDN?" answers the *IDN? and silences the following query.
thread_local void *armed_faults = nullptr;

// Error texts travel in a quoted SCPI string read into 255-byte buffers: keep the info short,
// printable and free of quotes.
std::string clean_info(std::string_view info) {
    std::string out;
    for (char c : info.substr(0, max_info)) {
        unsigned char u = static_cast<unsigned char>(c);
        out += c == '"' ? '\'' : (u < 0x20 || u > 0x7e) ? '?' : c;
    }
    if (info.size() > max_info)
        out += "...";
    return out;
}

// Splits at `sep` outside quoted strings ("..." and '...').
template <class F> void split_outside_quotes(std::string_view text, char sep, F &&each) {
    char quote = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == sep) {
            each(text.substr(start, i - start), start);
            start = i + 1;
        }
    }
    each(text.substr(start), start);
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && (is_space(s.front()) || s.front() == '\n'))
        s.remove_prefix(1);
    while (!s.empty() && (is_space(s.back()) || s.back() == '\n'))
        s.remove_suffix(1);
    return s;
}

// Bytes an instrument's parser rejects outright (outside quoted strings).
bool has_invalid_character(std::string_view message) {
    char quote = 0;
    for (char c : message) {
        unsigned char u = static_cast<unsigned char>(c);
        if (quote) {
            if (c == quote)
                quote = 0;
            continue;
        }
        if (c == '"' || c == '\'')
            quote = c;
        else if ((u < 0x20 && c != '\t' && c != '\r' && c != '\n') || u > 0x7e)
            return true;
    }
    return false;
}

} // namespace

Engine::Engine(Instrument &instrument, SimClock &clock, std::uint64_t seed, TraceSink trace)
    : instrument_(instrument), clock_(clock), seed_(seed), trace_(std::move(trace)),
      name_(instrument.name()), identity_(instrument.identity()), format_(instrument.real_format()),
      garbage_state_(seed * 0x9E3779B97F4A7C15ull + 1) {
    tree_.add(engine_rows());
    tree_.add(instrument_.commands());
    instrument_.attach(*this);
    instrument_.reset();
}

std::vector<Command> Engine::engine_rows() {
    std::vector<Command> rows;
    auto set = [&](std::string p, SetHandler h) {
        rows.push_back({std::move(p), std::move(h), {}});
    };
    auto query = [&](std::string p, QueryHandler h) {
        rows.push_back({std::move(p), {}, std::move(h)});
    };
    // IEEE 488.2 common commands. Every command completes before the next is parsed, so *OPC
    // sets the operation-complete bit at once and *WAI has nothing to wait for.
    query("*IDN", [this](Request &, Response &r) { r.raw(identity_); });
    set("*RST", [this](Request &) { instrument_.reset(); });
    set("*CLS", [this](Request &) {
        {
            std::lock_guard lock(mutex_);
            errors_.clear();
            esr_ = 0;
        }
        instrument_.clear_status();
    });
    set("*OPC", [this](Request &) {
        std::lock_guard lock(mutex_);
        esr_ |= 0x01;
    });
    query("*OPC", [](Request &, Response &r) { r.integer(1); });
    set("*WAI", [](Request &) {});
    query("*TST", [](Request &, Response &r) { r.integer(0); });
    query("*ESR", [this](Request &, Response &r) {
        std::lock_guard lock(mutex_);
        r.integer(esr_);
        esr_ = 0;
    });
    auto reg = [&](const char *name, unsigned Engine::*field) {
        rows.push_back({name,
                        [this, field](Request &req) {
                            if (auto v = req.integer(0, 0, 255)) {
                                std::lock_guard lock(mutex_);
                                this->*field = unsigned(*v);
                            }
                        },
                        [this, field](Request &, Response &r) {
                            std::lock_guard lock(mutex_);
                            r.integer(this->*field);
                        }});
    };
    reg("*ESE", &Engine::ese_);
    reg("*SRE", &Engine::sre_);
    query("*STB", [this](Request &, Response &r) { r.integer(status_byte()); });

    query("SYSTem:ERRor[:NEXT]", [this](Request &, Response &r) {
        std::lock_guard lock(mutex_);
        if (errors_.empty()) {
            r.integer(0).string(error_text(0));
            return;
        }
        r.integer(errors_.front().code).string(errors_.front().text);
        errors_.pop_front();
    });
    query("SYSTem:ERRor:COUNt", [this](Request &, Response &r) {
        std::lock_guard lock(mutex_);
        r.integer(static_cast<long long>(errors_.size()));
    });

    // Fault injection and inspection.
    set("SIMulation:DELay", [this](Request &req) {
        if (auto s = req.number(0, {Unit::second, 0.0, 3600.0, 0.0}))
            message_faults().delay = std::chrono::milliseconds(static_cast<long long>(*s * 1000));
    });
    auto count_param = [](Request &req, long long def, long long max) -> std::optional<long long> {
        if (req.param_count() == 0)
            return def;
        return req.integer(0, 1, max);
    };
    set("SIMulation:SILent", [count_param, this](Request &req) {
        if (auto n = count_param(req, 1, 1000000))
            message_faults().silent = *n;
    });
    set("SIMulation:GARBage", [count_param, this](Request &req) {
        if (auto n = count_param(req, 64, 1 << 20))
            message_faults().garbage = std::size_t(*n);
    });
    set("SIMulation:LONG", [count_param, this](Request &req) {
        if (auto n = count_param(req, 65536, 16 << 20))
            message_faults().long_reply = std::size_t(*n);
    });
    set("SIMulation:DROP", [this](Request &) { message_faults().drop = true; });
    set("SIMulation:DROP:IMMediate", [this](Request &) { message_faults().drop_now = true; });
    set("SIMulation:FAULts:CLEar", [this](Request &) {
        std::lock_guard lock(mutex_);
        pending_ = Faults{};
        message_faults() = Faults{};
    });
    rows.push_back({"SIMulation:TSCale",
                    [this](Request &req) {
                        if (auto s = req.number(0, {Unit::none, 0.0, 1000.0, 1.0}))
                            clock_.set_scale(*s);
                    },
                    [this](Request &, Response &r) { r.real(clock_.scale()); }});
    query("SIMulation:STATe", [this](Request &, Response &r) {
        r.raw(state().dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
    });
    return rows;
}

Engine::Faults &Engine::message_faults() {
    return *static_cast<Faults *>(armed_faults);
}

void Engine::push_error(int code, std::string_view info) {
    push_error(code, error_text(code), info);
}

void Engine::push_error(int code, std::string_view text, std::string_view info) {
    std::string entry = clean_info(text);
    if (!info.empty())
        entry += ';' + clean_info(info);
    std::lock_guard lock(mutex_);
    if (code <= -100 && code > -200)
        esr_ |= 0x20; // command error
    else if (code <= -200 && code > -300)
        esr_ |= 0x10; // execution error
    else if (code <= -300 && code > -400)
        esr_ |= 0x08; // device-dependent error
    else if (code <= -400 && code > -500)
        esr_ |= 0x04; // query error
    if (errors_.size() < error_queue_capacity)
        errors_.push_back({code, std::move(entry)});
    else
        errors_.back() = {err::queue_overflow, std::string(error_text(err::queue_overflow))};
}

unsigned Engine::status_byte() const {
    std::lock_guard lock(mutex_);
    unsigned stb = 0;
    if (!errors_.empty())
        stb |= 0x04; // error/event queue not empty
    if (esr_ & ese_)
        stb |= 0x20; // event status summary
    if (stb & sre_)
        stb |= 0x40; // master summary
    return stb;
}

std::size_t Engine::error_count() const {
    std::lock_guard lock(mutex_);
    return errors_.size();
}

void Engine::trace(std::string_view text) {
    if (trace_)
        trace_(text);
}

nlohmann::json Engine::state() const {
    nlohmann::json engine;
    {
        std::lock_guard lock(mutex_);
        auto errors = nlohmann::json::array();
        for (auto &e : errors_)
            errors.push_back({{"code", e.code}, {"text", e.text}});
        engine["errors"] = std::move(errors);
        engine["esr"] = esr_;
        engine["ese"] = ese_;
        engine["sre"] = sre_;
        engine["messages"] = messages_;
        engine["faults"] = {{"delay_ms", pending_.delay.count()},
                            {"silent", pending_.silent},
                            {"garbage", pending_.garbage},
                            {"long", pending_.long_reply},
                            {"drop", pending_.drop}};
    }
    engine["time_scale"] = clock_.scale();
    engine["seed"] = seed_;
    return {{"name", name_},
            {"identity", identity_},
            {"engine", std::move(engine)},
            {"model", instrument_.state()}};
}

// Called with mutex_ held.
std::string Engine::garbage(std::size_t n) {
    std::string out;
    out.reserve(n + 1);
    for (std::size_t i = 0; i < n; ++i) {
        garbage_state_ ^= garbage_state_ << 13;
        garbage_state_ ^= garbage_state_ >> 7;
        garbage_state_ ^= garbage_state_ << 17;
        char c = static_cast<char>(garbage_state_ >> 56);
        out += c == '\n' ? '\x0b' : c; // a line feed would end the reply early
    }
    out += '\n';
    return out;
}

Engine::Outcome Engine::execute(std::uint64_t connection, std::string_view message) {
    // Transports hand over the message without its terminator; callers of Bench::execute may
    // leave it on.
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r'))
        message.remove_suffix(1);
    thread_local std::string work;
    work.assign(message);
    Faults armed;
    armed_faults = &armed;
    Outcome out;
    {
        std::lock_guard lock(mutex_);
        ++messages_;
    }
    std::string_view text(work);
    if (has_invalid_character(text)) {
        push_error(err::invalid_character, text);
    } else {
        int base = CommandTree::root;
        CaptureStack base_caps;
        std::size_t answers = 0;
        split_outside_quotes(text, ';', [&](std::string_view unit, std::size_t offset) {
            run_unit(unit, work.data() + offset, base, base_caps, connection, out.reply, answers);
        });
    }
    armed_faults = nullptr;
    if (!out.reply.empty())
        out.reply += '\n';

    std::lock_guard lock(mutex_);
    if (!out.reply.empty()) {
        out.delay = pending_.delay;
        pending_.delay = std::chrono::milliseconds(0);
        if (pending_.drop) {
            pending_.drop = false;
            out.drop = true;
        } else if (pending_.silent > 0) {
            --pending_.silent;
            out.reply.clear();
            out.silenced = true;
        } else if (pending_.garbage > 0) {
            std::size_t n = pending_.garbage;
            pending_.garbage = 0;
            out.reply = garbage(n);
        } else if (pending_.long_reply > 0) {
            out.reply.assign(pending_.long_reply, '7');
            out.reply += '\n';
            pending_.long_reply = 0;
        }
    }
    if (armed.delay.count() > 0)
        pending_.delay = armed.delay;
    if (armed.silent > 0)
        pending_.silent = armed.silent;
    if (armed.garbage > 0)
        pending_.garbage = armed.garbage;
    if (armed.long_reply > 0)
        pending_.long_reply = armed.long_reply;
    if (armed.drop)
        pending_.drop = true;
    if (armed.drop_now) {
        out.drop = true;
        out.reply.clear();
    }
    return out;
}

void Engine::run_unit(std::string_view unit, char *writable, int &base, CaptureStack &base_caps,
                      std::uint64_t connection, std::string &reply, std::size_t &answers) {
    // Leading blanks are allowed before a header; an empty unit (the trailing ';' of
    // "CALL:CELL:MCC 1;LAC 2;") is ignored.
    std::size_t i = 0;
    while (i < unit.size() && is_space(unit[i]))
        ++i;
    if (i == unit.size())
        return;
    const std::size_t header_start = i;
    bool common = unit[i] == '*';
    bool absolute = unit[i] == ':';
    if (common || absolute)
        ++i;
    std::string_view tokens[max_header_nodes];
    std::size_t count = 0;
    for (;;) {
        std::size_t s = i;
        while (i < unit.size() && (is_alpha(unit[i]) || is_digit(unit[i]) || unit[i] == '_')) {
            writable[i] = to_upper(unit[i]);
            ++i;
        }
        std::string_view token(writable + s, i - s);
        if (!is_mnemonic(token) || count == max_header_nodes) {
            push_error(count == max_header_nodes ? err::undefined_header : err::syntax_error,
                       trim(unit));
            return;
        }
        tokens[count++] = token;
        if (common || i == unit.size() || unit[i] != ':')
            break;
        ++i;
    }
    bool query = i < unit.size() && unit[i] == '?';
    std::string_view header(writable + header_start, i - header_start);
    if (query)
        ++i;
    if (i < unit.size() && !is_space(unit[i])) {
        push_error(err::syntax_error, trim(unit));
        return;
    }

    Request req;
    req.engine_ = this;
    req.host_ = this;
    req.connection_id_ = connection;
    req.query_ = query;
    req.header_ = header;
    std::string_view params = trim(unit.substr(i));
    bool too_many = false;
    if (!params.empty()) {
        split_outside_quotes(params, ',', [&](std::string_view p, std::size_t) {
            if (req.param_count_ == Request::max_params)
                too_many = true;
            else
                req.params_[req.param_count_++] = trim(p);
        });
    }
    if (too_many) {
        push_error(err::too_much_data, header);
        return;
    }

    const Command *row = nullptr;
    if (common) {
        row = tree_.common(tokens[0], query);
        if (!row) {
            push_error(err::undefined_header, header);
            return;
        }
    } else {
        CaptureStack caps;
        int start = CommandTree::root;
        if (!absolute) {
            caps = base_caps;
            start = base;
        }
        int leaf = -1;
        if (!tree_.resolve(start, tokens, count, query, caps, leaf)) {
            push_error(err::undefined_header, header);
            return;
        }
        row = query ? &tree_.query_row(leaf) : &tree_.set_row(leaf);
        for (std::size_t c = 0; c < caps.size; ++c) {
            req.capture_names_[c] = caps.items[c].name;
            req.capture_values_[c] = caps.items[c].value;
        }
        req.capture_count_ = caps.size;
        // The next command of the message is relative to this header's parent node.
        base = tree_.parent(leaf);
        if (caps.size > 0 && caps.items[caps.size - 1].node == leaf)
            --caps.size;
        base_caps = caps;
    }
    invoke(*row, req, reply, answers);
}

void Engine::invoke(const Command &row, Request &req, std::string &reply, std::size_t &answers) {
    std::size_t before = reply.size();
    if (answers > 0)
        reply += ';';
    try {
        if (req.query_) {
            Response r(reply, format_);
            row.query(req, r);
            bool extra = !req.failed_ && req.max_read_ < req.param_count_;
            if (extra)
                req.error(err::parameter_not_allowed);
            if (r.empty() || extra)
                reply.resize(before); // nothing to say: no separator either
            else
                ++answers;
        } else {
            reply.resize(before);
            row.set(req);
            if (!req.failed_ && req.max_read_ < req.param_count_)
                req.error(err::parameter_not_allowed);
        }
    } catch (const std::exception &e) {
        reply.resize(before);
        push_error(err::device_specific_error, e.what());
    } catch (...) {
        reply.resize(before);
        push_error(err::device_specific_error, "handler failed");
    }
}

} // namespace gsmbench::sim
