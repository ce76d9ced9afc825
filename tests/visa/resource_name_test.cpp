// Resource-name parsing: one row per name.
#include <gtest/gtest.h>

#include "resource_name.h"

using namespace gsmbench::visa;

namespace {

struct NameCase {
    const char *text;
    ParseResult result;
    ResourceClass kind;
    const char *host;
    unsigned port;
    const char *device;
    const char *canonical;
};

constexpr ParseResult OK = ParseResult::ok;
constexpr ResourceClass SOCK_ = ResourceClass::socket;
NameCase bad(const char *text) {
    return {text, ParseResult::invalid, SOCK_, "", 0, "", nullptr};
}
NameCase other(const char *text) {
    return {text, ParseResult::unsupported_class, SOCK_, "", 0, "", nullptr};
}
constexpr ResourceClass SOCK = ResourceClass::socket;
constexpr ResourceClass INSTR = ResourceClass::instr;

const NameCase kCases[] = {
    // SOCKET
    {"TCPIP0::127.0.0.1::5025::SOCKET", OK, SOCK, "127.0.0.1", 5025, "",
     "TCPIP0::127.0.0.1::5025::SOCKET"},
    {"tcpip::bench-psu.lab::5025::socket", OK, SOCK, "bench-psu.lab", 5025, "",
     "TCPIP0::bench-psu.lab::5025::SOCKET"},
    {"TCPIP3::[::1]::5025::SOCKET", OK, SOCK, "::1", 5025, "", "TCPIP3::[::1]::5025::SOCKET"},
    {"TCPIP::[fe80::1%eth0]::1::SOCKET", OK, SOCK, "fe80::1%eth0", 1, "", nullptr},
    {"TCPIP::host::65535::SOCKET", OK, SOCK, "host", 65535, "", nullptr},
    bad("TCPIP::host::0::SOCKET"),
    bad("TCPIP::host::65536::SOCKET"),
    bad("TCPIP::host::50x::SOCKET"),
    bad("TCPIP::host::SOCKET"),
    bad("TCPIP::host::5025::inst0::SOCKET"),
    // INSTR (VXI-11)
    {"TCPIP0::192.168.1.20::inst0::INSTR", OK, INSTR, "192.168.1.20", 0, "inst0",
     "TCPIP0::192.168.1.20::inst0::INSTR"},
    {"TCPIP::192.168.1.20::INSTR", OK, INSTR, "192.168.1.20", 0, "inst0",
     "TCPIP0::192.168.1.20::inst0::INSTR"},
    {"TCPIP::192.168.1.20", OK, INSTR, "192.168.1.20", 0, "inst0", nullptr},
    {"tcpip1::gw.lab::gpib0,14::instr", OK, INSTR, "gw.lab", 0, "gpib0,14",
     "TCPIP1::gw.lab::gpib0,14::INSTR"},
    {"TCPIP::[2001:db8::5]::inst1::INSTR", OK, INSTR, "2001:db8::5", 0, "inst1",
     "TCPIP0::[2001:db8::5]::inst1::INSTR"},
    {"TCPIP::host::inst0", OK, INSTR, "host", 0, "inst0", nullptr},
    bad("TCPIP::host::inst0::INSTR::extra"),
    bad("TCPIP::host::dev ice::INSTR"),
    bad("TCPIP::host::INSTR::INSTR"),
    // Malformed
    bad(""),
    bad("TCPIP"),
    bad("TCPIP::"),
    bad("TCPIP::::INSTR"),
    bad("TCPIPX::host::INSTR"),
    bad("TCPIP::ho st::INSTR"),
    bad("TCPIP::::1::5025::SOCKET"),  // bare IPv6 clashes with "::"
    bad("TCPIP::[::1::5025::SOCKET"), // unclosed bracket
    bad("TCPIP::[]::5025::SOCKET"),
    bad("TCPIP::[zz::1]::5025::SOCKET"),
    bad(" TCPIP::host::INSTR"),
    bad("SOCKET"),
    // Other interface classes
    other("GPIB0::14::INSTR"),
    other("gpib::14::instr"),
    other("ASRL1::INSTR"),
    other("USB0::0x0957::0x1234::SN1::INSTR"),
    other("GPIB-VXI0::8::INSTR"),
    bad("GPIBX::14"),
};

} // namespace

TEST(ResourceName, Table) {
    for (const auto &c : kCases) {
        SCOPED_TRACE(c.text);
        ResourceName name;
        const ParseResult r = parse_resource_name(c.text, name);
        ASSERT_EQ(r, c.result);
        if (r != ParseResult::ok) {
            continue;
        }
        EXPECT_EQ(name.kind, c.kind);
        EXPECT_EQ(name.host, c.host);
        if (c.kind == ResourceClass::socket) {
            EXPECT_EQ(name.port, c.port);
        } else {
            EXPECT_EQ(name.device, c.device);
        }
        if (c.canonical != nullptr) {
            EXPECT_EQ(name.canonical(), c.canonical);
        }
    }
}

TEST(ResourceName, LongerThanTheVisaLimitIsRefused) {
    ResourceName name;
    const std::string long_host(260, 'a');
    EXPECT_EQ(parse_resource_name("TCPIP::" + long_host + "::INSTR", name), ParseResult::invalid);
}
