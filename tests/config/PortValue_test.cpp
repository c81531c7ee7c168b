#include "PortValue.h"

#include <gtest/gtest.h>

namespace {

long speedOf(const char* value) {
    SerialPortValue serial;
    EXPECT_TRUE(parseSerialPort(value, serial)) << value;
    return serial.speed;
}

TEST(PortValue, SerialSpeedNeedsACommaAfterIt) {
    EXPECT_EQ(speedOf("COM1:9600"), 38400);
    EXPECT_EQ(speedOf("COM2:19200,E,7,2"), 19200);
    EXPECT_EQ(speedOf("COM2:300,N,8,1"), 38400);
    EXPECT_EQ(speedOf("COM2:,9600"), 38400);
    EXPECT_EQ(speedOf("COM2:"), 38400);
    EXPECT_EQ(speedOf("COM3:abc,N,8,1"), 38400);
    for (long s : {4800L, 9600L, 19200L, 56000L, 57600L, 64000L, 115200L, 128000L})
        EXPECT_EQ(speedOf(("COM1:" + std::to_string(s) + ",N,8,1").c_str()), s);
}

TEST(PortValue, SerialNameIsTheTextBeforeTheColon) {
    SerialPortValue serial;
    ASSERT_TRUE(parseSerialPort("/dev/ttyUSB0:115200,N,8,1", serial));
    EXPECT_EQ(serial.portName, zString("/dev/ttyUSB0"));
    EXPECT_FALSE(parseSerialPort("COM1", serial));
    EXPECT_FALSE(parseSerialPort(":9600,N,8,1", serial));
}

TEST(PortValue, TcpEndpoints) {
    TcpEndpoint e;
    EXPECT_TRUE(isTcpPortValue("TCP//bridge:4001"));
    EXPECT_FALSE(isTcpPortValue("tcp/bridge"));
    ASSERT_TRUE(parseTcpEndpoint("tcp//10.0.0.5", e));
    EXPECT_EQ(e.host, zString("10.0.0.5"));
    EXPECT_EQ(e.port, 3000);
    ASSERT_TRUE(parseTcpEndpoint("TCP//bridge:4001", e));
    EXPECT_EQ(e.host, zString("bridge"));
    EXPECT_EQ(e.port, 4001);
    for (const char* bad : {"tcp//h:0", "tcp//h:-5", "tcp//h:70000", "tcp//h:x", "tcp//h:"}) {
        ASSERT_TRUE(parseTcpEndpoint(bad, e)) << bad;
        EXPECT_EQ(e.port, 3000) << bad;
    }
    ASSERT_TRUE(parseTcpEndpoint("tcp//h:40000", e));
    EXPECT_EQ(e.port, 40000);
    EXPECT_FALSE(parseTcpEndpoint("tcp//", e));
    EXPECT_FALSE(parseTcpEndpoint("tcp//:4001", e));
}

}  // namespace
