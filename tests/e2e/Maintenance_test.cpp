// The device commands and the firmware upgrade end to end: a VORN-L on a
// simulated serial line, nobody at the console unless CMDVORN_ASSUME_YES=1
// answers for the operator, and the image taken by the simulator's own
// XMODEM receiver.
#include "Eventually.h"
#include "SimulatorTest.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>

namespace {

const std::map<std::string, std::string> kYes = {{"CMDVORN_ASSUME_YES", "1"}};

std::string image(std::size_t n) {
    std::string bytes(n, '\0');
    for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<char>((i * 29 + 11) & 0xFF);
    return bytes;
}

class MaintenanceTest : public SimulatorTest {
protected:
    // A VORN-L (node 7) and a VORN3 (node 3) on one serial line.
    void startSimulator(std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"--terminal", "7:VORN-L", "--terminal", "3:VORN3", "--pty", "all",
                                         "--records", "5", "--employees", "4", "--firmware-out", firmwareOut};
        args.insert(args.end(), extra.begin(), extra.end());
        runSimulator(args);
        std::string port = sim->ptyPath();
        install = std::make_unique<ToolInstall>(
            CMDV32_PATH, "[Global]\n"
                         "[Terminal 7]\nCOM_TYPE=RS232\nTERM_TYPE=VORN-L\nNODE_NR=7\nPORT=" + port + ":38400,N,8,1\n"
                         "[Terminal 3]\nCOM_TYPE=RS232\nTERM_TYPE=VORN3\nNODE_NR=3\nPORT=" + port + ":38400,N,8,1\n");
    }
    void writeData(const std::string& name, const std::string& bytes) {
        std::ofstream(install->dataDir() / name, std::ios::binary) << bytes;
    }
    ProcessResult run(std::vector<std::string> args, const std::map<std::string, std::string>& env = {}) {
        return install->run(args, env);
    }
    std::string result() const { return install->readData("RIDUVA.RET"); }
    std::string log() const { return install->readData("cmdvorn.log"); }
    std::string wire() const { return readFile(wireLog); }

    // The upgrade against a receiver with that fault fails with the
    // terminal's error and leaves no image.
    void expectReceiverFault(const std::string& mode, const std::string& logged) {
        startSimulator({"--xmodem", mode});
        writeData("vornl.bin", image(400));
        run({"-n7", "-uf"}, kYes);
        EXPECT_EQ(result(), "-0002\n");
        EXPECT_TRUE(contains(log(), logged)) << log();
        EXPECT_TRUE(contains(log(), "[Term 007] Resposta VORN - Error. ")) << log();
        EXPECT_FALSE(std::filesystem::exists(firmwareOut));
        EXPECT_TRUE(eventually([&] { return contains(wire(), "XMODEM ABORT"); })) << wire();
    }

    std::string firmwareOut = scratch("_firmware.bin");
    std::unique_ptr<ToolInstall> install;
};

}  // namespace

TEST_F(MaintenanceTest, SimpleCommandsSendTheirTelegramAtOnce) {
    startSimulator();
    run({"-n7", "-@"});
    EXPECT_EQ(result(), "00001\n");
    run({"-n7", "-br"});
    EXPECT_EQ(result(), "00001\n");
    run({"-n7", "-ot"});
    EXPECT_EQ(result(), "00001\n");
    std::string w = wire();
    EXPECT_TRUE(contains(w, "\"@@\"")) << w;
    EXPECT_TRUE(contains(w, "\"GL,BT\""));
    EXPECT_TRUE(contains(w, "\"GL,OF\""));
    EXPECT_TRUE(contains(log(), "[Term 007] Comando GL,OF eseguito."));

    // A terminal that does not know the command answers with a warning.
    run({"-n3", "-br"});
    EXPECT_EQ(result(), "-0002\n");
}

TEST_F(MaintenanceTest, FactoryResetAnsweredNoSendsNothingAndEndsWith106) {
    startSimulator();
    run({"-n7", "-@F"});
    EXPECT_EQ(result(), "-0002\n");
    EXPECT_TRUE(contains(log(), "[Term 007] Commando interroto dall'utente!")) << log();
    EXPECT_FALSE(contains(wire(), "\"@B\""));

    run({"-n7", "-@F"}, kYes);
    EXPECT_EQ(result(), "00001\n");
    EXPECT_TRUE(contains(wire(), "\"@B\""));
    std::string state = stopAndReadState();
    EXPECT_TRUE(contains(state, "\"punches\": []")) << state;
}

