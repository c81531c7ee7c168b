#pragma once
// A Yes/No question on the controlling terminal. Unattended runs (no
// terminal) get the safe answer, No, unless CMDVORN_ASSUME_YES=1.
bool askOnTerminal(const char* caption, const char* text);
