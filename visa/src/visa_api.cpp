// The exported VISA operations: argument checks, handle look-up and locking,
// then the session's transport. No exception leaves this file.
#include <algorithm>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <new>

#include <visa.h>

#include "formatted_io.h"
#include "session.h"
#include "status_desc.h"

using namespace gsmbench::visa;

namespace {

constexpr const char *kManufacturer = "gsmbench";
constexpr ViVersion kImplementationVersion = 0x00100000; // 0.1.0
constexpr ViVersion kSpecVersion = VI_SPEC_VERSION;

void copy_bounded(char (&to)[16], const char *from) noexcept {
    for (std::size_t i = 0; i + 1 < sizeof to && from[i] != '\0'; ++i) {
        to[i] = from[i];
    }
}

std::uint16_t portmapper_port_from_environment() noexcept {
    char text[16] = {};
#if defined(_MSC_VER)
    // MSVC deprecates getenv; _dupenv_s is its thread-safe equivalent.
    char *value = nullptr;
    std::size_t length = 0;
    if (_dupenv_s(&value, &length, "GSMBENCH_PORTMAPPER_PORT") == 0 && value != nullptr) {
        copy_bounded(text, value);
    }
    std::free(value);
#else
    // Read once per resource manager, never while the library itself writes
    // the environment (it does not).
    if (const char *value =
            std::getenv("GSMBENCH_PORTMAPPER_PORT")) { // NOLINT(concurrency-mt-unsafe)
        copy_bounded(text, value);
    }
#endif
    char *end = nullptr;
    const unsigned long port = std::strtoul(text, &end, 10);
    return (text[0] != '\0' && end != nullptr && *end == '\0' && port > 0 && port <= 65535)
               ? static_cast<std::uint16_t>(port)
               : std::uint16_t{111};
}

// Closes a session whose handle is already out of the table. A thread still
// inside a call on it is woken by shutting the socket down first.
void close_session(Session &session) noexcept {
    std::unique_lock lock(session.mutex, std::try_to_lock);
    if (!lock.owns_lock()) {
        session.transport->abort();
        lock.lock();
    }
    if (session.closed) {
        return;
    }
    session.closed = true;
    session.transport->close(session.deadline());
}

void forget_session(ViSession rm_handle, ViSession vi) {
    const auto object = HandleTable::instance().find(rm_handle);
    if (object == nullptr || object->kind != Object::Kind::resource_manager) {
        return;
    }
    auto &rm = static_cast<ResourceManager &>(*object);
    std::lock_guard lock(rm.mutex);
    std::erase(rm.sessions, vi);
}

// Runs op with the session locked, or returns the handle's error.
template <typename Op> ViStatus with_session(ViSession vi, Op op) noexcept {
    try {
        const auto object = HandleTable::instance().find(vi);
        if (object == nullptr) {
            return VI_ERROR_INV_OBJECT;
        }
        if (object->kind != Object::Kind::session) {
            return VI_ERROR_NSUP_OPER;
        }
        auto &session = static_cast<Session &>(*object);
        std::lock_guard lock(session.mutex);
        if (session.closed) {
            return VI_ERROR_INV_OBJECT;
        }
        return op(session);
    } catch (const std::bad_alloc &) {
        return VI_ERROR_ALLOC;
    } catch (...) {
        return VI_ERROR_SYSTEM_ERROR;
    }
}

class SessionSink final : public TextSink {
  public:
    SessionSink(Session &s, const Deadline &d) : session_(s), deadline_(d) {}
    ViStatus put(const char *data, std::size_t size) noexcept override {
        return session_.buffer_output(data, size, deadline_);
    }

  private:
    Session &session_;
    const Deadline &deadline_;
};

class SessionSource final : public ByteSource {
  public:
    SessionSource(Session &s, const Deadline &d) : session_(s), deadline_(d) {}
    int peek(ViStatus &status) noexcept override {
        const int c = session_.peek(deadline_, status);
        return c == Session::kFailed ? kFailed : (c == Session::kEndOfMessage ? kEndOfMessage : c);
    }
    void advance() noexcept override { session_.advance(); }

