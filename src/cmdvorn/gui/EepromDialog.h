#pragma once
// "Parametri EEPROM": the identity the older terminals keep in their EEPROM
// (name, node number, plant code, serial number), read with "Get" and
// written with "Send".
#include "TerminalDialog.h"

class QLineEdit;

class EepromDialog : public TerminalDialog {
    Q_OBJECT
public:
    EepromDialog(VornMgr& manager, int index, OperatorBoxes& boxes, QWidget* parent = nullptr);

    QLineEdit* name() const { return name_; }
    QLineEdit* node() const { return node_; }
    QLineEdit* plantCode() const { return plantCode_; }
    QLineEdit* serialNumber() const { return serialNumber_; }

protected:
    void getFrom(Vorn& terminal) override;
    void sendTo(Vorn& terminal) override;

private:
    QLineEdit* name_;
    QLineEdit* node_;
    QLineEdit* plantCode_;
    QLineEdit* serialNumber_;
};
