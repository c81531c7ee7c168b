#pragma once
// The interrupt dialog of the window ("User_Break"): shown over the main
// window while a long exchange runs, with a text area, a progress bar and
// "Esce". While it is up the main window's controls are disabled and only
// this dialog's pump lets window events through. With the main window
// hidden or minimised there is no dialog at all (silent mode): pump does
// nothing and the command cannot be interrupted.
#include "BreakDialog.h"
#include "BreakText.h"
#include "ProgressBar.h"

#include <QDialog>
#include <QPointer>

class QLabel;

class UserBreakDialog : public BREAKDLG_C {
public:
    explicit UserBreakDialog(QWidget* owner) : owner_(owner) {}
    ~UserBreakDialog() override;

    void open(const char* text = nullptr, int x = -1, int y = -1) override;
    bool pump() override;
    void setText(const char* text) override;
    void addLine(const char* text) override;
    void showBar(int range, unsigned colour = 0) override;
    void setBar(int position, const char* text = nullptr) override;
    void close() override;

    // What "Esce" does, also used when the main window is closed mid-command.
    void cancel();

    // The dialog while it is up (nullptr in silent mode or after "Esce").
    QDialog* window() const { return dialog_; }
    ProgressBar* bar() const { return bar_; }
    const std::string& text() const { return text_.str(); }

private:
    void destroyDialog();
    void showText();
    // The owner's own controls; the dialog, its child window, stays usable.
    void setOwnerEnabled(bool enabled);

    QWidget* owner_;
    QPointer<QDialog> dialog_;
    QPointer<QLabel> label_;
    QPointer<ProgressBar> bar_;
    QPointer<QWidget> barPlace_;
    BreakText text_;
    bool cancelled_ = false;
};
