// TCPIP::host::port::SOCKET sessions against the in-test SCPI server.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "loopback.h"
#include "servers.h"
#include "visa_session.h"

using namespace gsmbench::test;

namespace {

class SocketSession : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(rm.status(), VI_SUCCESS);
        ASSERT_EQ(viOpen(rm.get(), server.resource().c_str(), VI_NULL, 0, &vi), VI_SUCCESS);
        ASSERT_EQ(viSetAttribute(vi, VI_ATTR_TMO_VALUE, 2000), VI_SUCCESS);
    }
    ScpiSocketServer server;
    ResourceManagerHandle rm;
    ViSession vi = VI_NULL;
};

} // namespace

TEST_F(SocketSession, QueryRoundTrip) {
    std::string reply;
    ASSERT_EQ(query(vi, "*IDN?\n", reply), VI_SUCCESS);
    EXPECT_EQ(reply, "GSMBENCH,LOOPBACK,0,1\n");
}

TEST_F(SocketSession, ReplySplitAcrossManyPacketsIsReassembled) {
    std::string reply;
    ASSERT_EQ(query(vi, "SPLIT? 20\n", reply), VI_SUCCESS);
    EXPECT_EQ(reply, "0123456789abcdefghijklmnopqrstuvwxyz,.;\n");
}

TEST_F(SocketSession, SeveralRepliesInOnePacketAreReadOneByOne) {
    ASSERT_EQ(viPrintf(vi, "MULTI?\n"), VI_SUCCESS);
    for (const char *want : {"ONE\n", "TWO\n", "THREE\n"}) {
        char buf[32] = {};
        ASSERT_EQ(viScanf(vi, "%31t", buf), VI_SUCCESS);
        EXPECT_STREQ(buf, want);
    }
}

TEST_F(SocketSession, OverlongReplyIsCutToTheBufferAndDoesNotDesynchronise) {
    char buf[32];
    std::memset(buf, 0, sizeof buf);
    ASSERT_EQ(viPrintf(vi, "LONG? 5000\n"), VI_SUCCESS);
    ASSERT_EQ(viScanf(vi, "%31t", buf), VI_SUCCESS);
    EXPECT_EQ(std::string(buf), std::string(31, 'L'));
    std::string reply;
    ASSERT_EQ(query(vi, "ECHO? next\n", reply), VI_SUCCESS);
    EXPECT_EQ(reply, "next\n");

    // The same through "%s" (the result-list directive).
    ASSERT_EQ(viPrintf(vi, "LONG? 300\n"), VI_SUCCESS);
    ASSERT_EQ(viScanf(vi, "%31s", buf), VI_SUCCESS);
    EXPECT_EQ(std::string(buf), std::string(31, 'L'));
    ASSERT_EQ(query(vi, "*IDN?\n", reply), VI_SUCCESS);
    EXPECT_EQ(reply, "GSMBENCH,LOOPBACK,0,1\n");
}

TEST_F(SocketSession, SixtyFourKilobyteReply) {
    constexpr std::size_t n = 64 * 1024;
    ASSERT_EQ(viPrintf(vi, "BIG? %u\n", static_cast<unsigned>(n)), VI_SUCCESS);
    std::vector<char> buf(n + 16);
    ViInt32 count = static_cast<ViInt32>(buf.size());
    ASSERT_EQ(viScanf(vi, "%#t", &count, buf.data()), VI_SUCCESS);
    ASSERT_EQ(count, static_cast<ViInt32>(n + 1));
    for (std::size_t i = 0; i < n; ++i) {
        ASSERT_EQ(buf[i], pattern_byte(i)) << "at " << i;
    }
    EXPECT_EQ(buf[n], '\n');
}

TEST_F(SocketSession, ViReadStopsAtTheTerminatorAndKeepsTheRest) {
    ASSERT_EQ(viPrintf(vi, "MULTI?\n"), VI_SUCCESS);
    ViByte buf[64];
    ViUInt32 got = 0;
    ASSERT_EQ(viRead(vi, buf, 2, &got), VI_SUCCESS_MAX_CNT);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(buf), got), "ON");
    ASSERT_EQ(viRead(vi, buf, sizeof buf, &got), VI_SUCCESS_TERM_CHAR);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(buf), got), "E\n");
    ASSERT_EQ(viRead(vi, buf, sizeof buf, &got), VI_SUCCESS_TERM_CHAR);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(buf), got), "TWO\n");
}

