#include "server/vxi11_server.h"
#include "server/connection_list.h"

#include "gsmbench/rpc/onc_rpc.h"
#include "gsmbench/rpc/portmap.h"
#include "gsmbench/rpc/record.h"
#include "gsmbench/rpc/vxi11.h"
#include "gsmbench/rpc/xdr.h"
#include "scpi/mnemonic.h"

#include <algorithm>
#include <map>
#include <stdexcept>
#include <vector>

namespace gsmbench::sim {
namespace {
using namespace gsmbench::rpc;
namespace vx = gsmbench::rpc::vxi11;

// Largest device_write a client may send in one call (announced by create_link); records are
// capped a little above it for the headers.
constexpr std::uint32_t max_recv_size = 1u << 20;
constexpr std::size_t max_record = max_recv_size + 4096;
constexpr std::size_t max_links_per_connection = 16;
// A device_read with nothing to send waits the client's io_timeout, bounded by this.
constexpr std::chrono::milliseconds max_read_wait{60000};
constexpr std::uint32_t abort_proc_device_abort = 1;

// Reply buffer with room for the record mark in front.
struct Reply {
    std::vector<std::uint8_t> bytes;
    XdrWriter writer;
    explicit Reply(std::size_t capacity)
        : bytes(capacity + kRecordMarkSize), writer(bytes.data() + kRecordMarkSize, capacity) {}
};
} // namespace

struct Vxi11Server::Link {
    Engine *engine = nullptr;
    std::string device;
    std::string input;       // message being assembled from device_write calls
    bool discarding = false; // rest of an over-long message, up to its end
    std::string output;      // reply not yet read
    std::size_t read_pos = 0;
    bool silenced = false; // the last reply was swallowed by a fault: no -420 for it
};

Vxi11Server::Vxi11Server(Engine &test_set, Engine &supply, Tracer &tracer, ConnectionLimits limits)
    : test_set_(test_set), supply_(supply), tracer_(tracer), limits_(limits) {}

Vxi11Server::~Vxi11Server() {
    stop();
}

Engine *Vxi11Server::device(std::string_view name) const {
    using detail::iequals;
    if (iequals(name, "inst0") || iequals(name, "gpib0,14"))
        return &test_set_;
    if (iequals(name, "inst1") || iequals(name, "gpib0,5"))
        return &supply_;
    return nullptr;
}

void Vxi11Server::start(const std::string &address, std::uint16_t core_port,
                        std::uint16_t portmapper_port) {
    std::string error;
    core_listener_ = net::listen_tcp(address, core_port, error);
    if (core_listener_ == net::invalid_socket)
        throw std::runtime_error("VXI-11 core channel: " + error);
    core_port_ = net::local_port(core_listener_);
    stopping_ = false;

    pmap_listener_ = net::listen_tcp(address, portmapper_port, error);
    if (pmap_listener_ != net::invalid_socket) {
        portmapper_port_ = net::local_port(pmap_listener_);
        pmap_udp_ = net::bind_udp(address, portmapper_port_, error);
        if (pmap_udp_ == net::invalid_socket) {
            net::close_socket(pmap_listener_);
            pmap_listener_ = net::invalid_socket;
            portmapper_port_ = 0;
        }
    }
    if (pmap_listener_ == net::invalid_socket) {
        bool denied = error.find("ermission") != std::string::npos ||
                      error.find("access") != std::string::npos;
        portmapper_error_ = "VXI-11 portmapper not running (" + error + ")" +
                            (denied ? "; binding a port below 1024 needs privileges (root or "
                                      "CAP_NET_BIND_SERVICE)"
                                    : "") +
                            "; SOCKET access and the VXI-11 core channel on port " +
                            std::to_string(core_port_) + " keep working";
    }
    loops_.emplace_back([this] { accept_loop(core_listener_, false); });
    if (pmap_listener_ != net::invalid_socket) {
        loops_.emplace_back([this] { accept_loop(pmap_listener_, true); });
        loops_.emplace_back([this] { udp_loop(); });
    }
}

void Vxi11Server::stop() {
    stopping_ = true;
    for (auto &t : loops_)
        if (t.joinable())
            t.join();
    loops_.clear();
    for (auto *s : {&core_listener_, &pmap_listener_, &pmap_udp_})
        if (*s != net::invalid_socket) {
            net::close_socket(*s);
            *s = net::invalid_socket;
        }
    {
        std::lock_guard lock(mutex_);
        for (auto &c : connections_)
            net::shutdown_both(c->socket);
    }
    reap(true);
}

void Vxi11Server::reap(bool all) {
    reap_connections(mutex_, connections_, all);
}

void Vxi11Server::accept_loop(net::socket_t listener, bool portmapper) {
    while (!stopping_) {
        if (!net::wait_readable(listener, std::chrono::milliseconds(100))) {
            reap(false);
            continue;
        }
        std::string peer;
        net::socket_t s = net::accept_client(listener, peer);
        if (s == net::invalid_socket)
            continue;
        reap(false);
        auto c = std::make_unique<Connection>();
        c->socket = s;
        c->id = next_connection_id();
        c->portmapper = portmapper;
        std::lock_guard lock(mutex_);
        if (connections_.size() >= 2 * limits_.max_connections) {
            net::close_socket(s);
            continue;
        }
        tracer_.line(portmapper ? "portmapper" : "vxi11", c->id, '-', "connected from " + peer);
        net::configure_connection(s, limits_.send_timeout);
        Connection &ref = *c;
        connections_.push_back(std::move(c));
        ref.thread = std::thread([this, &ref] { serve(ref); });
    }
}

namespace {

// GETPORT: the core and abort programs are both served on the core port.
std::uint32_t lookup_port(const PortmapMapping &q, std::uint16_t core_port) {
    if (q.protocol == kIpProtoTcp && q.version == vx::kCoreVersion &&
        (q.program == vx::kCoreProgram || q.program == vx::kAbortProgram))
        return core_port;
    return 0;
}

// Portmapper calls, the same over TCP and UDP. Returns false when nothing should be sent.
bool handle_portmap(std::span<const std::uint8_t> body, XdrWriter &out, std::uint16_t core_port) {
    XdrReader in(body);
    CallHeader h;
    bool mismatch = false;
    if (!decode_call_header(in, h, &mismatch)) {
        if (!mismatch)
            return false;
        encode_rpc_mismatch_reply(out, h.xid);
        return true;
    }
    if (h.program != kPortmapProgram) {
        encode_accepted_reply_header(out, h.xid, AcceptStat::prog_unavail);
    } else if (h.version != kPortmapVersion) {
        encode_accepted_reply_header(out, h.xid, AcceptStat::prog_mismatch, kPortmapVersion,
                                     kPortmapVersion);
    } else if (h.procedure == kPortmapProcNull) {
        encode_accepted_reply_header(out, h.xid, AcceptStat::success);
    } else if (h.procedure == kPortmapProcGetport) {
        PortmapMapping q;
        if (decode_getport_args(in, q))
            encode_getport_reply(out, h.xid, lookup_port(q, core_port));
        else
            encode_accepted_reply_header(out, h.xid, AcceptStat::garbage_args);
    } else {
        encode_accepted_reply_header(out, h.xid, AcceptStat::proc_unavail);
    }
    return true;
}

} // namespace

void Vxi11Server::udp_loop() {
    std::vector<char> buffer(9000);
    while (!stopping_) {
        if (!net::wait_readable(pmap_udp_, std::chrono::milliseconds(100)))
            continue;
        sockaddr_storage from;
        socklen_t from_len = 0;
        long n = net::receive_from(pmap_udp_, buffer.data(), buffer.size(), from, from_len);
        if (n <= 0)
            continue;
        std::uint8_t reply[256];
        XdrWriter out(reply, sizeof reply);
        if (handle_portmap({reinterpret_cast<const std::uint8_t *>(buffer.data()), std::size_t(n)},
                           out, core_port_) &&
            out.ok())
            net::send_to(pmap_udp_, reinterpret_cast<const char *>(reply), out.size(), from,
                         from_len);
    }
}

void Vxi11Server::serve(Connection &c) {
    const char *who = c.portmapper ? "portmapper" : "vxi11";
    RecordAssembler record(max_record);
    std::vector<std::uint8_t> buffer(65536);
    std::size_t have = 0, pos = 0;
    std::map<std::int32_t, Link> links;
    bool drop = false;
    const char *why = "closed by client";

    // One SCPI message of a link: a new message discards an unread reply (-410), as an
    // instrument does when it is told something before it was allowed to talk.
    auto execute = [&](Link &link, std::string_view line) {
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (link.read_pos < link.output.size())
            link.engine->push_error(err::query_interrupted, {});
        link.output.clear();
        link.read_pos = 0;
        tracer_.line(link.engine->name(), c.id, '<', line);
        Engine::Outcome out = link.engine->execute(c.id, line);
        if (out.delay.count() > 0)
            sleep_unless_stopping(link.engine->clock(), out.delay);
        if (out.drop) {
            drop = true;
            return;
        }
        link.silenced = out.silenced;
        if (!out.reply.empty())
            tracer_.line(link.engine->name(), c.id, '>', out.reply);
        link.output = std::move(out.reply);
    };

    auto handle_core = [&](const CallHeader &h, XdrReader &in, Reply &r) {
        XdrWriter &out = r.writer;
        auto find = [&](std::int32_t lid) -> Link * {
            auto it = links.find(lid);
            return it == links.end() ? nullptr : &it->second;
        };
        switch (h.procedure) {
        case vx::kCreateLink: {
            vx::CreateLinkParms a;
            if (!vx::decode_create_link_args(in, a))
                return encode_accepted_reply_header(out, h.xid, AcceptStat::garbage_args);
            vx::CreateLinkResp resp;
            resp.abort_port = core_port_;
            resp.max_recv_size = max_recv_size;
            Engine *e = device(a.device);
            if (!e) {
                resp.error = vx::kInvalidAddress;
            } else if (links.size() >= max_links_per_connection) {
                resp.error = vx::kOutOfResources;
            } else {
                resp.lid = next_lid_++;
                Link &l = links[resp.lid];
                l.engine = e;
                l.device = std::string(a.device);
                tracer_.line(e->name(), c.id, '-',
                             "link " + std::to_string(resp.lid) + " to " + l.device);
            }
            return vx::encode_create_link_reply(out, h.xid, resp);
        }
        case vx::kDeviceWrite: {
            vx::DeviceWriteParms a;
            if (!vx::decode_device_write_args(in, a))
                return encode_accepted_reply_header(out, h.xid, AcceptStat::garbage_args);
            vx::DeviceWriteResp resp;
            Link *l = find(a.lid);
            if (!l) {
                resp.error = vx::kInvalidLinkIdentifier;
                return vx::encode_device_write_reply(out, h.xid, resp);
            }
            resp.size = std::uint32_t(a.data.size());
            std::string_view data(reinterpret_cast<const char *>(a.data.data()), a.data.size());
            // Lines end a message as on a socket; the END flag ends one without a line feed.
            while (!data.empty() && !drop) {
                auto lf = data.find('\n');
                std::string_view piece = data.substr(0, lf);
                if (!l->discarding) {
                    l->input.append(piece);
                    if (l->input.size() > limits_.max_message) {
                        l->engine->push_error(err::too_much_data, "message too long");
                        l->input.clear();
                        l->input.shrink_to_fit();
                        l->discarding = true;
                    }
                }
                if (lf == std::string_view::npos)
                    break;
                data.remove_prefix(lf + 1);
                if (l->discarding) {
                    l->discarding = false;
                    continue;
                }
                std::string line = std::move(l->input);
                l->input.clear();
                execute(*l, line);
            }
            if ((a.flags & vx::kFlagEnd) && !drop) {
                if (!l->discarding && !l->input.empty()) {
                    std::string line = std::move(l->input);
                    l->input.clear();
                    execute(*l, line);
                }
                l->discarding = false;
            }
            return vx::encode_device_write_reply(out, h.xid, resp);
        }
        case vx::kDeviceRead: {
            vx::DeviceReadParms a;
            if (!vx::decode_device_read_args(in, a))
                return encode_accepted_reply_header(out, h.xid, AcceptStat::garbage_args);
            vx::DeviceReadResp resp;
            Link *l = find(a.lid);
            if (!l) {
                resp.error = vx::kInvalidLinkIdentifier;
                return vx::encode_device_read_reply(out, h.xid, resp);
            }
            if (l->read_pos >= l->output.size()) {
                // Asked to talk with nothing to say: the instrument reports it and the
                // controller's read runs into its time-out.
                if (!l->silenced)
                    l->engine->push_error(err::query_unterminated, {});
                l->silenced = false;
                sleep_unless_stopping(
                    l->engine->clock(),
                    std::min(std::chrono::milliseconds(a.io_timeout), max_read_wait));
                resp.error = vx::kIoTimeout;
                return vx::encode_device_read_reply(out, h.xid, resp);
            }
            std::size_t left = l->output.size() - l->read_pos;
            std::size_t n = std::min<std::size_t>(left, a.request_size);
            if (a.flags & vx::kFlagTermCharSet) {
                auto t = l->output.find(a.term_char, l->read_pos);
                if (t != std::string::npos && t < l->read_pos + n) {
                    n = t - l->read_pos + 1;
                    resp.reason |= vx::kReasonTermChar;
                }
            }
            if (n == left)
                resp.reason |= vx::kReasonEnd;
            else if (n == a.request_size)
                resp.reason |= vx::kReasonRequestCount;
            resp.data = {reinterpret_cast<const std::uint8_t *>(l->output.data()) + l->read_pos, n};
            if (r.bytes.size() < n + 256) {
                r.bytes.resize(n + 256 + kRecordMarkSize);
                r.writer = XdrWriter(r.bytes.data() + kRecordMarkSize, n + 256);
            }
            vx::encode_device_read_reply(r.writer, h.xid, resp);
            l->read_pos += n;
            if (l->read_pos >= l->output.size()) {
                l->output.clear();
                l->read_pos = 0;
            }
            return;
        }
        case vx::kDeviceReadStb: {
            vx::DeviceGenericParms a;
            if (!vx::decode_device_generic_args(in, a))
                return encode_accepted_reply_header(out, h.xid, AcceptStat::garbage_args);
            Link *l = find(a.lid);
            encode_accepted_reply_header(out, h.xid, AcceptStat::success);
            out.put_i32(l ? vx::kNoError : vx::kInvalidLinkIdentifier);
            out.put_u32(l ? l->engine->status_byte() : 0);
            return;
        }
        case vx::kDeviceClear:
        case vx::kDeviceTrigger:
        case vx::kDeviceRemote:
        case vx::kDeviceLocal: {
            vx::DeviceGenericParms a;
            if (!vx::decode_device_generic_args(in, a))
                return encode_accepted_reply_header(out, h.xid, AcceptStat::garbage_args);
            Link *l = find(a.lid);
            if (l && h.procedure == vx::kDeviceClear) {
                // Selected device clear: input and output buffers emptied, parser reset.
                l->input.clear();
                l->output.clear();
                l->read_pos = 0;
                l->discarding = false;
                tracer_.line(l->engine->name(), c.id, '-', "device clear");
            }
            return vx::encode_device_error_reply(out, h.xid,
                                                 {l ? vx::kNoError : vx::kInvalidLinkIdentifier});
        }
        case vx::kDeviceLock:
        case vx::kDeviceUnlock: {
            // One controller per link and no shared locks to arbitrate: always granted.
            std::int32_t lid = in.get_i32();
            return vx::encode_device_error_reply(
                out, h.xid, {find(lid) ? vx::kNoError : vx::kInvalidLinkIdentifier});
        }
        case vx::kDestroyLink: {
            std::int32_t lid = 0;
            if (!vx::decode_destroy_link_args(in, lid))
                return encode_accepted_reply_header(out, h.xid, AcceptStat::garbage_args);
            bool found = links.erase(lid) > 0;
            return vx::encode_device_error_reply(
                out, h.xid, {found ? vx::kNoError : vx::kInvalidLinkIdentifier});
        }
        case vx::kDeviceEnableSrq:
        case vx::kCreateIntrChan:
        case vx::kDestroyIntrChan:
            return vx::encode_device_error_reply(out, h.xid, {vx::kOperationNotSupported});
        default:
            return encode_accepted_reply_header(out, h.xid, AcceptStat::proc_unavail);
        }
    };

    while (!drop) {
        while (record.state() == RecordAssembler::State::need_more) {
            if (pos == have) {
                long n =
                    net::receive(c.socket, reinterpret_cast<char *>(buffer.data()), buffer.size());
                if (n <= 0) {
                    drop = true;
                    break;
                }
                have = std::size_t(n);
                pos = 0;
            }
            pos += record.feed({buffer.data() + pos, have - pos});
        }
        if (drop)
            break;
        if (record.state() == RecordAssembler::State::error) {
            why = "dropped: malformed or over-long RPC record";
            break;
        }
        Reply r(512);
        bool send = true;
        if (c.portmapper) {
            send = handle_portmap(record.record(), r.writer, core_port_);
        } else {
            XdrReader in(record.record());
            CallHeader h;
            bool mismatch = false;
            if (!decode_call_header(in, h, &mismatch)) {
                send = mismatch;
                if (mismatch)
                    encode_rpc_mismatch_reply(r.writer, h.xid);
            } else if (h.program == vx::kCoreProgram && h.version == vx::kCoreVersion) {
                handle_core(h, in, r);
            } else if (h.program == vx::kAbortProgram && h.version == vx::kCoreVersion &&
                       h.procedure == abort_proc_device_abort) {
                // Nothing runs asynchronously to abort: every call completes before it returns.
                vx::encode_device_error_reply(r.writer, h.xid, {vx::kNoError});
            } else if (h.program == vx::kCoreProgram || h.program == vx::kAbortProgram) {
                encode_accepted_reply_header(r.writer, h.xid, AcceptStat::prog_mismatch,
                                             vx::kCoreVersion, vx::kCoreVersion);
            } else {
                encode_accepted_reply_header(r.writer, h.xid, AcceptStat::prog_unavail);
            }
        }
        record.reset();
        if (drop) {
            why = "dropped (fault injection)";
            break;
        }
        if (!send)
            continue;
        if (!r.writer.ok()) {
            why = "dropped: reply did not fit";
            break;
        }
        put_record_mark(r.bytes.data(), std::uint32_t(r.writer.size()), true);
        if (!net::send_all(c.socket, reinterpret_cast<const char *>(r.bytes.data()),
                           r.writer.size() + kRecordMarkSize)) {
            why = "dropped: client does not take its replies";
            break;
        }
    }
    tracer_.line(who, c.id, '-', why);
    net::shutdown_both(c.socket);
    {
        std::lock_guard lock(mutex_);
        net::close_socket(c.socket);
        c.socket = net::invalid_socket;
    }
    c.done = true;
}

} // namespace gsmbench::sim