  private:
    Session &session_;
    const Deadline &deadline_;
};

// Attribute values are written with the width of the attribute's own type.
template <typename T> ViStatus put_value(void *out, T value) noexcept {
    std::memcpy(out, &value, sizeof value);
    return VI_SUCCESS;
}

ViStatus put_text(void *out, std::string_view text) noexcept {
    const std::size_t n = std::min(text.size(), std::size_t{VI_FIND_BUFLEN - 1});
    std::memcpy(out, text.data(), n);
    static_cast<char *>(out)[n] = '\0';
    return VI_SUCCESS;
}

bool boolean_value(ViAttrState value, bool &out) noexcept {
    if (value != VI_TRUE && value != VI_FALSE) {
        return false;
    }
    out = value == VI_TRUE;
    return true;
}

// What every object of this VISA answers alike: its maker and versions.
ViStatus get_common_attribute(ViAttr attr, void *out) noexcept {
    switch (attr) {
    case VI_ATTR_RSRC_MANF_NAME:
        return put_text(out, kManufacturer);
    case VI_ATTR_RSRC_SPEC_VERSION:
        return put_value<ViVersion>(out, kSpecVersion);
    case VI_ATTR_RSRC_IMPL_VERSION:
        return put_value<ViVersion>(out, kImplementationVersion);
    default:
        return VI_ERROR_NSUP_ATTR;
    }
}

ViStatus get_session_attribute(Session &s, ViAttr attr, void *out) noexcept {
    const bool is_socket = s.name.kind == ResourceClass::socket;
    switch (attr) {
    case VI_ATTR_TMO_VALUE:
        return put_value<ViUInt32>(out, s.timeout_ms);
    case VI_ATTR_TERMCHAR:
        return put_value<ViUInt8>(out, s.term_char);
    case VI_ATTR_TERMCHAR_EN:
        return put_value<ViBoolean>(out, s.term_char_enabled ? VI_TRUE : VI_FALSE);
    case VI_ATTR_SEND_END_EN:
        return put_value<ViBoolean>(out, s.send_end ? VI_TRUE : VI_FALSE);
    case VI_ATTR_SUPPRESS_END_EN:
        return put_value<ViBoolean>(out, s.suppress_end ? VI_TRUE : VI_FALSE);
    case VI_ATTR_RSRC_NAME:
        return put_text(out, s.rsrc_name);
    case VI_ATTR_RSRC_CLASS:
        return put_text(out, is_socket ? "SOCKET" : "INSTR");
    case VI_ATTR_INTF_TYPE:
        return put_value<ViUInt16>(out, VI_INTF_TCPIP);
    case VI_ATTR_INTF_NUM:
        return put_value<ViUInt16>(out, s.name.board);
    case VI_ATTR_TCPIP_ADDR:
    case VI_ATTR_TCPIP_HOSTNAME:
        return put_text(out, s.name.host);
    case VI_ATTR_TCPIP_PORT:
        return is_socket ? put_value<ViUInt16>(out, s.name.port) : VI_ERROR_NSUP_ATTR;
    case VI_ATTR_TCPIP_DEVICE_NAME:
        return is_socket ? VI_ERROR_NSUP_ATTR : put_text(out, s.name.device);
    case VI_ATTR_TCPIP_NODELAY:
        return is_socket ? put_value<ViBoolean>(out, s.nodelay ? VI_TRUE : VI_FALSE)
                         : VI_ERROR_NSUP_ATTR;
    case VI_ATTR_TCPIP_KEEPALIVE:
        return is_socket ? put_value<ViBoolean>(out, s.keepalive ? VI_TRUE : VI_FALSE)
                         : VI_ERROR_NSUP_ATTR;
    case VI_ATTR_RM_SESSION:
        return put_value<ViSession>(out, s.rm);
    default:
        return get_common_attribute(attr, out);
    }
}

ViStatus set_session_attribute(Session &s, ViAttr attr, ViAttrState value) noexcept {
    const bool is_socket = s.name.kind == ResourceClass::socket;
    bool flag = false;
    switch (attr) {
    case VI_ATTR_TMO_VALUE:
        if (value > 0xFFFFFFFFu) {
            return VI_ERROR_NSUP_ATTR_STATE;
        }
        s.timeout_ms = static_cast<ViUInt32>(value);
        return VI_SUCCESS;
    case VI_ATTR_TERMCHAR:
        if (value > 0xFF) {
            return VI_ERROR_NSUP_ATTR_STATE;
        }
        s.term_char = static_cast<std::uint8_t>(value);
        return VI_SUCCESS;
    case VI_ATTR_TERMCHAR_EN:
    case VI_ATTR_SEND_END_EN:
    case VI_ATTR_SUPPRESS_END_EN:
        if (!boolean_value(value, flag)) {
            return VI_ERROR_NSUP_ATTR_STATE;
        }
        (attr == VI_ATTR_TERMCHAR_EN
             ? s.term_char_enabled
             : (attr == VI_ATTR_SEND_END_EN ? s.send_end : s.suppress_end)) = flag;
        return VI_SUCCESS;
    case VI_ATTR_TCPIP_NODELAY:
    case VI_ATTR_TCPIP_KEEPALIVE:
        if (!is_socket) {
            return VI_ERROR_NSUP_ATTR;
        }
        if (!boolean_value(value, flag)) {
            return VI_ERROR_NSUP_ATTR_STATE;
        }
        if (attr == VI_ATTR_TCPIP_NODELAY) {
            if (!s.transport->set_nodelay(flag)) {
                return VI_ERROR_NSUP_ATTR_STATE;
            }
            s.nodelay = flag;
        } else {
            if (!s.transport->set_keepalive(flag)) {
                return VI_ERROR_NSUP_ATTR_STATE;
            }
            s.keepalive = flag;
        }
        return VI_SUCCESS;
    default: {
        // Known but read-only attributes answer so; others are unknown.
        char scratch[VI_FIND_BUFLEN];
        return get_session_attribute(s, attr, scratch) == VI_SUCCESS ? VI_ERROR_ATTR_READONLY
                                                                     : VI_ERROR_NSUP_ATTR;
    }
    }
}

ViStatus get_rm_attribute(const ResourceManager &rm, ViAttr attr, void *out) noexcept {
    switch (attr) {
    case VI_ATTR_TMO_VALUE:
        return put_value<ViUInt32>(out, rm.timeout_ms);
    default:
        return get_common_attribute(attr, out);
    }
}

ViStatus set_rm_attribute(ResourceManager &rm, ViAttr attr, ViAttrState value) noexcept {
    if (attr == VI_ATTR_TMO_VALUE) {
        if (value > 0xFFFFFFFFu) {
            return VI_ERROR_NSUP_ATTR_STATE;
        }
        rm.timeout_ms = static_cast<ViUInt32>(value);
        return VI_SUCCESS;
    }
    char scratch[VI_FIND_BUFLEN];
    return get_rm_attribute(rm, attr, scratch) == VI_SUCCESS ? VI_ERROR_ATTR_READONLY
                                                             : VI_ERROR_NSUP_ATTR;
}

// Runs op on whichever kind of object the handle names.
template <typename OnRm, typename OnSession>
ViStatus with_object(ViObject vi, OnRm on_rm, OnSession on_session) noexcept {
    try {
        const auto object = HandleTable::instance().find(vi);
        if (object == nullptr) {
            return VI_ERROR_INV_OBJECT;
        }
        std::lock_guard lock(object->mutex);
        if (object->closed) {
            return VI_ERROR_INV_OBJECT;
        }
        if (object->kind == Object::Kind::resource_manager) {
            return on_rm(static_cast<ResourceManager &>(*object));
        }
        return on_session(static_cast<Session &>(*object));
    } catch (...) {
        return VI_ERROR_SYSTEM_ERROR;
    }
}

} // namespace

