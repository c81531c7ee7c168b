// The library inside a Qt application: the progress window shows the call's
// state, and its Stop button ends a wait with 92.
#include "QzHostTest.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <cstdlib>

namespace {

QWidget* progressWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "wqzcomProgress" && w->isVisible()) return w;
    return nullptr;
}

}  // namespace

using QtHostTest = QzHostTest;

TEST_F(QtHostTest, StopInTheProgressWindowEndsTheWait) {
    startSimulator({"--no-reply", "*"});
    writeSettings(hostDir, "ETHERNET_TIMEOUT=30\n");
    ASSERT_EQ(call("OPENCOM," + tcpConnection(1, true)).code, 0);

    QString title;
    bool tagged = false, settingsFound = false;
    QTimer::singleShot(300, [&] {
        QWidget* window = progressWindow();
        ASSERT_NE(window, nullptr);
        title = window->windowTitle();
        for (auto* box : window->findChildren<QCheckBox*>()) {
            if (box->text() == "NXProt") tagged = box->isChecked();
            if (box->text() == "InitFile") settingsFound = box->isChecked();
        }
        for (auto* button : window->findChildren<QPushButton*>())
            if (button->text() == "Stop") button->click();
    });
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(call("13,x").code, 92);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(title, "WQZCom ");
    EXPECT_TRUE(tagged);
    EXPECT_TRUE(settingsFound);
    EXPECT_EQ(progressWindow(), nullptr);  // gone with the call
}

TEST_F(QtHostTest, WithTheWindowDisabledThereIsNoWindowAndNoStop) {
    startSimulator({"--no-reply", "*"});
    writeSettings(hostDir, "ETHERNET_TIMEOUT=1\nDISABLE_WINDOW=1\n");
    ASSERT_EQ(call("OPENCOM," + tcpConnection()).code, 0);
    bool windowSeen = true;
    QTimer::singleShot(200, [&] { windowSeen = progressWindow() != nullptr; });
    EXPECT_EQ(call("13,x").code, 91);
    QApplication::processEvents();
    EXPECT_FALSE(windowSeen);
}

TEST_F(QtHostTest, NoToTheOverwriteQuestionKeepsTheFile) {
    startSimulator({"--config", "3"});
    writeSettings(hostDir, "DISABLE_WINDOW=1\n");
    ASSERT_EQ(call("OPENCOM," + tcpConnection()).code, 0);
    writeText(workDir / "qzcom.cfg", "kept\n");
    QString question;
    QTimer::singleShot(200, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        question = box->text();
        box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(call("RXCONFIG").code, 0);
    EXPECT_EQ(question, "qzcom.cfg Existing file! overwrite? ");
    EXPECT_EQ(readText(workDir / "qzcom.cfg"), "kept\n");
    EXPECT_EQ(requestsLogged(), 0);
}

TEST_F(QtHostTest, WithMessageBoxesDisabledTheFileIsOverwrittenWithoutAsking) {
    startSimulator({"--config", "3"});
    writeSettings(hostDir, "DISABLE_WINDOW=1\nDISABLE_MESSAGE_BOX=1\n");
    ASSERT_EQ(call("OPENCOM," + tcpConnection()).code, 0);
    writeText(workDir / "qzcom.cfg", "old\n");
    bool asked = false;
    QTimer::singleShot(200, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            asked = true;
            box->button(QMessageBox::No)->click();
        }
    });
    EXPECT_EQ(call("RXCONFIG").code, 0);
    QApplication::processEvents();
    EXPECT_FALSE(asked);
    EXPECT_EQ(countOf(readText(workDir / "qzcom.cfg"), "\n"), 3);
}

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
