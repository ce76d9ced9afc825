// The raw SCPI socket transport over loopback: framing, bounds and faults. A bad client only
// ever costs its own connection.
#include "sim_client.h"
#include "sim_test_instrument.h"

#include <gtest/gtest.h>

#include <thread>

namespace {
using namespace gsmbench::sim;
using simtest::ScpiClient;
using namespace std::chrono_literals;

class SocketServer : public ::testing::Test {
  protected:
    void SetUp() override {
        BenchOptions o = simtest::test_options();
        o.send_timeout = 500ms;
        o.max_message = 4096;
        bench = std::make_unique<Bench>(o);
        bench->start();
        ASSERT_NE(bench->test_set_port(), 0);
        ASSERT_NE(bench->supply_port(), 0);
    }
    std::unique_ptr<Bench> bench;
    const std::string idn = "GSMBENCH,TEST-testset,0,1";
};

TEST_F(SocketServer, ServesBothInstrumentsOnTheirPorts) {
    ScpiClient t(bench->test_set_port()), s(bench->supply_port());
    ASSERT_TRUE(t.ok() && s.ok());
    EXPECT_EQ(t.query("*IDN?"), idn);
    EXPECT_EQ(s.query("*IDN?"), "GSMBENCH,TEST-supply,0,1");
}

TEST_F(SocketServer, SeveralMessagesInOnePacketAnswerInOrder) {
    ScpiClient c(bench->test_set_port());
    ASSERT_TRUE(c.send("ECHO? 1\nECHO? 2\r\nCALL:MS:REP:RXQ:NEW?;NEW?\nOUTP ON\nOUTP?\n"));
    EXPECT_EQ(c.line(), "+1");
    EXPECT_EQ(c.line(), "+2");
    EXPECT_EQ(c.line(), "+1;+2");
    EXPECT_EQ(c.line(), "1");
}

TEST_F(SocketServer, MessageSplitAcrossPackets) {
    ScpiClient c(bench->test_set_port());
    for (std::string_view piece : {"*I", "DN", "?", "\n"}) {
        ASSERT_TRUE(c.send(piece));
        std::this_thread::sleep_for(20ms); // separate segments on the wire
    }
    EXPECT_EQ(c.line(), idn);
}

TEST_F(SocketServer, OverlongLineIsDiscardedWithTooMuchData) {
    ScpiClient c(bench->test_set_port());
    std::string huge(1 << 20, 'A');
    ASSERT_TRUE(c.send(huge));
    ASSERT_TRUE(c.send("\n*IDN?\n"));
    EXPECT_EQ(c.line(), idn);
    EXPECT_EQ(c.query("SYST:ERR?"), "-223,\"Too much data;message longer than 4096 bytes\"");
    EXPECT_EQ(c.query("SYST:ERR?"), "+0,\"No error\"");
}

TEST_F(SocketServer, GarbageBytesGiveAnErrorAndTheConnectionLives) {
    ScpiClient c(bench->test_set_port());
    std::string junk("\x00\x01\xff\x80garbage\x7f", 12);
    ASSERT_TRUE(c.send(junk + "\n"));
    EXPECT_EQ(c.query("*IDN?"), idn);
    auto e = c.query("SYST:ERR?");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->rfind("-101,", 0), 0u) << *e;
}

TEST_F(SocketServer, ClientThatLeavesMidQueryDoesNotDisturbOthers) {
    bench->clock().set_scale(0.05); // TRIG 4 S -> 200 ms of real time
    {
        ScpiClient quitter(bench->test_set_port());
        ASSERT_TRUE(quitter.send("TRIG 4 S;:FETC:WAIT?\n"));
    } // closed while its query blocks
    ScpiClient other(bench->test_set_port());
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(other.query("ECHO? " + std::to_string(i)), "+" + std::to_string(i));
}

TEST_F(SocketServer, ClientThatNeverReadsIsDroppedAndOthersCarryOn) {
    ScpiClient flood(bench->test_set_port());
    ScpiClient other(bench->test_set_port());
    // Send queries with large replies without reading until the kernel buffers are full (a
    // non-blocking send fails) or a bound is reached.
    std::string burst;
    for (int i = 0; i < 100; ++i)
        burst += "BLOB? 65536\n";
    std::size_t total = 0;
    for (int i = 0; i < 200; ++i) {
        ssize_t n = ::send(flood.fd(), burst.data(), burst.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n <= 0)
            break;
        total += std::size_t(n);
    }
    EXPECT_GT(total, 0u);
    for (int i = 0; i < 50; ++i)
        ASSERT_EQ(other.query("ECHO? " + std::to_string(i)), "+" + std::to_string(i));
    // The flooding client is dropped after the send time-out.
    EXPECT_TRUE(flood.hung_up(20s));
    EXPECT_EQ(other.query("*IDN?"), idn);
}

