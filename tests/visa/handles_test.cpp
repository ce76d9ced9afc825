// Handles: unknown, closed, reused slots, the wrong kind, and what closing a
// resource manager does to its sessions.
#include <gtest/gtest.h>

#include <string>

#include "servers.h"
#include "visa_session.h"

using namespace gsmbench::test;

TEST(Handles, UnknownAndClosedHandlesAreInvalidObjects) {
    ScpiSocketServer server;
    ResourceManagerHandle rm;
    ViSession vi = VI_NULL;
    ASSERT_EQ(viOpen(rm.get(), server.resource().c_str(), VI_NULL, 0, &vi), VI_SUCCESS);
    ASSERT_EQ(viClose(vi), VI_SUCCESS);

    char buf[16];
    ViUInt32 tmo = 0;
    ViUInt32 count = 0;
    for (ViSession bad : {vi, static_cast<ViSession>(1), static_cast<ViSession>(0xFFFFFFFF),
                          static_cast<ViSession>(4095), vi ^ 0x1000u}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(viPrintf(bad, "*IDN?\n"), VI_ERROR_INV_OBJECT);
        EXPECT_EQ(viScanf(bad, "%15t", buf), VI_ERROR_INV_OBJECT);
        EXPECT_EQ(viWrite(bad, reinterpret_cast<ViConstBuf>("x"), 1, &count), VI_ERROR_INV_OBJECT);
        EXPECT_EQ(viRead(bad, reinterpret_cast<ViPBuf>(buf), sizeof buf, &count),
                  VI_ERROR_INV_OBJECT);
        EXPECT_EQ(viClear(bad), VI_ERROR_INV_OBJECT);
        EXPECT_EQ(viGetAttribute(bad, VI_ATTR_TMO_VALUE, &tmo), VI_ERROR_INV_OBJECT);
        EXPECT_EQ(viClose(bad), VI_ERROR_INV_OBJECT);
    }
    EXPECT_EQ(viClose(VI_NULL), VI_WARN_NULL_OBJECT);
}

TEST(Handles, AReusedSlotAnswersOnlyToItsNewHandle) {
    ScpiSocketServer server;
    ResourceManagerHandle rm;
    ViSession first = VI_NULL;
    ASSERT_EQ(viOpen(rm.get(), server.resource().c_str(), VI_NULL, 0, &first), VI_SUCCESS);
    ASSERT_EQ(viClose(first), VI_SUCCESS);
    ViSession second = VI_NULL;
    ASSERT_EQ(viOpen(rm.get(), server.resource().c_str(), VI_NULL, 0, &second), VI_SUCCESS);
    EXPECT_NE(first, second);
    EXPECT_EQ(viPrintf(first, "*IDN?\n"), VI_ERROR_INV_OBJECT);
    std::string reply;
    EXPECT_EQ(query(second, "*IDN?\n", reply), VI_SUCCESS);
}

TEST(Handles, IoOnAResourceManagerIsNotSupported) {
    ResourceManagerHandle rm;
    char buf[8];
    EXPECT_EQ(viPrintf(rm.get(), "x"), VI_ERROR_NSUP_OPER);
    EXPECT_EQ(viScanf(rm.get(), "%7t", buf), VI_ERROR_NSUP_OPER);
    ViUInt32 tmo = 0;
    EXPECT_EQ(viGetAttribute(rm.get(), VI_ATTR_TMO_VALUE, &tmo), VI_SUCCESS);
    ViSession vi = VI_NULL;
    EXPECT_EQ(viOpen(12345, "TCPIP::127.0.0.1::5025::SOCKET", VI_NULL, 0, &vi),
              VI_ERROR_INV_OBJECT);
}

TEST(Handles, ClosingTheResourceManagerClosesItsSessions) {
    ScpiSocketServer server;
    ResourceManagerHandle rm;
    ResourceManagerHandle other_rm;
    ViSession a = VI_NULL, b = VI_NULL, other = VI_NULL;
    ASSERT_EQ(viOpen(rm.get(), server.resource().c_str(), VI_NULL, 0, &a), VI_SUCCESS);
    ASSERT_EQ(viOpen(rm.get(), server.resource().c_str(), VI_NULL, 0, &b), VI_SUCCESS);
    ASSERT_EQ(viOpen(other_rm.get(), server.resource().c_str(), VI_NULL, 0, &other), VI_SUCCESS);
    ASSERT_EQ(viClose(a), VI_SUCCESS); // already closed: the manager must skip it

    ASSERT_EQ(viClose(rm.get()), VI_SUCCESS);
    rm.release();
    EXPECT_EQ(viPrintf(b, "*IDN?\n"), VI_ERROR_INV_OBJECT);
    EXPECT_EQ(viClose(b), VI_ERROR_INV_OBJECT);
    std::string reply;
    EXPECT_EQ(query(other, "*IDN?\n", reply), VI_SUCCESS)
        << "a session of another manager survives";
}

TEST(Handles, FormatErrorsDoNotLeaveHalfALineBehind) {
    ScpiSocketServer server;
    ResourceManagerHandle rm;
    ViSession vi = VI_NULL;
    ASSERT_EQ(viOpen(rm.get(), server.resource().c_str(), VI_NULL, 0, &vi), VI_SUCCESS);
    EXPECT_EQ(viPrintf(vi, "ECHO? junk %q\n"), VI_ERROR_NSUP_FMT);
    std::string reply;
    ASSERT_EQ(query(vi, "ECHO? clean\n", reply), VI_SUCCESS);
    EXPECT_EQ(reply, "clean\n");
}

TEST(StatusDesc, KnownAndUnknownStatuses) {
    ViChar desc[VI_FIND_BUFLEN];
    ASSERT_EQ(viStatusDesc(VI_NULL, VI_ERROR_TMO, desc), VI_SUCCESS);
    EXPECT_NE(std::string(desc).find("VI_ERROR_TMO"), std::string::npos);
    ASSERT_EQ(viStatusDesc(VI_NULL, VI_ERROR_CONN_LOST, desc), VI_SUCCESS);
    EXPECT_NE(std::string(desc).find("VI_ERROR_CONN_LOST"), std::string::npos);
    EXPECT_EQ(viStatusDesc(VI_NULL, static_cast<ViStatus>(0x12345), desc), VI_WARN_UNKNOWN_STATUS);
}
