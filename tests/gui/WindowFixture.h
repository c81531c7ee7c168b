#pragma once
// The main window driven in this process against the simulator. The window
// reads cmdvorn.prm from beside this test program (its own folder) and
// works in a scratch data directory; the person in front of it is a
// recorder that answers every box at once.
#include "MainWindow.h"
#include "Platform.h"
#include "SimulatorTest.h"

#include <QComboBox>
#include <QTest>

#include <filesystem>
#include <functional>
#include <fstream>
#include <string>
#include <vector>

struct RecordingBoxes : OperatorBoxes {
    struct Shown {
        Icon icon;
        QString caption, text;
    };
    void message(QWidget*, Icon icon, const QString& caption, const QString& text) override {
        messages.push_back({icon, caption, text});
    }
    bool question(QWidget*, const QString& caption, const QString& text) override {
        questions.push_back({Icon::Information, caption, text});
        return answer;
    }
    void help(QWidget*, const RunState&) override { ++helps; }
    void about(QWidget*, const RunState&) override { ++abouts; }
    void openFile(const QString& path) override { opened.push_back(path); }
    QString openFileName(QWidget*, const QString& title, const QString& filter, const QString& proposed) override {
        fileDialogs.push_back({Icon::Information, title, filter + " " + proposed});
        return chosenFile;
    }
    void showModal(QDialog& dialog) override {
        dialogs.push_back(dialog.objectName());
        if (onDialog) onDialog(dialog);
    }

    std::vector<Shown> messages, questions, fileDialogs;
    QString chosenFile;  // empty: the dialog is cancelled
    std::vector<QString> opened, dialogs;
    std::function<void(QDialog&)> onDialog;
    int helps = 0, abouts = 0;
    bool answer = false;
};

class WindowTest : public SimulatorTest {
protected:
    void SetUp() override {
        previousDir_ = std::filesystem::current_path();
        std::filesystem::create_directories(dataDir);
        std::filesystem::current_path(dataDir);
    }
    void TearDown() override {
        window.reset();
        std::filesystem::current_path(previousDir_);
        std::filesystem::remove(parameterFile());
        std::filesystem::remove_all(dataDir);
        SimulatorTest::TearDown();
    }

    static std::filesystem::path parameterFile() {
        return std::filesystem::path(executableDirectory().c_str()) / "cmdvorn.prm";
    }
    static void writeParameters(const std::string& text) { std::ofstream(parameterFile()) << text; }
    static std::string terminal(int node, int port, const std::string& model = "VORN3") {
        return "[Terminal " + std::to_string(node) + "]\nCOM_TYPE=RS485\nTERM_TYPE=" + model + "\nNODE_NR=" +
               std::to_string(node) + "\nCOM_TIME_OUT=101\nPORT=tcp//127.0.0.1:" + std::to_string(port) + "\n";
    }
    static std::string punchFiles() {
        return "[Timbrature]\nFILE_NAME=tmb.txt\n[Accessi]\nFILE_NAME=acc.txt\n[Mensa]\nFILE_NAME=mensa.txt\n"
               "[Commesse]\nFILE_NAME=comm.txt\n";
    }

    void open(const std::string& commandLine, bool visible = true) {
        window = std::make_unique<MainWindow>(boxes);
        if (visible) window->show();
        window->start(commandLine.c_str());
    }
    // The first menu message has filled the chooser (or failed).
    bool waitInitialised() {
        return QTest::qWaitFor([&] { return window->chooser()->count() > 0 || !boxes.messages.empty(); }, 20000);
    }
    bool waitClosed() { return QTest::qWaitFor([&] { return window->isClosed(); }, 60000); }

    std::string data(const std::string& name) const { return readFile(dataDir / name); }
    bool dataExists(const std::string& name) const { return std::filesystem::exists(dataDir / name); }

    std::filesystem::path dataDir = scratch("_window_data");
    RecordingBoxes boxes;
    std::unique_ptr<MainWindow> window;

private:
    std::filesystem::path previousDir_;
};
