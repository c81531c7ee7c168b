#pragma once
// Where plant code, company code and employee number lie in the badge code
// a newer-model terminal prints in its transaction lines (the terminal
// definition's BADGE_ keys).
#include "zString.h"

struct BadgeField {
    int position = 0;  // from 0
    int length = 0;    // 0: the fixed text is used instead
    zString fixedText;
};

struct BadgeLayout {
    BadgeField plant{0, 0, ""};
    BadgeField company{4, 2, "00"};
    BadgeField employee{9, 6, ""};
};
