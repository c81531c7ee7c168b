#pragma once
// The interrupt dialog shown while a long exchange runs: text lines, an
// optional progress bar, and the operator's "Esce". Operations and links
// only see this interface; each front end supplies its own (a progress line
// on the console, a dialog in the window).
class BREAKDLG_C {
public:
    virtual ~BREAKDLG_C() = default;
    // Shows the dialog with an optional text; x/y in dialog units, -1 = default place.
    virtual void open(const char* text = nullptr, int x = -1, int y = -1) = 0;
    // Lets the operator act; true once the operator asked to stop.
    virtual bool pump() = 0;
    virtual void setText(const char* text) = 0;
    // Keeps at most three lines: the oldest goes when a fourth arrives.
    virtual void addLine(const char* text) = 0;
    virtual void showBar(int range, unsigned colour = 0) = 0;
    virtual void setBar(int position, const char* text = nullptr) = 0;
    virtual void close() = 0;
};
