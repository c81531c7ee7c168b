// libwqzcom-qt.so: the progress window and message boxes of libwqzcom, in a
// library of their own so that only hosts running Qt load Qt.
#include "../QtPart.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

#include <memory>

namespace {

constexpr const char* kVersion = "Ver 4.12";

bool onApplicationThread() {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    return app && QThread::currentThread() == app->thread();
}

class ProgressWindow : public QDialog {
public:
    ProgressWindow() {
        setWindowTitle("WQZCom ");
        setModal(false);
        auto* layout = new QVBoxLayout(this);
        bar_ = new QProgressBar(this);
        bar_->setRange(0, 100);
        status_ = new QLabel(this);
        status_->setAlignment(Qt::AlignCenter);
        workDir_ = new QLabel(this);
        auto* version = new QLabel(kVersion, this);
        version->setAlignment(Qt::AlignCenter);
        subStatus_ = new QLabel(this);
        tagged_ = new QCheckBox("NXProt", this);
        tagged_->setEnabled(false);
        settingsFound_ = new QCheckBox("InitFile", this);
        settingsFound_->setEnabled(false);
        auto* stop = new QPushButton("Stop", this);
        connect(stop, &QPushButton::clicked, this, [this] { stopPressed_ = true; });
        for (QWidget* w : {static_cast<QWidget*>(bar_), static_cast<QWidget*>(status_),
                           static_cast<QWidget*>(workDir_), static_cast<QWidget*>(version),
                           static_cast<QWidget*>(subStatus_), static_cast<QWidget*>(tagged_),
                           static_cast<QWidget*>(settingsFound_), static_cast<QWidget*>(stop)})
            layout->addWidget(w);
        setObjectName("wqzcomProgress");
    }

    void show(int position, const char* status, const char* workDir, const char* subStatus,
              bool tagged, bool settingsFound) {
        bar_->setValue(position < 0 ? 0 : position > 100 ? 100 : position);
        status_->setText(QString::fromLocal8Bit(status));
        workDir_->setText(QString::fromLocal8Bit(workDir));
        subStatus_->setText(QString::fromLocal8Bit(subStatus));
        tagged_->setChecked(tagged);
        settingsFound_->setChecked(settingsFound);
    }

    bool takeStop() {
        bool pressed = stopPressed_;
        stopPressed_ = false;
        return pressed;
    }

private:
    QProgressBar* bar_;
    QLabel *status_, *workDir_, *subStatus_;
    QCheckBox *tagged_, *settingsFound_;
    bool stopPressed_ = false;
};

std::unique_ptr<ProgressWindow> window;

void dispatchOnePending() { QCoreApplication::processEvents(QEventLoop::AllEvents, 1); }

}  // namespace

extern "C" __attribute__((visibility("default"))) int wqzQtShowMessage(const char* title,
                                                                      const char* text,
                                                                      int askYesNo) {
    if (!onApplicationThread()) return -1;
    if (!askYesNo) {
        QMessageBox::warning(nullptr, title, QString::fromLocal8Bit(text));
        return 0;
    }
    return QMessageBox::question(nullptr, title, QString::fromLocal8Bit(text),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

extern "C" __attribute__((visibility("default"))) int wqzQtOpenWindow() {
    if (!onApplicationThread()) return 0;
    window = std::make_unique<ProgressWindow>();
    window->QDialog::show();
    return 1;
}

extern "C" __attribute__((visibility("default"))) void wqzQtCloseWindow() { window.reset(); }

extern "C" __attribute__((visibility("default"))) int wqzQtUpdateWindow(
    int position, const char* status, const char* workDir, const char* subStatus, int tagged,
    int settingsFound) {
    if (!window) return 0;
    window->show(position, status, workDir, subStatus, tagged != 0, settingsFound != 0);
    dispatchOnePending();
    return window && window->takeStop();
}

extern "C" __attribute__((visibility("default"))) int wqzQtPollStop() {
    if (!window) return 0;
    dispatchOnePending();
    return window && window->takeStop();
}
