// The window's questions for the device commands and the firmware upgrade:
// its Yes/No boxes and its file-open dialog, answered by the recorder.
#include "WindowFixture.h"

#include <gtest/gtest.h>

namespace {

class WindowMaintenanceTest : public WindowTest {
protected:
    void startVornL() {
        runSimulator({"--terminal", "7:VORN-L", "--records", "3", "--firmware-out", firmwareOut});
        writeParameters("[Global]\n" + terminal(7, sim->tcpPort(), "VORN-L"));
    }
    std::string firmwareOut = scratch("_window_firmware.bin");
};

}  // namespace

TEST_F(WindowMaintenanceTest, FactoryResetAsksInAYesNoBoxAndNoSendsNothing) {
    startVornL();
    open("-n7 -@F ");
    ASSERT_TRUE(waitClosed());
    ASSERT_EQ(boxes.questions.size(), 1u);
    EXPECT_EQ(boxes.questions[0].caption, "VORN-L");
    EXPECT_EQ(boxes.questions[0].text, "Conferma reset configurazione di fabbrica");
    EXPECT_EQ(data("RIDUVA.RET"), "-0002\n");
    EXPECT_FALSE(contains(readFile(wireLog), "\"@B\""));
}

TEST_F(WindowMaintenanceTest, FirmwareDialogCancelledEndsWith106) {
    startVornL();
    open("-n7 -uf ");
    ASSERT_TRUE(waitClosed());
    ASSERT_EQ(boxes.fileDialogs.size(), 1u);
    EXPECT_EQ(boxes.fileDialogs[0].caption, "Vorn-L Firmware");
    EXPECT_TRUE(boxes.fileDialogs[0].text.startsWith("Firmware (*.bin) "));
    EXPECT_TRUE(boxes.fileDialogs[0].text.endsWith("/vornl.bin"));
    EXPECT_TRUE(boxes.questions.empty());
    EXPECT_EQ(data("RIDUVA.RET"), "-0002\n");
    EXPECT_FALSE(contains(readFile(wireLog), "GL,UP"));
}

TEST_F(WindowMaintenanceTest, FirmwareChosenAndConfirmedIsSent) {
    startVornL();
    std::string image(200, '\x5a');
    std::ofstream(dataDir / "scelto.bin", std::ios::binary) << image;
    boxes.chosenFile = QString::fromStdString((dataDir / "scelto.bin").string());
    boxes.answer = true;
    open("-n7 -uf ");
    ASSERT_TRUE(waitClosed());
    ASSERT_EQ(boxes.questions.size(), 1u);
    EXPECT_EQ(boxes.questions[0].caption, "VORN-L Firmware Download ");
    EXPECT_EQ(boxes.questions[0].text, "Conferma aggiornamento firmware per VORN-L ?");
    EXPECT_EQ(data("RIDUVA.RET"), "00001\n") << data("cmdvorn.log");
    EXPECT_EQ(readFile(firmwareOut), image + std::string(56, '\0'));
}
