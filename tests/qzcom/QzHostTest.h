#pragma once
// Fixture of the tests that drive the real library through the C host: a
// private folder holding the host's current directory, the working
// directory and the system directory of the settings file, and a QZ-family
// simulator with a wire log.
#include "Eventually.h"
#include "VornSimProcess.h"
#include "qzHost.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

// The library, loaded once per test program; a load failure fails the test.
const QzApi& qz();

struct QzResult {
    int code;
    std::string reply;
};

class QzHostTest : public ::testing::Test {
protected:
    QzHostTest();
    ~QzHostTest() override;

    // Calls Qzcom with a writable copy of `command`; checks that nothing was
    // written past the 1024-byte reply buffer.
    QzResult call(const std::string& command);
    // Writes "wqzcom.ini" with section "nx" holding `lines` into `dir`.
    void writeSettings(const std::filesystem::path& dir, const std::string& lines);
    // Starts the simulator with one terminal at `address`, on TCP and a pseudo-terminal.
    void startSimulator(const std::vector<std::string>& extra = {}, int address = 1);
    // "TCP:127.0.0.1 <port> <address> <workDir>".
    std::string tcpConnection(int address = 1, bool tagged = false) const;
    std::string serialConnection(int address = 1, int baud = 9600) const;
    std::string wireLog() const;
    int requestsLogged() const;

    std::filesystem::path root, hostDir, workDir, systemDir;
    std::unique_ptr<vornsim::VornSimProcess> sim;
};

std::string readText(const std::filesystem::path& path);
void writeText(const std::filesystem::path& path, const std::string& text);
int countOf(const std::string& text, const std::string& part);
