#pragma once
// "Parametri VORN-L": the VORN-L's operating parameters (node number, line
// speed, punch mode, confirmation, causes, relay, display). It opens with
// what the parameter file gives the terminal; "Get" reads the terminal's
// own; "Send" writes them, and the terminal then answers on the new node
// number and speed for the rest of the run.
#include "ParameterBlocks.h"
#include "TerminalDialog.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

class VornLParamDialog : public TerminalDialog {
    Q_OBJECT
public:
    // `config` gives the values the dialog opens with.
    VornLParamDialog(VornMgr& manager, const ParameterLookup& config, int index, OperatorBoxes& boxes,
                     QWidget* parent = nullptr);

    QLineEdit* node() const { return node_; }
    QComboBox* speed() const { return speed_; }
    QComboBox* punchMode() const { return punchMode_; }
    QCheckBox* confirm() const { return confirm_; }
    QCheckBox* causes() const { return causes_; }
    QComboBox* relayMode() const { return relayMode_; }
    QLineEdit* relayTime() const { return relayTime_; }
    QComboBox* display() const { return display_; }

protected:
    void getFrom(Vorn& terminal) override;
    void sendTo(Vorn& terminal) override;

private:
    void showBlock(const ShortBlock& block);
    void clearFields();

    QLineEdit* node_;
    QComboBox* speed_;
    QComboBox* punchMode_;
    QCheckBox* confirm_;
    QCheckBox* causes_;
    QComboBox* relayMode_;
    QLineEdit* relayTime_;
    QComboBox* display_;
};
