#include "TerminalChooser.h"

#include "VornMgr.h"

#include <QComboBox>

QString chooserEntry(const Vorn& terminal) {
    const zString& shown = terminal.description().length() > 3 ? terminal.description() : terminal.name();
    return QString::asprintf(" %3.3d  %s", terminal.terminalNumber(), shown.c_str());
}

void fillChooser(QComboBox& chooser, VornMgr* manager, int index) {
    chooser.clear();
    if (manager)
        for (int i = 0; i < manager->terminalCount(); ++i) chooser.addItem(chooserEntry(*manager->terminalAt(i)));
    if (index >= 0 && index < chooser.count()) chooser.setCurrentIndex(index);
}
