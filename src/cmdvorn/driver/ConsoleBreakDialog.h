#pragma once
// The interrupt dialog on a console: a progress line on standard error when
// it is a terminal, nothing otherwise; Ctrl-C is the operator's "Esce".
#include "BreakDialog.h"
#include "BreakText.h"

#include <string>

class ConsoleBreakDialog : public BREAKDLG_C {
public:
    // Routes SIGINT to the dialog; a third Ctrl-C before the running
    // command notices ends the program, so it can never be held captive.
    static void installInterruptHandler();

    explicit ConsoleBreakDialog(int fd = 2);

    void open(const char* text = nullptr, int x = -1, int y = -1) override;
    bool pump() override;
    void setText(const char* text) override;
    void addLine(const char* text) override;
    void showBar(int range, unsigned colour = 0) override;
    void setBar(int position, const char* text = nullptr) override;
    void close() override;

    // The text area as the window would show it (at most three lines).
    const std::string& text() const { return text_.str(); }

private:
    void redraw();

    int fd_;
    bool interactive_;
    bool open_ = false;
    bool cancelled_ = false;
    BreakText text_;
    int range_ = 0;
    int position_ = 0;
    bool hasBar_ = false;
};