TEST_F(MaintenanceTest, FirmwareFromTheDataDirectoryArrivesPadded) {
    startSimulator();
    const std::string data = image(300);
    writeData("vornl.bin", data);
    auto r = run({"-n7", "-uf"}, kYes);
    EXPECT_EQ(result(), "00001\n") << log() << wire();
    std::string path = (install->dataDir() / "vornl.bin").string();
    EXPECT_TRUE(contains(log(), "XMODEM Inizio trasmissione file: " + path + "\n"));
    EXPECT_TRUE(contains(log(), "File " + path + " inviato !"));
    EXPECT_TRUE(contains(wire(), "\"GL,UP\""));
    EXPECT_TRUE(contains(wire(), "XMODEM END EOT after 3 blocks"));
    EXPECT_EQ(readFile(firmwareOut), data + std::string(84, '\0'));

    // The line is the terminals' again.
    run({"-n3", "-v"});
    EXPECT_TRUE(contains(log(), "[Term 003] Comando VE eseguito.")) << log();
}

TEST_F(MaintenanceTest, FirmwareNamedInTheEnvironmentAndAQuestionFirst) {
    startSimulator({"--xmodem", "prompt"});
    const std::string data = image(256);
    std::string path = (install->programDir() / "nuovo.bin").string();
    std::ofstream(path, std::ios::binary) << data;
    auto env = kYes;
    env["CMDVORN_FIRMWARE"] = path;
    run({"-n7", "-uf"}, env);
    EXPECT_EQ(result(), "00001\n") << log();
    EXPECT_TRUE(contains(wire(), "XMODEM answered y"));
    EXPECT_EQ(readFile(firmwareOut), data);
}

TEST_F(MaintenanceTest, FirmwareRefusedBeforeAnythingIsSent) {
    startSimulator();
    // Missing, whatever its name.
    auto r = run({"-n7", "-uf"}, kYes);
    EXPECT_EQ(result(), "-0100\n");
    EXPECT_TRUE(contains(log(), "[Term 007] File VORNL.BIN non trovato !")) << log();
    EXPECT_TRUE(contains(r.err, "File VORNL.BIN non trovato !"));
    // Empty.
    writeData("vornl.bin", "");
    run({"-n7", "-uf"}, kYes);
    EXPECT_EQ(result(), "-0103\n");
    // Not confirmed.
    writeData("vornl.bin", image(10));
    run({"-n7", "-uf"});
    EXPECT_EQ(result(), "-0002\n");
    EXPECT_FALSE(contains(wire(), "GL,UP"));
}

TEST_F(MaintenanceTest, AReceiverThatRefusesEveryBlock) {
    expectReceiverFault("nak-storm", "Retransmissione packeto nr. 1. Ricevuto NAK");
    EXPECT_EQ(countOf(log(), "Retransmissione packeto nr. 1. Ricevuto NAK"), 10);
}

TEST_F(MaintenanceTest, AReceiverThatCancelsBeforeTheStart) {
    expectReceiverFault("can-can", "Received CAN CAN while waiting initial handshake!");
    EXPECT_TRUE(contains(log(), "Error XMODEM protocol init"));
}

TEST_F(MaintenanceTest, AReceiverThatCancelsMidway) {
    expectReceiverFault("cancel-after:1", "Trasmissione cancellata da receiver");
    EXPECT_TRUE(contains(log(), " fallito !"));
}

TEST_F(MaintenanceTest, CtrlCCancelsTheTransferOnTheLine) {
    startSimulator({"--baud", "9600"});
    writeData("vornl.bin", image(30000));
    auto running = install->start({"-n7", "-uf"}, kYes);
    ASSERT_TRUE(eventually([&] { return contains(wire(), "XMODEM block 3 ACK"); })) << wire();
    running->signal(SIGINT);
    auto r = running->wait(std::chrono::seconds(60));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(result(), "-0002\n");
    EXPECT_TRUE(contains(log(), "Trasmissione cancellata dall'utente")) << log();
    EXPECT_TRUE(eventually([&] { return contains(wire(), "XMODEM ABORT cancelled by the sender"); })) << wire();
}
