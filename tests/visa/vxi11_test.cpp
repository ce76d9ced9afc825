// TCPIP::host[::device]::INSTR sessions against the in-test VXI-11 server.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "servers.h"
#include "visa_session.h"

using namespace gsmbench::test;

namespace {

std::string instr_name(const char *device = nullptr) {
    return std::string("TCPIP0::127.0.0.1::") + (device ? std::string(device) + "::" : "") +
           "INSTR";
}

class Vxi11Session : public testing::Test {
  protected:
    explicit Vxi11Session(Vxi11Options options = {}) : server(options) {}
    void SetUp() override {
        use_portmapper(server.portmapper_port());
        rm = std::make_unique<ResourceManagerHandle>();
        ASSERT_EQ(viOpen(rm->get(), instr_name().c_str(), VI_NULL, 0, &vi), VI_SUCCESS);
    }
    Vxi11Server server;
    std::unique_ptr<ResourceManagerHandle> rm;
    ViSession vi = VI_NULL;
};

class Vxi11CutReply : public Vxi11Session {
  protected:
    Vxi11CutReply() : Vxi11Session({1024, 0, 0, true}) {}
};

class Vxi11HostileServer : public Vxi11Session {
  protected:
    Vxi11HostileServer() : Vxi11Session(hostile()) {}
    static Vxi11Options hostile() {
        Vxi11Options o;
        o.oversized_read_reply = true;
        return o;
    }
};

class Vxi11SmallChunks : public Vxi11Session {
  protected:
    // Replies come 7 bytes per device_read, in 5-byte record fragments.
    Vxi11SmallChunks() : Vxi11Session({1024, 7, 5}) {}
};

} // namespace

TEST_F(Vxi11Session, QueryRoundTripAndLinkLifetime) {
    EXPECT_EQ(server.links_open(), 1);
    std::string reply;
    ASSERT_EQ(query(vi, "*IDN?\n", reply), VI_SUCCESS);
    EXPECT_EQ(reply, "GSMBENCH,LOOPBACK,0,1\n");
    char dev[VI_FIND_BUFLEN] = {};
    ASSERT_EQ(viGetAttribute(vi, VI_ATTR_TCPIP_DEVICE_NAME, dev), VI_SUCCESS);
    EXPECT_STREQ(dev, "inst0");
    ASSERT_EQ(viClose(vi), VI_SUCCESS);
    EXPECT_EQ(server.links_open(), 0) << "destroy_link on close";
}

TEST_F(Vxi11Session, GatewayDeviceNamesAndUnknownDevices) {
    ViSession gpib = VI_NULL;
    ASSERT_EQ(viOpen(rm->get(), instr_name("gpib0,14").c_str(), VI_NULL, 0, &gpib), VI_SUCCESS);
    std::string reply;
    ASSERT_EQ(query(gpib, "ECHO? via gateway\n", reply), VI_SUCCESS);
    EXPECT_EQ(reply, "via gateway\n");
    ViSession missing = VI_NULL;
    EXPECT_EQ(viOpen(rm->get(), instr_name("gpib0,15").c_str(), VI_NULL, 0, &missing),
              VI_ERROR_RSRC_NFOUND);
}

TEST_F(Vxi11Session, WritesAreSplitToTheLinksMaximumWithEndOnTheLastChunk) {
    const std::string line = std::string(5000, 'q') + "\n"; // above 1.5 kB and above 1024
    ViUInt32 written = 0;
    ASSERT_EQ(viWrite(vi, reinterpret_cast<ViConstBuf>(line.data()),
                      static_cast<ViUInt32>(line.size()), &written),
              VI_SUCCESS);
    EXPECT_EQ(written, line.size());
    const auto chunks = server.write_chunks();
    ASSERT_EQ(chunks.size(), 5u);
    std::size_t total = 0;
    for (std::size_t i = 0; i < chunks.size(); ++i) {
        EXPECT_LE(chunks[i].size, 1024u);
        EXPECT_EQ(chunks[i].end, i + 1 == chunks.size()) << "chunk " << i;
        total += chunks[i].size;
    }
    EXPECT_EQ(total, line.size());
    std::string reply;
    ASSERT_EQ(query(vi, "LEN?\n", reply), VI_SUCCESS);
    EXPECT_EQ(reply, "5000\n");

    // The same line through viPrintf.
    ASSERT_EQ(viPrintf(vi, "%s", line.c_str()), VI_SUCCESS);
    ASSERT_EQ(query(vi, "LEN?\n", reply), VI_SUCCESS);
    EXPECT_EQ(reply, "5000\n");
}

TEST_F(Vxi11Session, SixtyFourKilobyteReplyNeedsSeveralDeviceReads) {
    constexpr std::size_t n = 64 * 1024;
    ASSERT_EQ(viPrintf(vi, "BIG? %u\n", static_cast<unsigned>(n)), VI_SUCCESS);
    std::vector<char> buf(n + 16);
    ViInt32 count = static_cast<ViInt32>(buf.size());
    ASSERT_EQ(viScanf(vi, "%#t", &count, buf.data()), VI_SUCCESS);
    ASSERT_EQ(count, static_cast<ViInt32>(n + 1));
    for (std::size_t i = 0; i < n; ++i) {
        ASSERT_EQ(buf[i], pattern_byte(i)) << "at " << i;
    }
}

