#include "TerminalDialog.h"

#include "TerminalChooser.h"
#include "VornMgr.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdio>

TerminalDialog::TerminalDialog(VornMgr& manager, int index, OperatorBoxes& boxes, QWidget* parent)
    : QDialog(parent), manager_(manager), boxes_(boxes) {
    auto* layout = new QVBoxLayout(this);
    fields_ = new QFormLayout;
    chooser_ = new QComboBox(this);
    chooser_->setObjectName("terminalChooser");
    fillChooser(*chooser_, &manager_, index);
    fields_->addRow("Terminal:", chooser_);
    layout->addLayout(fields_);
}

void TerminalDialog::addButtons() {
    auto* row = new QHBoxLayout;
    auto* getButton = new QPushButton("Get", this);
    auto* sendButton = new QPushButton("Send", this);
    auto* exitButton = new QPushButton("Esce", this);
    for (QPushButton* button : {getButton, sendButton, exitButton}) {
        button->setAutoDefault(false);
        row->addWidget(button);
    }
    connect(getButton, &QPushButton::clicked, this, &TerminalDialog::get);
    connect(sendButton, &QPushButton::clicked, this, &TerminalDialog::send);
    connect(exitButton, &QPushButton::clicked, this, &QDialog::accept);
    static_cast<QVBoxLayout*>(layout())->addLayout(row);
}

Vorn* TerminalDialog::chosenTerminal() {
    int index = chooser_->currentIndex();
    return index >= 0 && index < manager_.terminalCount() ? manager_.terminalAt(index) : nullptr;
}

template <typename Action>
void TerminalDialog::onChosen(Action action) {
    Vorn* terminal = chosenTerminal();
    if (!terminal) return;
    if (onTerminalUsed) onTerminalUsed(chooser_->currentIndex());
    action(*terminal);
}

void TerminalDialog::get() {
    onChosen([this](Vorn& terminal) { getFrom(terminal); });
}

void TerminalDialog::send() {
    onChosen([this](Vorn& terminal) { sendTo(terminal); });
}

std::optional<long> TerminalDialog::checkedField(const QLineEdit& edit, long max, const char* format) {
    long value = fieldNumber(edit);
    if (value >= 1 && value <= max) return value;
    boxes_.message(this, OperatorBoxes::Icon::Warning, "Errore Parametro", QString::asprintf(format, value));
    return std::nullopt;
}

long fieldNumber(const QLineEdit& edit) {
    long value = 0;
    return std::sscanf(edit.text().toLatin1().constData(), "%ld", &value) == 1 ? value : 0;
}
