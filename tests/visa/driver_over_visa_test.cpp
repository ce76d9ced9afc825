// The driver's own session and query calls through our VISA layer: the
// directives it passes ("%<n>t") and the lines it sends must work end to end.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include <visa.h>

#include "gsmbench.h"
#include "loopback.h"
#include "servers.h"

using namespace gsmbench::test;

TEST(DriverOverVisa, OpenWithResetQueryAndClose) {
    ScpiSocketServer server;
    ViSession rm = VI_NULL;
    ASSERT_EQ(CreateGPIBDefaultRM(&rm), 1);
    ViSession vi = VI_NULL;
    ASSERT_EQ(OpenGPIB(rm, &vi, server.resource().c_str(), 1), 1);

    ViChar info[256];
    std::memset(info, 'x', sizeof info);
    ASSERT_EQ(BS_Get_Testset_Info(vi, info), VI_SUCCESS);
    EXPECT_STREQ(info, "GSMBENCH,LOOPBACK,0,1\n");

    const auto lines = server.instrument().received();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "*CLS");
    EXPECT_EQ(lines[1], "*RST");
    EXPECT_EQ(lines[2], "*IDN?");
    EXPECT_EQ(CloseGPIB(rm, vi), 1);
}

TEST(DriverOverVisa, OpenFailsCleanlyOnARefusedPort) {
    ViSession rm = VI_NULL;
    ASSERT_EQ(CreateGPIBDefaultRM(&rm), 1);
    ViSession vi = VI_NULL;
    const std::string refused = "TCPIP0::127.0.0.1::" + std::to_string(unused_port()) + "::SOCKET";
    EXPECT_EQ(OpenInstrument(rm, &vi, refused.c_str(), 0), 0);
    EXPECT_EQ(FreeGPIBDefaultRM(rm), 1);
    EXPECT_EQ(FreeGPIBDefaultRM(rm), 0) << "a closed manager is rejected";
}
