#include "ProgressBar.h"

#include <QPainter>

#include <algorithm>

namespace {

const QColor kLightGrey(192, 192, 192);
const QColor kDarkGrey(128, 128, 128);

}  // namespace

ProgressBar::ProgressBar(int style, QWidget* parent) : QWidget(parent), style_(style) {
    setObjectName("ProgressBar");
}

void ProgressBar::setRange(int range) {
    range_ = range;
    position_ = 0;
    update();
}

void ProgressBar::setPosition(int position) {
    position_ = position;
    update();
}

void ProgressBar::setColour(const QColor& colour) {
    colour_ = colour;
    update();
}

QColor ProgressBar::fromColourRef(unsigned colour) {
    return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

int ProgressBar::percent() const {
    int range = range_ > 0 ? range_ : 1;
    int position = std::clamp(position_, 0, range);
    return static_cast<int>(static_cast<long long>(position) * 100 / range);
}

void ProgressBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect client = rect();

    painter.setPen(Qt::black);
    painter.drawRect(client.adjusted(0, 0, -1, -1));
    const bool sunken = style_ & Sunken;
    if (sunken) {
        QRect edge = client.adjusted(1, 1, -1, -1);
        painter.setPen(Qt::white);
        painter.drawLine(edge.topLeft(), edge.topRight());
        painter.drawLine(edge.topLeft(), edge.bottomLeft());
        painter.setPen(kDarkGrey);
        painter.drawLine(edge.bottomLeft(), edge.bottomRight());
        painter.drawLine(edge.topRight(), edge.bottomRight());
    }
    const int inset = sunken ? 2 : 1;
    const QRect inner = client.adjusted(inset, inset, -inset, -inset);
    if (inner.isEmpty()) return;

    int range = range_ > 0 ? range_ : 1;
    long long position = std::clamp(position_, 0, range);
    QRect done = inner, rest = inner;
    if (style_ & Vertical) {
        // Filled from the bottom up.
        int height = static_cast<int>(inner.height() * position / range);
        done.setTop(inner.bottom() - height + 1);
        rest.setBottom(done.top() - 1);
    } else {
        int width = static_cast<int>(inner.width() * position / range);
        done.setRight(inner.left() + width - 1);
        rest.setLeft(done.right() + 1);
    }

    const QString text = QString::asprintf("%3d%%", percent());
    auto paintPart = [&](const QRect& part, const QColor& fill, const QColor& ink) {
        if (part.isEmpty()) return;
        painter.save();
        painter.setClipRect(part);
        painter.fillRect(part, fill);
        if (style_ & ShowPercent) {
            painter.setPen(ink);
            painter.drawText(inner, Qt::AlignCenter, text);
        }
        painter.restore();
    };
    paintPart(done, colour_, kLightGrey);
    paintPart(rest, kLightGrey, colour_);
}
