#pragma once
// The progress bar of the interrupt dialog: the done part in the bar colour,
// the rest in light grey, and the percentage drawn in the opposite colour on
// each side so it stays readable where it crosses the boundary.
#include <QColor>
#include <QWidget>

class ProgressBar : public QWidget {
    Q_OBJECT
public:
    enum Style : int { Vertical = 1, ShowPercent = 4, Sunken = 8 };

    explicit ProgressBar(int style, QWidget* parent = nullptr);

    // A new range starts again from position 0.
    void setRange(int range);
    void setPosition(int position);
    void setColour(const QColor& colour);
    // A colour as the operations give it: 0x00BBGGRR.
    static QColor fromColourRef(unsigned colour);

    int style() const { return style_; }
    int range() const { return range_; }
    int position() const { return position_; }
    const QColor& colour() const { return colour_; }
    // position × 100 / range, with range 0 counted as 1 and the position capped.
    int percent() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int style_;
    int range_ = 0;
    int position_ = 0;
    QColor colour_{0, 0, 255};
};
