#pragma once
// What the user sees of a call: the progress window with its Stop button,
// message boxes and the one Yes/No question. They appear only when the host
// runs a Qt application on the calling thread; otherwise there is no window,
// messages go to standard error and every question counts as answered OK.
#include "Settings.h"

#include <string>

namespace qzcom {

struct ProgressFields {
    int position = 0;
    std::string status;
    std::string workDir;
    std::string subStatus;
    bool tagged = false;
    bool settingsFound = false;
};

class Ui {
public:
    explicit Ui(const Settings& settings) : settings_(settings) {}

    // The window for one call, unless DISABLE_WINDOW is set.
    void openWindow();
    void closeWindow();
    // Shows the fields and lets the host's queue move once; true when Stop
    // was pressed since the last look (the press is then forgotten).
    bool update(const ProgressFields& fields);
    bool stopPressed();

    // The two texts joined by one blank.
    void message(const std::string& first, const std::string& second);
    // Always a line on standard error; a box too when boxes are on and Qt runs.
    void report(const std::string& first, const std::string& second);
    // Yes/No; only an explicit No declines.
    bool askYesNo(const std::string& first, const std::string& second);

private:
    bool window_ = false;
    const Settings& settings_;
};

}  // namespace qzcom
