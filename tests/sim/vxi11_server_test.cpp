// The VXI-11 transport with a client built on the shared RPC codec: portmapper GETPORT (TCP and
// UDP), device names, the link procedures and the IEEE 488.2 query rules over a link.
#include "sim_client.h"
#include "sim_test_instrument.h"

#include <gtest/gtest.h>

namespace {
using namespace gsmbench::sim;
using simtest::Vxi11Client;
namespace rpc = gsmbench::rpc;
namespace vx = gsmbench::rpc::vxi11;

class Vxi11 : public ::testing::Test {
  protected:
    void SetUp() override {
        BenchOptions o = simtest::test_options();
        o.vxi11 = true; // ephemeral portmapper and core ports
        bench = std::make_unique<Bench>(o);
        bench->start();
        ASSERT_NE(bench->portmapper_port(), 0) << bench->portmapper_error();
        ASSERT_NE(bench->vxi11_port(), 0);
    }
    std::string errors(std::string_view instrument) {
        std::string all;
        for (int i = 0; i < 10; ++i) {
            std::string e = bench->execute(instrument, "SYST:ERR?");
            if (e.rfind("+0,", 0) == 0)
                break;
            all += e.substr(0, e.find(',')) + " ";
        }
        return all;
    }
    std::unique_ptr<Bench> bench;
};

std::uint32_t getport_tcp(std::uint16_t pmap, std::uint32_t program) {
    Vxi11Client c(pmap);
    std::uint32_t port = 0;
    rpc::PortmapMapping q{program, 1, rpc::kIpProtoTcp, 0};
    bool ok = c.exchange([&](auto &w, auto x) { rpc::encode_getport_call(w, x, q); },
                         [&](auto &r) { return rpc::decode_getport_result(r, port); });
    return ok ? port : 0xFFFFFFFFu;
}

TEST_F(Vxi11, PortmapperAnswersGetportOverTcpAndUdp) {
    EXPECT_EQ(getport_tcp(bench->portmapper_port(), vx::kCoreProgram), bench->vxi11_port());
    EXPECT_EQ(getport_tcp(bench->portmapper_port(), 0x123456), 0u);

    int s = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(bench->portmapper_port());
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::uint8_t buf[512];
    rpc::XdrWriter w(buf, sizeof buf);
    rpc::encode_getport_call(w, 77, {vx::kCoreProgram, 1, rpc::kIpProtoTcp, 0});
    ASSERT_EQ(::sendto(s, buf, w.size(), 0, reinterpret_cast<sockaddr *>(&a), sizeof a),
              ssize_t(w.size()));
    ASSERT_TRUE(simtest::readable(s, std::chrono::seconds(5)));
    ssize_t n = ::recv(s, buf, sizeof buf, 0);
    ::close(s);
    ASSERT_GT(n, 0);
    rpc::XdrReader r(buf, std::size_t(n));
    rpc::ReplyHeader h;
    std::uint32_t port = 0;
    ASSERT_TRUE(rpc::decode_reply_header(r, h));
    EXPECT_EQ(h.xid, 77u);
    ASSERT_TRUE(rpc::decode_getport_result(r, port));
    EXPECT_EQ(port, bench->vxi11_port());
}

TEST_F(Vxi11, DeviceNamesAddressTheTwoInstruments) {
    Vxi11Client c(bench->vxi11_port());
    ASSERT_TRUE(c.ok());
    struct Row {
        const char *device;
        const char *identity; // nullptr: refused
    } rows[] = {
        {"inst0", "GSMBENCH,TEST-testset,0,1\n"},
        {"gpib0,14", "GSMBENCH,TEST-testset,0,1\n"},
        {"inst1", "GSMBENCH,TEST-supply,0,1\n"},
        {"GPIB0,5", "GSMBENCH,TEST-supply,0,1\n"},
        {"inst2", nullptr},
        {"gpib0,15", nullptr},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.device);
        std::int32_t lid = -1;
        std::int32_t e = c.create_link(row.device, lid);
        if (!row.identity) {
            EXPECT_EQ(e, vx::kInvalidAddress);
            continue;
        }
        ASSERT_EQ(e, 0);
        EXPECT_EQ(c.query(lid, "*IDN?"), row.identity);
        EXPECT_EQ(c.destroy(lid), 0);
        EXPECT_EQ(c.destroy(lid), vx::kInvalidLinkIdentifier);
    }
}