TEST_F(SocketServer, ReplyFaults) {
    ScpiClient ctl(bench->test_set_port()), c(bench->test_set_port());
    // A fault armed by a message hits the replies of later messages, so "...;*OPC?" both arms
    // it and tells the control connection that it is armed.
    // Delay: the reply still comes, intact.
    ASSERT_EQ(ctl.query("SIM:DEL 100 MS;*OPC?"), "+1");
    EXPECT_EQ(c.query("*IDN?"), idn);
    // Silence: the next reply is never sent, the one after is.
    ASSERT_EQ(ctl.query("SIM:SIL;*OPC?"), "+1");
    ASSERT_TRUE(c.send("ECHO? 1\n"));
    ASSERT_TRUE(c.send("ECHO? 2\n"));
    EXPECT_EQ(c.line(), "+2");
    // Garbage: bytes that are not the reply, ended by a line feed.
    ASSERT_EQ(ctl.query("SIM:GARB 16;*OPC?"), "+1");
    auto g = c.query("*IDN?");
    ASSERT_TRUE(g);
    EXPECT_EQ(g->size(), 16u);
    EXPECT_NE(*g, idn.substr(0, 16));
    // Over-long reply.
    ASSERT_EQ(ctl.query("SIM:LONG 100000;*OPC?"), "+1");
    auto l = c.query("*IDN?");
    ASSERT_TRUE(l);
    EXPECT_EQ(l->size(), 100000u);
    EXPECT_EQ(c.query("*IDN?"), idn);
    // Dropped connection on the next query.
    ASSERT_EQ(ctl.query("SIM:DROP;*OPC?"), "+1");
    ASSERT_TRUE(c.send("*IDN?\n"));
    EXPECT_TRUE(c.closed_by_peer());
    EXPECT_EQ(ctl.query("*IDN?"), idn);
    // Immediate drop of the connection that asks for it.
    ASSERT_TRUE(ctl.send("SIM:DROP:IMM\n"));
    EXPECT_TRUE(ctl.closed_by_peer());
    ScpiClient after(bench->test_set_port());
    EXPECT_EQ(after.query("*IDN?"), idn);
    EXPECT_EQ(after.query("SYST:ERR?"), "+0,\"No error\"");
}

TEST_F(SocketServer, FaultsCanBeDisarmed) {
    ScpiClient c(bench->test_set_port());
    ASSERT_TRUE(c.send("SIM:SIL 5;DROP\n"));
    ASSERT_TRUE(c.send("SIM:FAUL:CLE\n"));
    EXPECT_EQ(c.query("*IDN?"), idn);
}

TEST_F(SocketServer, TraceHasOneLinePerMessageAndReply) {
    bench->stop();
    std::vector<std::string> lines;
    std::mutex m;
    BenchOptions o = simtest::test_options();
    o.trace = [&](std::string_view l) {
        std::lock_guard lock(m);
        lines.emplace_back(l);
    };
    bench = std::make_unique<Bench>(o);
    bench->start();
    {
        ScpiClient c(bench->test_set_port());
        ASSERT_TRUE(c.send("*IDN?;*OPC?\nOUTP ON\n"));
        EXPECT_TRUE(c.line());
        EXPECT_EQ(c.query("OUTP?"), "1");
    }
    bench->stop();
    std::vector<std::string> traffic;
    for (auto &l : lines)
        if (l.find(" < ") != std::string::npos || l.find(" > ") != std::string::npos)
            traffic.push_back(l.substr(l.find("testset#")));
    ASSERT_EQ(traffic.size(), 5u);
    std::string id = traffic[0].substr(0, traffic[0].find(' '));
    EXPECT_EQ(traffic[0], id + " < *IDN?;*OPC?");
    EXPECT_EQ(traffic[1], id + " > " + idn + ";+1\\n");
    EXPECT_EQ(traffic[2], id + " < OUTP ON");
    EXPECT_EQ(traffic[3], id + " < OUTP?");
    EXPECT_EQ(traffic[4], id + " > 1\\n");
}

TEST(Bench, StopsWhileAHandlerBlocksAndRestarts) {
    Bench b(simtest::test_options(1.0));
    b.start();
    ScpiClient c(b.test_set_port());
    ASSERT_TRUE(c.send("TRIG 60 S;:FETC:WAIT?\n"));
    std::this_thread::sleep_for(50ms);
    b.stop(); // must not wait for the minute
    EXPECT_FALSE(b.running());
    b.start();
    ScpiClient again(b.test_set_port());
    EXPECT_EQ(again.query("*IDN?"), "GSMBENCH,TEST-testset,0,1");
}

TEST(Bench, PortInUseIsReported) {
    Bench a(simtest::test_options());
    a.start();
    BenchOptions o = simtest::test_options();
    o.test_set_port = a.test_set_port();
    Bench b(o);
    EXPECT_THROW(b.start(), std::runtime_error);
    EXPECT_FALSE(b.running());
}

} // namespace
