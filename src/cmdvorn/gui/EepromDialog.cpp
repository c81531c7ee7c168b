#include "EepromDialog.h"

#include "ParameterExchange.h"
#include "Vorn.h"

#include <QFormLayout>
#include <QLineEdit>

#include <cstdio>

EepromDialog::EepromDialog(VornMgr& manager, int index, OperatorBoxes& boxes, QWidget* parent)
    : TerminalDialog(manager, index, boxes, parent) {
    setObjectName("EEPROMDlg");
    setWindowTitle("Parametri EEPROM");
    name_ = new QLineEdit(this);
    node_ = new QLineEdit(this);
    plantCode_ = new QLineEdit(this);
    serialNumber_ = new QLineEdit(this);
    name_->setMaxLength(EepromRecord::kNameSize);
    fields().addRow("Nome:", name_);
    fields().addRow("Nr. Nodo:", node_);
    fields().addRow("Cd. Impianto:", plantCode_);
    fields().addRow("Numero di Serie:", serialNumber_);
    addButtons();
}

void EepromDialog::getFrom(Vorn& terminal) {
    for (QLineEdit* edit : {name_, node_, plantCode_, serialNumber_}) edit->clear();
    EepromRecord record;
    if (readEeprom(terminal, record) != RunError::None) return;
    name_->setText(QString::fromLatin1(record.name));
    node_->setText(QString::number(record.node));
    plantCode_->setText(QString::number(record.plantCode));
    serialNumber_->setText(QString::number(record.serialNumber));
}

void EepromDialog::sendTo(Vorn& terminal) {
    std::optional<long> node = checkedField(*node_, 0xFF, " Numero Nodo = %ld");
    if (!node) return;
    std::optional<long> plantCode = checkedField(*plantCode_, 0xFFFF, " Cod. Impianto = %ld ");
    if (!plantCode) return;
    unsigned long serial = 0;
    std::sscanf(serialNumber_->text().toLatin1().constData(), "%lu", &serial);

    EepromRecord record;
    record.setName(name_->text().left(EepromRecord::kNameSize).toLatin1().constData());
    record.node = static_cast<std::uint8_t>(*node);
    record.plantCode = static_cast<std::uint16_t>(*plantCode);
    record.serialNumber = static_cast<std::uint32_t>(serial);
    sendEeprom(terminal, record);
}