TEST_F(Vxi11Session, OverlongReplyIsCutAndTheNextReplyIsIntact) {
    char buf[32] = {};
    ASSERT_EQ(viPrintf(vi, "LONG? 3000\n"), VI_SUCCESS);
    ASSERT_EQ(viScanf(vi, "%31t", buf), VI_SUCCESS);
    EXPECT_EQ(std::string(buf), std::string(31, 'L'));
    std::string reply;
    ASSERT_EQ(query(vi, "ECHO? after\n", reply), VI_SUCCESS);
    EXPECT_EQ(reply, "after\n");
}

TEST_F(Vxi11Session, TimeOutThenClearRecoversTheSession) {
    ASSERT_EQ(viSetAttribute(vi, VI_ATTR_TMO_VALUE, 150), VI_SUCCESS);
    char buf[32] = {};
    ASSERT_EQ(viPrintf(vi, "HOLD?\n"), VI_SUCCESS);
    EXPECT_EQ(viScanf(vi, "%31t", buf), VI_ERROR_TMO);
    ASSERT_EQ(viSetAttribute(vi, VI_ATTR_TMO_VALUE, 5000), VI_SUCCESS);
    ASSERT_EQ(viClear(vi), VI_SUCCESS);
    EXPECT_EQ(server.clears(), 1);
    std::string reply;
    ASSERT_EQ(query(vi, "ECHO? recovered\n", reply), VI_SUCCESS);
    EXPECT_EQ(reply, "recovered\n");
}

TEST_F(Vxi11CutReply, AReplyCutByTheTimeOutIsSkippedWhenItsRestArrives) {
    ASSERT_EQ(viSetAttribute(vi, VI_ATTR_TMO_VALUE, 100), VI_SUCCESS);
    char buf[32] = {};
    ASSERT_EQ(viPrintf(vi, "HOLD?\n"), VI_SUCCESS);
    // Part of the device_read reply record is in; the rest is held back.
    EXPECT_EQ(viScanf(vi, "%31t", buf), VI_ERROR_TMO);
    server.instrument().release_hold();
    ASSERT_EQ(viSetAttribute(vi, VI_ATTR_TMO_VALUE, 5000), VI_SUCCESS);
    ASSERT_EQ(viClear(vi), VI_SUCCESS);
    std::string reply;
    ASSERT_EQ(query(vi, "ECHO? in step\n", reply), VI_SUCCESS);
    EXPECT_EQ(reply, "in step\n");
}

TEST_F(Vxi11HostileServer, OversizedReplyIsAnIoErrorAndEndsTheLink) {
    ASSERT_EQ(viPrintf(vi, "*IDN?\n"), VI_SUCCESS);
    char buf[32];
    EXPECT_EQ(viScanf(vi, "%31t", buf), VI_ERROR_IO);
    // The stream position is lost: the session does not pretend otherwise.
    EXPECT_EQ(viPrintf(vi, "*IDN?\n"), VI_ERROR_CONN_LOST);
    EXPECT_EQ(viClose(vi), VI_SUCCESS);
}

TEST_F(Vxi11Session, DroppedConnectionIsReportedAsConnectionLost) {
    ASSERT_EQ(viPrintf(vi, "DROP\n"), VI_SUCCESS);
    char buf[32];
    EXPECT_EQ(viScanf(vi, "%31t", buf), VI_ERROR_CONN_LOST);
    EXPECT_EQ(viPrintf(vi, "*IDN?\n"), VI_ERROR_CONN_LOST);
    EXPECT_EQ(viClose(vi), VI_SUCCESS);
}

TEST_F(Vxi11Session, ViReadEndsAtEnd) {
    ASSERT_EQ(viPrintf(vi, "MULTI?\n"), VI_SUCCESS);
    ViByte buf[64];
    ViUInt32 got = 0;
    // INSTR messages end at END, not at each line feed.
    ASSERT_EQ(viRead(vi, buf, sizeof buf, &got), VI_SUCCESS);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(buf), got), "ONE\nTWO\nTHREE\n");
}

TEST_F(Vxi11SmallChunks, ReplyInManySmallReadsAndFragments) {
    std::string reply;
    ASSERT_EQ(query(vi, "*IDN?\n", reply), VI_SUCCESS);
    EXPECT_EQ(reply, "GSMBENCH,LOOPBACK,0,1\n");
    ASSERT_EQ(query(vi, "LONG? 100\n", reply, 40), VI_SUCCESS);
    EXPECT_EQ(reply, std::string(39, 'L'));
    ASSERT_EQ(query(vi, "ECHO? still in step\n", reply), VI_SUCCESS);
    EXPECT_EQ(reply, "still in step\n");
}

TEST(Vxi11Open, NoPortmapperMeansResourceNotFound) {
    Vxi11Server server;
    use_portmapper(server.core_port()); // a port that answers, but not as a portmapper
    ResourceManagerHandle rm;
    ViSession vi = VI_NULL;
    EXPECT_EQ(viOpen(rm.get(), instr_name().c_str(), VI_NULL, 0, &vi), VI_ERROR_RSRC_NFOUND);
}
