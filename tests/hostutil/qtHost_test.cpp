// The library inside a Qt application (offscreen platform), against the
// private CUPS scheduler of run_with_cups.sh: the print dialog, and failure
// messages shown as message boxes. The test plays the user by accepting or
// cancelling each window as it appears.
#include "hostTestSupport.h"

#include <QApplication>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QTimer>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <thread>

namespace {

// Hands the first visible top-level window of type T to `act` once it shows.
template <typename T>
void whenShown(std::function<void(T*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* window = qobject_cast<T*>(w); window && window->isVisible()) {
                timer->deleteLater();
                timer->stop();
                act(window);
                return;
            }
        }
    });
    timer->start();
}

struct SetupBuffers {
    char device[129] = "untouched";
    char driver[129] = "untouched";
    char port[129] = "untouched";
    MirtaPrinterSetup record{device, driver, port, 2, 1, 5, MIRTA_PD_PAGENUMS,
                             reinterpret_cast<void*>(1)};
};

class QtHost : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(std::getenv("CUPS_SERVER")) << "run through run_with_cups.sh";
    }
};

}  // namespace

TEST_F(QtHost, ConfirmedPrintDialogFillsTheSetupRecord) {
    SetupBuffers setup;
    QString offered;
    whenShown<QPrintDialog>([&](QPrintDialog* dialog) {
        offered = dialog->printer()->printerName();
        dialog->accept();
    });
    EXPECT_NE(mirta().SetupDialog(&setup.record), 0);
    EXPECT_EQ(offered, "mirta_raw");  // the default queue is preselected
    EXPECT_STREQ(setup.device, "mirta_raw");
    EXPECT_STREQ(setup.driver, "Local Raw Printer");
    EXPECT_EQ(std::string(setup.port), ("capture:" + std::string(std::getenv("MIRTA_PRINTED_FILE")))
                                           .substr(0, 128));
    EXPECT_EQ(int{setup.record.copies}, 2);
    EXPECT_EQ(int{setup.record.fromPage}, 1);
    EXPECT_EQ(int{setup.record.toPage}, 5);
    EXPECT_EQ(static_cast<void*>(setup.record.deviceContext), nullptr);
}

TEST_F(QtHost, CancelledPrintDialogChangesNothing) {
    SetupBuffers setup;
    whenShown<QPrintDialog>([](QPrintDialog* dialog) { dialog->reject(); });
    EXPECT_EQ(mirta().SetupDialog(&setup.record), 0);
    EXPECT_STREQ(setup.device, "untouched");
    EXPECT_EQ(int{setup.record.copies}, 2);
}

TEST_F(QtHost, ReturnDefaultSkipsTheDialog) {
    SetupBuffers setup;
    setup.record.flags = MIRTA_PD_RETURNDEFAULT;
    EXPECT_NE(mirta().SetupDialog(&setup.record), 0);
    EXPECT_STREQ(setup.device, "mirta_raw");
    EXPECT_STREQ(setup.driver, "Local Raw Printer");
}

// The output file is a FIFO larger transfers block on, so the reader can
// look at the cursor while the library is still copying.
TEST_F(QtHost, TransferRunsUnderTheWaitCursor) {
    TempDir dir;
    constexpr std::size_t kSize = 1 << 20;  // far more than a pipe holds
    writeBytes(dir.path("doc.prn"), std::string(kSize, 'p'));
    const std::string fifo = dir.path("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    bool waitingDuringTransfer = false;
    std::size_t received = 0;
    std::thread reader([&] {
        std::ifstream in(fifo, std::ios::binary);
        char buffer[65536];
        in.read(buffer, 1);
        const QCursor* cursor = QApplication::overrideCursor();
        waitingDuringTransfer = cursor && cursor->shape() == Qt::WaitCursor;
        for (received = std::size_t(in.gcount()); in.read(buffer, sizeof buffer) || in.gcount();)
            received += std::size_t(in.gcount());
    });
    EXPECT_EQ(mirta().PrintFile("mirta_raw", fifo.c_str(), dir.path("doc.prn").c_str()), 1);
    reader.join();
    EXPECT_TRUE(waitingDuringTransfer);
    EXPECT_EQ(received, kSize);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(QtHost, FailuresAreShownInMessageBoxesOnTheApplicationThread) {
    QString title, text;
    whenShown<QMessageBox>([&](QMessageBox* box) {
        title = box->windowTitle();
        text = box->text();
        box->accept();
    });
    testing::internal::CaptureStderr();
    EXPECT_EQ(mirta().PrintFile("mirta_raw", nullptr, "/no/such/file.prn"), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr().find("Div Uvedad"), std::string::npos);
    EXPECT_EQ(title, "Div Uvedad");
    EXPECT_EQ(text, "Non posso aprire il '/no/such/file.prn' per leggerlo.");

    // Another thread cannot show a box: its messages go to standard error.
    testing::internal::CaptureStderr();
    std::thread([] { EXPECT_EQ(mirta().PrintFile("mirta_raw", nullptr, "/no/such/x"), 0); }).join();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Div Uvedad: Non posso aprire il '/no/such/x' per leggerlo.\n");
}

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