extern "C" {

ViStatus _VI_FUNC viOpenDefaultRM(ViPSession vi) {
    if (vi == nullptr) {
        return VI_ERROR_INV_PARAMETER;
    }
    *vi = VI_NULL;
    try {
        if (!net_init()) {
            return VI_ERROR_SYSTEM_ERROR;
        }
        const ViObject handle = HandleTable::instance().add(
            std::make_shared<ResourceManager>(portmapper_port_from_environment()));
        if (handle == VI_NULL) {
            return VI_ERROR_ALLOC;
        }
        *vi = handle;
        return VI_SUCCESS;
    } catch (...) {
        return VI_ERROR_ALLOC;
    }
}

ViStatus _VI_FUNC viOpen(ViSession sesn, ViConstRsrc name, ViAccessMode mode, ViUInt32 timeout,
                         ViPSession vi) {
    if (vi == nullptr) {
        return VI_ERROR_INV_PARAMETER;
    }
    *vi = VI_NULL;
    try {
        auto &table = HandleTable::instance();
        const auto object = table.find(sesn);
        if (object == nullptr || object->kind != Object::Kind::resource_manager) {
            return VI_ERROR_INV_OBJECT;
        }
        auto &rm = static_cast<ResourceManager &>(*object);
        if ((mode & ~static_cast<ViAccessMode>(VI_LOAD_CONFIG)) != 0) {
            return VI_ERROR_INV_ACC_MODE; // locking is not offered
        }
        if (name == nullptr) {
            return VI_ERROR_INV_RSRC_NAME;
        }
        ResourceName parsed;
        const std::size_t length = [&] {
            const void *nul = std::memchr(name, 0, VI_FIND_BUFLEN);
            return nul != nullptr ? static_cast<std::size_t>(static_cast<const char *>(nul) - name)
                                  : std::size_t{VI_FIND_BUFLEN};
        }();
        switch (parse_resource_name({name, length}, parsed)) {
        case ParseResult::invalid:
            return VI_ERROR_INV_RSRC_NAME;
        case ParseResult::unsupported_class:
            return VI_ERROR_NSUP_OPER;
        case ParseResult::ok:
            break;
        }
        // The open time-out bounds connecting; 0 (what most callers pass)
        // means the default bound, never "give up at once".
        const ViUInt32 bound =
            timeout == 0 ? kDefaultOpenTimeoutMs : std::min(timeout, kMaxOpenTimeoutMs);
        const Deadline deadline = Deadline::after_ms(bound);
        std::unique_ptr<Transport> transport;
        const ViStatus st =
            parsed.kind == ResourceClass::socket
                ? open_socket_transport(parsed, deadline, transport)
                : open_vxi11_transport(parsed, rm.portmapper_port, deadline, transport);
        if (st != VI_SUCCESS) {
            return st;
        }
        auto session = std::make_shared<Session>(sesn, std::move(parsed), std::move(transport));
        const ViObject handle = table.add(session);
        if (handle == VI_NULL) {
            close_session(*session);
            return VI_ERROR_ALLOC;
        }
        {
            std::lock_guard lock(rm.mutex);
            if (!rm.closed) {
                rm.sessions.push_back(handle);
                *vi = handle;
                return VI_SUCCESS;
            }
        }
        // The manager was closed while we connected.
        if (auto orphan = table.remove(handle)) {
            close_session(static_cast<Session &>(*orphan));
        }
        return VI_ERROR_INV_OBJECT;
    } catch (const std::bad_alloc &) {
        return VI_ERROR_ALLOC;
    } catch (...) {
        return VI_ERROR_SYSTEM_ERROR;
    }
}

ViStatus _VI_FUNC viClose(ViObject vi) {
    if (vi == VI_NULL) {
        return VI_WARN_NULL_OBJECT;
    }
    try {
        auto &table = HandleTable::instance();
        const auto object = table.remove(vi);
        if (object == nullptr) {
            return VI_ERROR_INV_OBJECT;
        }
        if (object->kind == Object::Kind::session) {
            auto &session = static_cast<Session &>(*object);
            forget_session(session.rm, vi);
            close_session(session);
            return VI_SUCCESS;
        }
        auto &rm = static_cast<ResourceManager &>(*object);
        std::vector<ViSession> sessions;
        {
            std::lock_guard lock(rm.mutex);
            rm.closed = true;
            sessions.swap(rm.sessions);
        }
        for (const ViSession s : sessions) {
            if (auto child = table.remove(s)) {
                close_session(static_cast<Session &>(*child));
            }
        }
        return VI_SUCCESS;
    } catch (...) {
        return VI_ERROR_SYSTEM_ERROR;
    }
}

ViStatus _VI_FUNC viSetAttribute(ViObject vi, ViAttr attrName, ViAttrState attrValue) {
    return with_object(
        vi, [&](ResourceManager &rm) { return set_rm_attribute(rm, attrName, attrValue); },
        [&](Session &s) { return set_session_attribute(s, attrName, attrValue); });
}

ViStatus _VI_FUNC viGetAttribute(ViObject vi, ViAttr attrName, void *attrValue) {
    if (attrValue == nullptr) {
        return VI_ERROR_USER_BUF;
    }
    return with_object(
        vi, [&](ResourceManager &rm) { return get_rm_attribute(rm, attrName, attrValue); },
        [&](Session &s) { return get_session_attribute(s, attrName, attrValue); });
}

ViStatus _VI_FUNC viStatusDesc(ViObject, ViStatus status, ViChar desc[]) {
    if (desc == nullptr) {
        return VI_ERROR_USER_BUF;
    }
    std::string_view text = status_text(status);
    const bool known = !text.empty();
    if (!known) {
        text = "Unknown status code.";
    }
    put_text(desc, text);
    return known ? VI_SUCCESS : VI_WARN_UNKNOWN_STATUS;
}

ViStatus _VI_FUNC viRead(ViSession vi, ViPBuf buf, ViUInt32 cnt, ViPUInt32 retCnt) {
    if (retCnt != nullptr) {
        *retCnt = 0;
    }
    if (buf == nullptr && cnt > 0) {
        return VI_ERROR_USER_BUF;
    }
    return with_session(vi, [&](Session &s) {
        std::size_t got = 0;
        const ViStatus st = s.read(buf, cnt, s.deadline(), got);
        if (retCnt != nullptr) {
            *retCnt = static_cast<ViUInt32>(got);
        }
        return st;
    });
}

ViStatus _VI_FUNC viWrite(ViSession vi, ViConstBuf buf, ViUInt32 cnt, ViPUInt32 retCnt) {
    if (retCnt != nullptr) {
        *retCnt = 0;
    }
    if (buf == nullptr && cnt > 0) {
        return VI_ERROR_USER_BUF;
    }
    return with_session(vi, [&](Session &s) {
        std::size_t written = 0;
        const ViStatus st = s.write(buf, cnt, true, s.deadline(), written);
        if (retCnt != nullptr) {
            *retCnt = static_cast<ViUInt32>(written);
        }
        return st;
    });
}

ViStatus _VI_FUNC viClear(ViSession vi) {
    return with_session(vi, [&](Session &s) {
        s.drop_buffers();
        return s.transport->clear(s.deadline());
    });
}

ViStatus _VI_FUNC viVPrintf(ViSession vi, ViConstString writeFmt, va_list params) {
    if (writeFmt == nullptr) {
        return VI_ERROR_USER_BUF;
    }
    va_list args;
    va_copy(args, params);
    const ViStatus st = with_session(vi, [&](Session &s) {
        const Deadline deadline = s.deadline();
        SessionSink sink(s, deadline);
        const ViStatus formatted = format_output(sink, writeFmt, &args);
        if (formatted != VI_SUCCESS) {
            s.drop_buffers(); // nothing half-formatted lingers for the next call
            return formatted;
        }
        return s.flush_output(deadline);
    });
    va_end(args);
    return st;
}

ViStatus _VI_FUNCC viPrintf(ViSession vi, ViConstString writeFmt, ...) {
    va_list args;
    va_start(args, writeFmt);
    const ViStatus st = viVPrintf(vi, writeFmt, args);
    va_end(args);
    return st;
}

ViStatus _VI_FUNC viVScanf(ViSession vi, ViConstString readFmt, va_list params) {
    if (readFmt == nullptr) {
        return VI_ERROR_USER_BUF;
    }
    va_list args;
    va_copy(args, params);
    const ViStatus st = with_session(vi, [&](Session &s) {
        const Deadline deadline = s.deadline();
        SessionSource source(s, deadline);
        s.begin_message();
        const ViStatus scanned = scan_input(source, readFmt, &args);
        if (scanned != VI_SUCCESS) {
            return scanned;
        }
        // One reply per call: whatever the directives left of it goes.
        return s.discard_message(deadline);
    });
    va_end(args);
    return st;
}

ViStatus _VI_FUNCC viScanf(ViSession vi, ViConstString readFmt, ...) {
    va_list args;
    va_start(args, readFmt);
    const ViStatus st = viVScanf(vi, readFmt, args);
    va_end(args);
    return st;
}

} // extern "C"