TEST_F(Vxi11, ReadInChunksEndsWithEnd) {
    Vxi11Client c(bench->vxi11_port());
    std::int32_t lid = 0;
    ASSERT_EQ(c.create_link("inst0", lid), 0);
    ASSERT_EQ(c.write(lid, "*IDN?\n"), 0);
    std::string part, all;
    std::int32_t reason = 0;
    ASSERT_EQ(c.read(lid, part, reason, 10), 0);
    EXPECT_EQ(part, "GSMBENCH,T");
    EXPECT_EQ(reason, vx::kReasonRequestCount);
    all = part;
    do {
        ASSERT_EQ(c.read(lid, part, reason, 10), 0);
        all += part;
    } while (!(reason & vx::kReasonEnd));
    EXPECT_EQ(all, "GSMBENCH,TEST-testset,0,1\n");
}

TEST_F(Vxi11, MessageWithoutLineFeedEndsWithEndFlag) {
    Vxi11Client c(bench->vxi11_port());
    std::int32_t lid = 0;
    ASSERT_EQ(c.create_link("inst0", lid), 0);
    ASSERT_EQ(c.write(lid, "ECHO? ", false), 0);
    ASSERT_EQ(c.write(lid, "42", true), 0);
    std::string data;
    std::int32_t reason = 0;
    ASSERT_EQ(c.read(lid, data, reason), 0);
    EXPECT_EQ(data, "+42\n");
}

TEST_F(Vxi11, QueryRules) {
    Vxi11Client c(bench->vxi11_port());
    std::int32_t lid = 0;
    ASSERT_EQ(c.create_link("inst0", lid), 0);
    // Read with nothing to say: -420 and a time-out.
    std::string data;
    std::int32_t reason = 0;
    EXPECT_EQ(c.read(lid, data, reason, 100, 50), vx::kIoTimeout);
    EXPECT_EQ(errors("testset"), "-420 ");
    // A new message before the reply was read: -410, the old reply is gone.
    ASSERT_EQ(c.write(lid, "ECHO? 1\n"), 0);
    ASSERT_EQ(c.write(lid, "ECHO? 2\n"), 0);
    ASSERT_EQ(c.read(lid, data, reason), 0);
    EXPECT_EQ(data, "+2\n");
    EXPECT_EQ(errors("testset"), "-410 ");
    // device_clear empties the output buffer without an error.
    ASSERT_EQ(c.write(lid, "ECHO? 3\n"), 0);
    EXPECT_EQ(c.clear(lid), 0);
    EXPECT_EQ(c.query(lid, "ECHO? 4"), "+4\n");
    EXPECT_EQ(errors("testset"), "");
    // A silenced reply times out without -420.
    ASSERT_EQ(c.write(lid, "SIM:SIL\n"), 0);
    ASSERT_EQ(c.write(lid, "*IDN?\n"), 0);
    EXPECT_EQ(c.read(lid, data, reason, 100, 50), vx::kIoTimeout);
    EXPECT_EQ(errors("testset"), "");
    // Unknown link.
    EXPECT_EQ(c.write(lid + 1000, "*IDN?\n"), vx::kInvalidLinkIdentifier);
}

TEST_F(Vxi11, OverlongMessageIsDiscarded) {
    Vxi11Client c(bench->vxi11_port());
    std::int32_t lid = 0;
    ASSERT_EQ(c.create_link("inst1", lid), 0);
    std::string big(200000, 'X');
    ASSERT_EQ(c.write(lid, big, false), 0);
    ASSERT_EQ(c.write(lid, big, true), 0);
    EXPECT_EQ(c.query(lid, "*IDN?"), "GSMBENCH,TEST-supply,0,1\n");
    EXPECT_EQ(errors("supply"), "-223 ");
}

TEST_F(Vxi11, GarbageRecordDropsOnlyThatConnection) {
    int s = simtest::connect_tcp(bench->vxi11_port());
    const std::uint8_t junk[] = {0x80, 0, 0, 8, 1, 2, 3, 4, 5, 6, 7, 8, 0xFF, 0xFF, 0xFF, 0xFF};
    ASSERT_EQ(::send(s, junk, sizeof junk, MSG_NOSIGNAL), ssize_t(sizeof junk));
    char buf[16];
    ASSERT_TRUE(simtest::readable(s, std::chrono::seconds(10)));
    EXPECT_LE(::recv(s, buf, sizeof buf, 0), 0); // 0x7FFFFFFF-byte fragment: dropped
    ::close(s);
    Vxi11Client c(bench->vxi11_port());
    std::int32_t lid = 0;
    ASSERT_EQ(c.create_link("inst0", lid), 0);
    EXPECT_EQ(c.query(lid, "*IDN?"), "GSMBENCH,TEST-testset,0,1\n");
}

} // namespace