TEST_F(SocketSession, LongWritesArriveWhole) {
    for (std::size_t n : {1600u, 70000u}) { // above one Ethernet frame; above our send buffer
        std::string line(n, 'w');
        std::string reply;
        ASSERT_EQ(viPrintf(vi, "%s\n", line.c_str()), VI_SUCCESS);
        ASSERT_EQ(query(vi, "LEN?\n", reply), VI_SUCCESS);
        EXPECT_EQ(reply, std::to_string(n) + "\n");

        ViUInt32 written = 0;
        line += '\n';
        ASSERT_EQ(viWrite(vi, reinterpret_cast<ViConstBuf>(line.data()),
                          static_cast<ViUInt32>(line.size()), &written),
                  VI_SUCCESS);
        EXPECT_EQ(written, line.size());
        ASSERT_EQ(query(vi, "LEN?\n", reply), VI_SUCCESS);
        EXPECT_EQ(reply, std::to_string(n) + "\n");
    }
}

TEST_F(SocketSession, TimeOutThenClearRecoversTheSession) {
    ASSERT_EQ(viSetAttribute(vi, VI_ATTR_TMO_VALUE, 100), VI_SUCCESS);
    char buf[32] = {};
    ASSERT_EQ(viPrintf(vi, "HOLD?\n"), VI_SUCCESS);
    EXPECT_EQ(viScanf(vi, "%31t", buf), VI_ERROR_TMO);
    // The late reply arrives after the caller gave up...
    server.instrument().release_hold();
    server.instrument().wait_held_reply_sent();
    // ...and viClear drops it, so the next query gets its own reply.
    ASSERT_EQ(viClear(vi), VI_SUCCESS);
    ASSERT_EQ(viSetAttribute(vi, VI_ATTR_TMO_VALUE, 2000), VI_SUCCESS);
    std::string reply;
    ASSERT_EQ(query(vi, "ECHO? fresh\n", reply), VI_SUCCESS);
    EXPECT_EQ(reply, "fresh\n");
}

TEST_F(SocketSession, DroppedConnectionIsReportedAsConnectionLost) {
    ASSERT_EQ(viPrintf(vi, "DROP\n"), VI_SUCCESS);
    char buf[32];
    EXPECT_EQ(viScanf(vi, "%31t", buf), VI_ERROR_CONN_LOST);
    EXPECT_EQ(viScanf(vi, "%31t", buf), VI_ERROR_CONN_LOST);
    EXPECT_EQ(viClose(vi), VI_SUCCESS);
}

TEST_F(SocketSession, Attributes) {
    ViUInt32 tmo = 0;
    ASSERT_EQ(viGetAttribute(vi, VI_ATTR_TMO_VALUE, &tmo), VI_SUCCESS);
    EXPECT_EQ(tmo, 2000u);
    ViBoolean term_en = VI_FALSE;
    ASSERT_EQ(viGetAttribute(vi, VI_ATTR_TERMCHAR_EN, &term_en), VI_SUCCESS);
    EXPECT_EQ(term_en, VI_TRUE);
    char name[VI_FIND_BUFLEN] = {};
    ASSERT_EQ(viGetAttribute(vi, VI_ATTR_RSRC_NAME, name), VI_SUCCESS);
    EXPECT_EQ(std::string(name), server.resource());
    ASSERT_EQ(viGetAttribute(vi, VI_ATTR_RSRC_CLASS, name), VI_SUCCESS);
    EXPECT_STREQ(name, "SOCKET");
    ViUInt16 port = 0;
    ASSERT_EQ(viGetAttribute(vi, VI_ATTR_TCPIP_PORT, &port), VI_SUCCESS);
    EXPECT_EQ(port, server.port());

    EXPECT_EQ(viSetAttribute(vi, VI_ATTR_TERMCHAR, 0x100), VI_ERROR_NSUP_ATTR_STATE);
    EXPECT_EQ(viSetAttribute(vi, VI_ATTR_TERMCHAR_EN, 2), VI_ERROR_NSUP_ATTR_STATE);
    EXPECT_EQ(viSetAttribute(vi, VI_ATTR_RSRC_NAME, 0), VI_ERROR_ATTR_READONLY);
    EXPECT_EQ(viSetAttribute(vi, 0x3FFF7777, 0), VI_ERROR_NSUP_ATTR);

    // The manager and its sessions name the same VISA maker and versions, and
    // neither answers an attribute nobody defined.
    ViSession rm = VI_NULL;
    ASSERT_EQ(viGetAttribute(vi, VI_ATTR_RM_SESSION, &rm), VI_SUCCESS);
    for (const ViObject object : {static_cast<ViObject>(rm), static_cast<ViObject>(vi)}) {
        char maker[256] = {};
        ASSERT_EQ(viGetAttribute(object, VI_ATTR_RSRC_MANF_NAME, maker), VI_SUCCESS);
        EXPECT_STREQ(maker, "gsmbench");
        ViVersion spec = 0;
        ASSERT_EQ(viGetAttribute(object, VI_ATTR_RSRC_SPEC_VERSION, &spec), VI_SUCCESS);
        EXPECT_EQ(spec, static_cast<ViVersion>(VI_SPEC_VERSION));
        ViVersion impl = 0;
        ASSERT_EQ(viGetAttribute(object, VI_ATTR_RSRC_IMPL_VERSION, &impl), VI_SUCCESS);
        EXPECT_NE(impl, 0u);
        ViUInt32 unknown = 0;
        EXPECT_EQ(viGetAttribute(object, 0x3FFF7777, &unknown), VI_ERROR_NSUP_ATTR);
    }

    // A different termination character ends replies there.
    ASSERT_EQ(viSetAttribute(vi, VI_ATTR_TERMCHAR, ','), VI_SUCCESS);
    ASSERT_EQ(viPrintf(vi, "ECHO? a,b\n"), VI_SUCCESS);
    char buf[16] = {};
    ASSERT_EQ(viScanf(vi, "%15t", buf), VI_SUCCESS);
    EXPECT_STREQ(buf, "a,");
}

