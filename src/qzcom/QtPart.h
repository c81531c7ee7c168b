#pragma once
// The optional Qt part, libwqzcom-qt.so beside this library, loaded only
// when the host already runs Qt, so other hosts never load it.
extern "C" {
// 1 for a Yes/No question answered Yes, 0 No or a plain box shown, -1 no
// box possible (not on the Qt application's thread).
using WqzQtShowMessage = int(const char* title, const char* text, int askYesNo);
// 1 when the progress window could be created.
using WqzQtOpenWindow = int();
using WqzQtCloseWindow = void();
// Shows the fields, dispatches one pending event; 1 when Stop was pressed since the last look.
using WqzQtUpdateWindow = int(int position, const char* status, const char* workDir,
                              const char* subStatus, int tagged, int settingsFound);
// Dispatches one pending event; 1 when Stop was pressed since the last look.
using WqzQtPollStop = int();
}

namespace qzcom {

struct QtPart {
    WqzQtShowMessage* showMessage;
    WqzQtOpenWindow* openWindow;
    WqzQtCloseWindow* closeWindow;
    WqzQtUpdateWindow* updateWindow;
    WqzQtPollStop* pollStop;
};

// The part when the host has Qt Widgets loaded and the part loads; else null.
const QtPart* hostQtPart();

}  // namespace qzcom
