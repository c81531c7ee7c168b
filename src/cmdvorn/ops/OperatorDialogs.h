#pragma once
// What an operation may ask of the operator: a Yes/No question, a file to
// open and a message to read. The window shows its boxes; the console asks
// on its terminal. Whoever cannot ask gives the safe answers: No, no file.
#include "zString.h"

// The file-open dialog's settings.
struct FileChoice {
    const char* title;          // the dialog's caption
    const char* filterName;     // the one filter offered ("Firmware")
    const char* pattern;        // its pattern ("*.bin")
    const char* proposedName;   // the name proposed, in the data directory
    const char* consoleVariable;  // a console run takes the path from this environment variable first
};

class OperatorDialogs {
public:
    virtual ~OperatorDialogs() = default;
    // True for Yes.
    virtual bool askYesNo(const char* caption, const char* text) = 0;
    // An existing file's path; false when the operator gave up.
    virtual bool chooseFile(const FileChoice& choice, zString& path) = 0;
    virtual void showMessage(const char* caption, const char* text) = 0;
};
