#include "OperatorBoxes.h"

#include "ConsoleQuestion.h"
#include "HelpText.h"
#include "InfoBoxes.h"

#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QUrl>

#include <cstdio>

void ModalBoxes::message(QWidget* parent, Icon icon, const QString& caption, const QString& text) {
    QMessageBox::Icon shown = icon == Icon::Error     ? QMessageBox::Critical
                              : icon == Icon::Warning ? QMessageBox::Warning
                                                      : QMessageBox::Information;
    QMessageBox box(shown, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

bool ModalBoxes::question(QWidget* parent, const QString& caption, const QString& text) {
    return QMessageBox::question(parent, caption, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
           QMessageBox::Yes;
}

void ModalBoxes::help(QWidget* parent, const RunState& state) { HelpBox(state, parent).exec(); }

void ModalBoxes::about(QWidget* parent, const RunState& state) { AboutBox(state, parent).exec(); }

void ModalBoxes::openFile(const QString& path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); }

QString ModalBoxes::openFileName(QWidget* parent, const QString& title, const QString& filter, const QString& proposed) {
    QFileDialog dialog(parent, title, proposed, filter);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

void ModalBoxes::showModal(QDialog& dialog) { dialog.exec(); }

bool HeadlessBoxes::platformIsHeadless() {
    const QString platform = QGuiApplication::platformName();
    return platform == "offscreen" || platform == "minimal";
}

void HeadlessBoxes::message(QWidget*, Icon, const QString& caption, const QString& text) {
    std::fprintf(stderr, "%s: %s\n", caption.toLatin1().constData(), text.toLatin1().constData());
}

bool HeadlessBoxes::question(QWidget*, const QString& caption, const QString& text) {
    return askOnTerminal(caption.toLatin1().constData(), text.toLatin1().constData());
}

void HeadlessBoxes::help(QWidget*, const RunState& state) { printHelp(stdout, state); }

void HeadlessBoxes::about(QWidget*, const RunState& state) {
    std::printf("%s\n%s\n%s\n", state.programName.c_str(), state.version.c_str(), state.platform.c_str());
    std::fflush(stdout);
}

// Neither an editor nor a dialog can be seen: the proposed file is taken.
void HeadlessBoxes::openFile(const QString&) {}
QString HeadlessBoxes::openFileName(QWidget*, const QString&, const QString&, const QString& proposed) { return proposed; }
void HeadlessBoxes::showModal(QDialog&) {}