TEST(SocketOpen, IPv6Loopback) {
    ScpiSocketServer server(true);
    ResourceManagerHandle rm;
    ViSession vi = VI_NULL;
    const ViStatus st = viOpen(rm.get(), server.resource().c_str(), VI_NULL, 0, &vi);
    if (st == VI_ERROR_RSRC_NFOUND) {
        GTEST_SKIP() << "no IPv6 loopback on this machine";
    }
    ASSERT_EQ(st, VI_SUCCESS);
    std::string reply;
    ASSERT_EQ(query(vi, "*IDN?\n", reply), VI_SUCCESS);
    EXPECT_EQ(reply, "GSMBENCH,LOOPBACK,0,1\n");
}

TEST(SocketOpen, StatusOfEachKindOfBadResource) {
    ResourceManagerHandle rm;
    const std::string refused = "TCPIP::127.0.0.1::" + std::to_string(unused_port()) + "::SOCKET";
    struct Row {
        std::string name;
        ViStatus status;
    };
    const Row rows[] = {
        {refused, VI_ERROR_RSRC_NFOUND},
        {"TCPIP::no-such-host.invalid::5025::SOCKET", VI_ERROR_RSRC_NFOUND},
        {"TCPIP::127.0.0.1::5025", VI_ERROR_RSRC_NFOUND}, // INSTR: nothing at the portmapper port
        {"TCPIP::127.0.0.1::0::SOCKET", VI_ERROR_INV_RSRC_NAME},
        {"not a resource", VI_ERROR_INV_RSRC_NAME},
        {"GPIB0::14::INSTR", VI_ERROR_NSUP_OPER},
        {"ASRL1::INSTR", VI_ERROR_NSUP_OPER},
        {"USB0::0x0957::0x0607::MY1::INSTR", VI_ERROR_NSUP_OPER},
    };
    use_portmapper(unused_port());
    ResourceManagerHandle rm_no_portmapper;
    for (const auto &row : rows) {
        ViSession vi = 12345;
        EXPECT_EQ(viOpen(rm_no_portmapper.get(), row.name.c_str(), VI_NULL, 0, &vi), row.status)
            << row.name;
        EXPECT_EQ(vi, static_cast<ViSession>(VI_NULL)) << row.name;
    }
    EXPECT_EQ(viOpen(rm.get(), nullptr, VI_NULL, 0, nullptr), VI_ERROR_INV_PARAMETER);
}

TEST(SocketOpen, HostThatDoesNotAnswerFailsWithinTheOpenBound) {
    // A listener whose accept queue is full drops further connection
    // attempts, as an unreachable host does: connect would wait for ever.
    std::uint16_t port = 0;
    const int listener = listen_loopback(port, false, 0);
    ASSERT_GE(listener, 0);
    ResourceManagerHandle rm;
    const std::string name = "TCPIP::127.0.0.1::" + std::to_string(port) + "::SOCKET";
    ViStatus st = VI_SUCCESS;
    std::vector<ViSession> opened;
    // Fill the queue with our own sessions until one attempt is not answered.
    for (int i = 0; i < 16 && st == VI_SUCCESS; ++i) {
        ViSession vi = VI_NULL;
        st = viOpen(rm.get(), name.c_str(), VI_NULL, 200, &vi);
        if (st == VI_SUCCESS) {
            opened.push_back(vi);
        }
    }
    EXPECT_EQ(st, VI_ERROR_RSRC_NFOUND);
    close_fd(listener);
}
