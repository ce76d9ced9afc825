#include "fake_visa.h"

#include <algorithm>
#include <cstdarg>
#include <iterator>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "link/format.h"

namespace gsmbench::test {

FakeVisa &FakeVisa::instance() {
    static FakeVisa fake;
    return fake;
}

void FakeVisa::reset() {
    std::lock_guard lock(mutex_);
    sessions_.clear();
    injections_.clear();
    std::fill(std::begin(counts_), std::end(counts_), 0);
    closed_.clear();
    opened_names_.clear();
    next_handle_ = 0x100;
}

ViSession FakeVisa::open_session() {
    std::lock_guard lock(mutex_);
    const ViSession vi = next_handle_++;
    sessions_[vi] = Session{};
    return vi;
}

void FakeVisa::queue_reply(ViSession vi, std::string reply) {
    std::lock_guard lock(mutex_);
    sessions_[vi].replies.push_back(std::move(reply));
}

void FakeVisa::fail_call(VisaCall call, ViStatus status, int nth) {
    std::lock_guard lock(mutex_);
    injections_.push_back({call, status, nth});
}

std::vector<std::string> FakeVisa::lines(ViSession vi) const {
    std::lock_guard lock(mutex_);
    auto it = sessions_.find(vi);
    return it == sessions_.end() ? std::vector<std::string>{} : it->second.lines;
}

std::string FakeVisa::written(ViSession vi) const {
    std::string all;
    for (const auto &line : lines(vi)) {
        all += line;
    }
    return all;
}

std::vector<std::string> FakeVisa::printf_formats(ViSession vi) const {
    std::lock_guard lock(mutex_);
    auto it = sessions_.find(vi);
    return it == sessions_.end() ? std::vector<std::string>{} : it->second.printf_formats;
}

std::vector<std::string> FakeVisa::scanf_formats(ViSession vi) const {
    std::lock_guard lock(mutex_);
    auto it = sessions_.find(vi);
    return it == sessions_.end() ? std::vector<std::string>{} : it->second.scanf_formats;
}

std::size_t FakeVisa::call_count(VisaCall call) const {
    std::lock_guard lock(mutex_);
    return counts_[static_cast<std::size_t>(call)];
}

std::size_t FakeVisa::pending_replies(ViSession vi) const {
    std::lock_guard lock(mutex_);
    auto it = sessions_.find(vi);
    return it == sessions_.end() ? 0 : it->second.replies.size();
}

bool FakeVisa::is_open(ViSession vi) const {
    std::lock_guard lock(mutex_);
    auto it = sessions_.find(vi);
    return it != sessions_.end() && it->second.open;
}

std::vector<ViSession> FakeVisa::closed_handles() const {
    std::lock_guard lock(mutex_);
    return closed_;
}

std::vector<std::string> FakeVisa::opened_names() const {
    std::lock_guard lock(mutex_);
    return opened_names_;
}

void FakeVisa::set_fixed_reply(ViSession vi, const char *reply) {
    std::lock_guard lock(mutex_);
    sessions_[vi].fixed_reply = reply;
}

bool FakeVisa::take_injection(VisaCall call, ViStatus &status) {
    ++counts_[static_cast<std::size_t>(call)];
    bool hit = false;
    for (auto it = injections_.begin(); it != injections_.end();) {
        if (it->call != call) {
            ++it;
            continue;
        }
        if (it->nth == 0 && !hit) {
            status = it->status;
            hit = true;
            it = injections_.erase(it);
            continue;
        }
        if (it->nth > 0) {
            --it->nth;
        }
        ++it;
    }
    return hit;
}

ViStatus FakeVisa::do_open_default_rm(ViSession *rm) {
    std::lock_guard lock(mutex_);
    ViStatus injected = VI_SUCCESS;
    if (take_injection(VisaCall::open_default_rm, injected)) {
        return injected;
    }
    if (rm == nullptr) {
        return VI_ERROR_INV_PARAMETER;
    }
    const ViSession handle = next_handle_++;
    sessions_[handle] = Session{};
    sessions_[handle].resource_manager = true;
    *rm = handle;
    return VI_SUCCESS;
}

ViStatus FakeVisa::do_open(ViSession rm, const char *name, ViSession *vi) {
    std::lock_guard lock(mutex_);
    ViStatus injected = VI_SUCCESS;
    opened_names_.push_back(name ? name : "");
    if (take_injection(VisaCall::open, injected)) {
        return injected;
    }
    auto it = sessions_.find(rm);
    if (it == sessions_.end() || !it->second.open || !it->second.resource_manager) {
        return VI_ERROR_INV_OBJECT;
    }
    const ViSession handle = next_handle_++;
    sessions_[handle] = Session{};
    *vi = handle;
    return VI_SUCCESS;
}

ViStatus FakeVisa::do_close(ViSession vi) {
    std::lock_guard lock(mutex_);
    ViStatus injected = VI_SUCCESS;
    if (take_injection(VisaCall::close, injected)) {
        return injected;
    }
    auto it = sessions_.find(vi);
    if (it == sessions_.end() || !it->second.open) {
        return VI_ERROR_INV_OBJECT;
    }
    it->second.open = false;
    closed_.push_back(vi);
    return VI_SUCCESS;
}

ViStatus FakeVisa::do_printf(ViSession vi, const char *format, va_list args) {
    std::lock_guard lock(mutex_);
    auto it = sessions_.find(vi);
    if (it == sessions_.end() || !it->second.open) {
        ++counts_[static_cast<std::size_t>(VisaCall::printf)];
        return VI_ERROR_INV_OBJECT;
    }
    Session &session = it->second;
    if (session.fixed_reply != nullptr) {
        ++counts_[static_cast<std::size_t>(VisaCall::printf)];
        return VI_SUCCESS; // benchmark mode: nothing recorded, nothing allocated
    }
    // Expand the format as VISA would: only "%s", "%d", "%f" and "%%" are
    // needed by the driver; anything else is reported as unsupported.
    std::string line;
    ViStatus status = VI_SUCCESS;
    for (const char *p = format; *p != '\0'; ++p) {
        if (*p != '%') {
            line += *p;
            continue;
        }
        ++p;
        if (*p == '%') {
            line += '%';
        } else if (*p == 's') {
            const char *text = va_arg(args, const char *);
            line += text ? text : "";
        } else if (*p == 'd') {
            line += std::to_string(va_arg(args, int));
        } else if (*p == 'f') {
            char digits[400];
            link::format_fixed6(va_arg(args, double), digits, sizeof digits);
            line += digits;
        } else {
            status = VI_ERROR_NSUP_FMT;
            break;
        }
    }
    session.printf_formats.emplace_back(format);
    ViStatus injected = VI_SUCCESS;
    if (take_injection(VisaCall::printf, injected)) {
        session.lines.push_back(line);
        return injected;
    }
    if (status == VI_SUCCESS) {
        session.lines.push_back(line);
    }
    return status;
}

namespace {

// Parses "%t", "%<w>t", "%s", "%<w>s". Returns false for anything else.
bool parse_read_directive(const char *format, char &kind, long &width) {
    if (format == nullptr || format[0] != '%') {
        return false;
    }
    const char *p = format + 1;
    width = -1;
    if (*p >= '0' && *p <= '9') {
        char *end = nullptr;
        width = std::strtol(p, &end, 10);
        p = end;
    }
    if ((*p != 't' && *p != 's') || p[1] != '\0') {
        return false;
    }
    kind = *p;
    return true;
}

bool is_white(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

} // namespace

ViStatus FakeVisa::do_scanf(ViSession vi, const char *format, va_list args) {
    std::lock_guard lock(mutex_);
    auto it = sessions_.find(vi);
    if (it == sessions_.end() || !it->second.open) {
        ++counts_[static_cast<std::size_t>(VisaCall::scanf)];
        return VI_ERROR_INV_OBJECT;
    }
    Session &session = it->second;
    char *buffer = va_arg(args, char *);
    char kind = 0;
    long width = -1;
    if (!parse_read_directive(format, kind, width)) {
        ++counts_[static_cast<std::size_t>(VisaCall::scanf)];
        return VI_ERROR_NSUP_FMT;
    }
    if (session.fixed_reply != nullptr) {
        ++counts_[static_cast<std::size_t>(VisaCall::scanf)];
        const std::size_t length = std::strlen(session.fixed_reply);
        const std::size_t n = width >= 0 ? std::min<std::size_t>(length, width) : length;
        std::memcpy(buffer, session.fixed_reply, n);
        buffer[n] = '\0';
        return VI_SUCCESS;
    }
    session.scanf_formats.emplace_back(format);
    ViStatus injected = VI_SUCCESS;
    const bool has_injection = take_injection(VisaCall::scanf, injected);
    if (has_injection && injected < 0) {
        return injected;
    }
    if (session.replies.empty()) {
        return has_injection ? injected : VI_ERROR_TMO;
    }
    const std::string reply = std::move(session.replies.front());
    session.replies.pop_front();
    std::size_t begin = 0;
    std::size_t end = reply.size();
    if (kind == 's') {
        while (begin < end && is_white(reply[begin])) {
            ++begin;
        }
        std::size_t stop = begin;
        while (stop < end && !is_white(reply[stop])) {
            ++stop;
        }
        end = stop;
    }
    std::size_t n = end - begin;
    if (width >= 0 && n > static_cast<std::size_t>(width)) {
        n = static_cast<std::size_t>(width);
    }
    std::memcpy(buffer, reply.data() + begin, n);
    buffer[n] = '\0';
    return has_injection ? injected : VI_SUCCESS;
}

} // namespace gsmbench::test

// ---- The VISA entry points the driver links against -------------------------
using gsmbench::test::FakeVisa;

extern "C" {

ViStatus _VI_FUNC viOpenDefaultRM(ViPSession vi) {
    return FakeVisa::instance().do_open_default_rm(vi);
}

ViStatus _VI_FUNC viOpen(ViSession sesn, ViConstRsrc name, ViUInt32, ViUInt32, ViPSession vi) {
    return FakeVisa::instance().do_open(sesn, name, vi);
}

ViStatus _VI_FUNC viClose(ViObject vi) { return FakeVisa::instance().do_close(vi); }

ViStatus _VI_FUNCC viPrintf(ViSession vi, ViConstString format, ...) {
    va_list args;
    va_start(args, format);
    const ViStatus status = FakeVisa::instance().do_printf(vi, format, args);
    va_end(args);
    return status;
}

ViStatus _VI_FUNCC viScanf(ViSession vi, ViConstString format, ...) {
    va_list args;
    va_start(args, format);
    const ViStatus status = FakeVisa::instance().do_scanf(vi, format, args);
    va_end(args);
    return status;
}

} // extern "C"
