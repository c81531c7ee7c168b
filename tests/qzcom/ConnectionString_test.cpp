#include "ConnectionString.h"

#include <gtest/gtest.h>

using namespace qzcom;

TEST(QzConnectionString, SerialPortNameMapsToTheDevice) {
    auto p = parseConnectionString("COM2:19200 7 C:\\Data Dir");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->kind, LinkKind::Serial);
    EXPECT_EQ(p->device, "/dev/ttyS1");
    EXPECT_EQ(p->baud, 19200);
    EXPECT_EQ(p->address, 7);
    EXPECT_FALSE(p->tagged);
    EXPECT_EQ(p->workDir, "C:\\Data Dir");
}

TEST(QzConnectionString, AStarForTheColonMeansTagged) {
    EXPECT_TRUE(parseConnectionString("COM1*9600 1 /x")->tagged);
    EXPECT_TRUE(parseConnectionString("TCP*1.2.3.4_0.0.0.0_3001_0000 01 /x")->tagged);
    EXPECT_TRUE(parseConnectionString("/dev/ttyUSB0*9600 1 /x")->tagged);
    EXPECT_FALSE(parseConnectionString("/dev/tty.usb:9600 1 /x")->tagged);
}

TEST(QzConnectionString, DevicePathsKeepTheirCase) {
    auto p = parseConnectionString("/dev/ttyUSB0:9600 12 /Srv/Data");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->device, "/dev/ttyUSB0");
    EXPECT_EQ(p->address, 12);
    EXPECT_EQ(p->workDir, "/Srv/Data");
}

TEST(QzConnectionString, ShortAndLongTcpFormsAgree) {
    auto shortForm = parseConnectionString("TCP:10.0.0.7 3001 5 C:\\DATA");
    auto longForm = parseConnectionString("TCP:10.0.0.7_0.0.0.0_3001_0000 05 C:\\DATA");
    ASSERT_TRUE(shortForm && longForm);
    for (const auto* p : {&*shortForm, &*longForm}) {
        EXPECT_EQ(p->kind, LinkKind::Tcp);
        EXPECT_EQ(p->ip, (std::array<int, 4>{10, 0, 0, 7}));
        EXPECT_EQ(p->port, 3001);
        EXPECT_EQ(p->localPort, 0);
        EXPECT_EQ(p->address, 5);
        EXPECT_EQ(p->workDir, "C:\\DATA");
    }
}

TEST(QzConnectionString, UdpTakesTheLocalPort) {
    auto p = parseConnectionString("udp:1.2.3.4_5.6.7.8_100_200 3 d");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->kind, LinkKind::Udp);
    EXPECT_EQ(p->localPort, 200);
}

TEST(QzConnectionString, MalformedTextIsRefused) {
    for (const char* bad : {"", "   ", "LPT1:9600 1 x", "COM0:9600 1 x", "COM1:9600", "TCP:1.2.3 4 5 x",
                            "TCP:1.2.3.999 4 5 x", "TCP:1.2.3.4 70000 5 x", "TCP:1.2.3.4 1 128 x",
                            "/dev/x 1 2", "/dev/x:fast 1 2", "COM1:9600 -1 x"})
        EXPECT_FALSE(parseConnectionString(bad)) << bad;
}
