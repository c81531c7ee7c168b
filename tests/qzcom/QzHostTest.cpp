#include "QzHostTest.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {
constexpr std::size_t kReplySize = 1024;
constexpr std::size_t kGuard = 64;
}  // namespace

const QzApi& qz() {
    static QzApi api;
    static bool loaded = [] {
        char error[512];
        if (qzLoad(&api, qzLibraryPath(), error, sizeof error) == 0) return true;
        ADD_FAILURE() << error;
        return false;
    }();
    if (!loaded) std::abort();
    return api;
}

std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

int countOf(const std::string& text, const std::string& part) {
    int n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

QzHostTest::QzHostTest() {
    char pattern[] = "/tmp/qzcomXXXXXX";
    root = mkdtemp(pattern);
    hostDir = root / "host";
    workDir = root / "work";
    systemDir = root / "etc";
    for (const auto& dir : {hostDir, workDir, systemDir}) std::filesystem::create_directory(dir);
    setenv("WQZCOM_SYSTEM_DIR", systemDir.c_str(), 1);
    std::filesystem::current_path(hostDir);
}

QzHostTest::~QzHostTest() {
    sim.reset();
    std::filesystem::current_path("/");
    std::filesystem::remove_all(root);
}

QzResult QzHostTest::call(const std::string& command) {
    std::vector<char> text(command.begin(), command.end());
    text.push_back('\0');
    std::vector<char> reply(kReplySize + kGuard, '#');
    const int code = qz().Qzcom(text.data(), reply.data());
    if (code == WQZCOM_BUSY) {
        EXPECT_EQ(std::count(reply.begin(), reply.end(), '#'), static_cast<long>(reply.size()))
            << "a refused call wrote its reply";
        return {code, ""};
    }
    for (std::size_t i = kReplySize; i < reply.size(); ++i)
        EXPECT_EQ(reply[i], '#') << "written past the reply buffer at " << i;
    const auto end = std::find(reply.begin(), reply.begin() + kReplySize, '\0');
    EXPECT_NE(end, reply.begin() + kReplySize) << "reply not terminated";
    return {code, std::string(reply.begin(), end)};
}

void QzHostTest::writeSettings(const std::filesystem::path& dir, const std::string& lines) {
    writeText(dir / "wqzcom.ini", "[nx]\n" + lines);
}

void QzHostTest::startSimulator(const std::vector<std::string>& extra, int address) {
    std::vector<std::string> args = {"--family", "qz", "--terminal", std::to_string(address),
                                     "--tcp", "0", "--pty", "all", "--wire-log",
                                     (root / "wire.log").string()};
    args.insert(args.end(), extra.begin(), extra.end());
    sim = std::make_unique<vornsim::VornSimProcess>(args);
    ASSERT_TRUE(sim->start()) << sim->error();
}

std::string QzHostTest::tcpConnection(int address, bool tagged) const {
    return std::string("TCP") + (tagged ? "*" : ":") + "127.0.0.1 " + std::to_string(sim->tcpPort()) +
           " " + std::to_string(address) + " " + workDir.string();
}

std::string QzHostTest::serialConnection(int address, int baud) const {
    return sim->ptyPath() + ":" + std::to_string(baud) + " " + std::to_string(address) + " " +
           workDir.string();
}

std::string QzHostTest::wireLog() const { return readText(root / "wire.log"); }

int QzHostTest::requestsLogged() const { return countOf(wireLog(), " RX #"); }
