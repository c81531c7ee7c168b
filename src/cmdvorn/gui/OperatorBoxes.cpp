#include "OperatorBoxes.h"

#include "InfoBoxes.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>

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

void ModalBoxes::showModal(QDialog& dialog) { dialog.exec(); }
