#pragma once
// What the two parameter dialogs share: a terminal chooser set to the main
// window's selection, the "Get", "Send" and "Esce" buttons, and the
// "Errore Parametro" warning for a field that cannot be sent. Get and Send
// work on the terminal chosen here and make it the main window's choice.
#include "OperatorBoxes.h"

#include <QDialog>

#include <functional>
#include <optional>

class QComboBox;
class QFormLayout;
class QLineEdit;
class Vorn;
class VornMgr;

class TerminalDialog : public QDialog {
    Q_OBJECT
public:
    // Told the chooser's index whenever Get or Send is used.
    std::function<void(int index)> onTerminalUsed;

    QComboBox* chooser() const { return chooser_; }
    // Get and Send, as the buttons do.
    void get();
    void send();

protected:
    TerminalDialog(VornMgr& manager, int index, OperatorBoxes& boxes, QWidget* parent);

    // Rows of the subclass's fields, between the chooser and the buttons.
    QFormLayout& fields() { return *fields_; }
    // Called once the fields are in place.
    void addButtons();

    virtual void getFrom(Vorn& terminal) = 0;
    virtual void sendTo(Vorn& terminal) = 0;

    // The field's number when it lies in 1..max; otherwise the
    // "Errore Parametro" warning with `format` filled with it, and nothing.
    std::optional<long> checkedField(const QLineEdit& edit, long max, const char* format);
    Vorn* chosenTerminal();

private:
    template <typename Action>
    void onChosen(Action action);

    VornMgr& manager_;
    OperatorBoxes& boxes_;
    QComboBox* chooser_;
    QFormLayout* fields_;
};

// The field's number as "%d" reads it: leading digits, 0 when there are none.
long fieldNumber(const QLineEdit& edit);
