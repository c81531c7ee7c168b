#include "VornLParamDialog.h"

#include "ParameterExchange.h"
#include "Vorn.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>

#include <algorithm>

namespace {

constexpr long kSpeeds[] = {4800, 9600, 19200, 38400};

QComboBox* list(QWidget* parent, std::initializer_list<const char*> entries) {
    auto* box = new QComboBox(parent);
    for (const char* entry : entries) box->addItem(QString::fromLatin1(entry));
    return box;
}

// A byte shown as the list's entry; a value the list does not have selects nothing.
void choose(QComboBox& box, std::uint8_t value) { box.setCurrentIndex(value < box.count() ? value : -1); }

std::uint8_t chosen(const QComboBox& box) { return static_cast<std::uint8_t>(std::max(box.currentIndex(), 0)); }

}  // namespace

VornLParamDialog::VornLParamDialog(VornMgr& manager, const ParameterLookup& config, int index, OperatorBoxes& boxes,
                                   QWidget* parent)
    : TerminalDialog(manager, index, boxes, parent) {
    setObjectName("PARAMLDlg");
    setWindowTitle("Parametri VORN-L");
    node_ = new QLineEdit(this);
    speed_ = list(this, {"4800", "9600", "19200", "38400"});
    punchMode_ = list(this, {"Con verso fisso", "Con verso automatico"});
    confirm_ = new QCheckBox(this);
    causes_ = new QCheckBox(this);
    relayMode_ = list(this, {"Apriporta", "Apriporta Ingresso", "Apriporta Uscita", "Attivazione Sirena"});
    relayTime_ = new QLineEdit(this);
    display_ = list(this, {"Solo su eventi", "Sempre", "Lu-Ve 06-19", "Lu-Do 06-19"});
    fields().addRow("Nr. Nodo:", node_);
    fields().addRow("Baudrate:", speed_);
    fields().addRow("Modalita' Timbrature:", punchMode_);
    fields().addRow("Conferma Timbrature:", confirm_);
    fields().addRow("Giustificativi:", causes_);
    fields().addRow("Modalit'a Rele:", relayMode_);
    fields().addRow("Rele' Timeout:", relayTime_);
    fields().addRow("Display Acceso:", display_);
    addButtons();

    if (Vorn* terminal = chosenTerminal()) {
        ShortBlock block = {};
        configureShortBlock(block, *terminal, config);
        showBlock(block);
    }
}

void VornLParamDialog::showBlock(const ShortBlock& block) {
    node_->setText(QString::number(block[ShortParameterBlock::kNode]));
    choose(*speed_, block[ShortParameterBlock::kSpeed]);
    choose(*punchMode_, block[ShortParameterBlock::kPunchMode]);
    confirm_->setChecked(block[ShortParameterBlock::kConfirm] != 0);
    causes_->setChecked(block[ShortParameterBlock::kCauses] != 0);
    choose(*relayMode_, block[ShortParameterBlock::kRelayMode]);
    relayTime_->setText(QString::number(block[ShortParameterBlock::kRelayTime]));
    choose(*display_, block[ShortParameterBlock::kDisplay]);
}

void VornLParamDialog::clearFields() {
    for (QLineEdit* edit : {node_, relayTime_}) edit->clear();
    for (QComboBox* box : {speed_, punchMode_, relayMode_, display_}) box->setCurrentIndex(-1);
    for (QCheckBox* check : {confirm_, causes_}) check->setChecked(false);
}

void VornLParamDialog::getFrom(Vorn& terminal) {
    clearFields();
    ShortBlock block = {};
    if (readShortBlock(terminal, block) == RunError::None) showBlock(block);
}

void VornLParamDialog::sendTo(Vorn& terminal) {
    std::optional<long> node = checkedField(*node_, 0xFF, " Numero Nodo = %ld");
    if (!node) return;
    std::optional<long> relayTime = checkedField(*relayTime_, 0xFF, " Rele' timeout = %ld");
    if (!relayTime) return;
    ShortBlock block = {};
    block[ShortParameterBlock::kNode] = static_cast<std::uint8_t>(*node);
    block[ShortParameterBlock::kSpeed] = chosen(*speed_);
    block[ShortParameterBlock::kPunchMode] = chosen(*punchMode_);
    block[ShortParameterBlock::kConfirm] = confirm_->isChecked() ? 1 : 0;
    block[ShortParameterBlock::kCauses] = causes_->isChecked() ? 1 : 0;
    block[ShortParameterBlock::kRelayMode] = chosen(*relayMode_);
    block[ShortParameterBlock::kRelayTime] = static_cast<std::uint8_t>(*relayTime);
    block[ShortParameterBlock::kDisplay] = chosen(*display_);
    sealShortBlock(block);
    if (sendShortBlock(terminal, block) != RunError::None) return;
    terminal.setNodeNumber(static_cast<int>(*node));
    terminal.setLineSpeed(kSpeeds[block[ShortParameterBlock::kSpeed]]);
}
