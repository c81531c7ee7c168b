#pragma once
// The terminal chooser of the main window and the parameter dialogs: one
// entry per terminal in the manager's order, " %3.3d  %s" with the terminal
// number and its description (or its name when the description says too
// little).
#include <QString>

class QComboBox;
class Vorn;
class VornMgr;

QString chooserEntry(const Vorn& terminal);

// Refills the chooser (empty without a manager) and selects the entry at
// `index` when there is one.
void fillChooser(QComboBox& chooser, VornMgr* manager, int index = 0);
