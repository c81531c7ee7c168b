#pragma once
// Dialog units: a quarter of the average character width across, an eighth
// of the character height down, so layouts follow the font.
#include <QFontMetrics>
#include <QWidget>

struct DialogUnits {
    explicit DialogUnits(const QWidget& widget)
        : charWidth(widget.fontMetrics().averageCharWidth()), charHeight(widget.fontMetrics().height()) {}

    int x(int units) const { return units * charWidth / 4; }
    int y(int units) const { return units * charHeight / 8; }

    int charWidth;
    int charHeight;
};
