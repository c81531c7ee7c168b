#include "ProgressBar.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

const QColor kBlue(0, 0, 255), kGrey(192, 192, 192), kDarkGrey(128, 128, 128);

QImage paint(ProgressBar& bar, int width, int height) {
    bar.resize(width, height);
    QImage image(bar.size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    bar.render(&image);
    return image;
}

QColor at(const QImage& image, int x, int y) { return image.pixelColor(x, y); }

// Pixels of a column band that pass the test (text ink is antialiased).
template <typename Test>
int countIn(const QImage& image, int fromX, int toX, Test test) {
    int n = 0;
    for (int x = fromX; x <= toX; ++x)
        for (int y = 3; y < image.height() - 3; ++y) n += test(image.pixelColor(x, y));
    return n;
}
bool bluish(const QColor& c) { return c.blue() > c.red() + 60; }
bool light(const QColor& c) { return c.red() > 100; }

}  // namespace

// 200 x 20 with the sunken border: black frame at 0 and 199, white edge at
// 1, dark grey edge at 198, the bar itself from 2 to 197 (196 pixels).
TEST(ProgressBar, ZeroFiftyAndOverRange) {
    ProgressBar bar(ProgressBar::ShowPercent | ProgressBar::Sunken);
    bar.setRange(100);

    QImage empty = paint(bar, 200, 20);
    EXPECT_EQ(at(empty, 0, 0), QColor(Qt::black));
    EXPECT_EQ(at(empty, 199, 19), QColor(Qt::black));
    EXPECT_EQ(at(empty, 1, 5), QColor(Qt::white));
    EXPECT_EQ(at(empty, 5, 1), QColor(Qt::white));
    EXPECT_EQ(at(empty, 198, 5), kDarkGrey);
    EXPECT_EQ(at(empty, 5, 18), kDarkGrey);
    EXPECT_EQ(at(empty, 2, 3), kGrey);
    EXPECT_EQ(at(empty, 197, 16), kGrey);
    EXPECT_EQ(bar.percent(), 0);

    bar.setPosition(50);
    QImage half = paint(bar, 200, 20);
    EXPECT_EQ(at(half, 2, 3), kBlue);
    EXPECT_EQ(at(half, 99, 3), kBlue);
    EXPECT_EQ(at(half, 100, 3), kGrey);
    EXPECT_EQ(at(half, 197, 16), kGrey);
    EXPECT_EQ(bar.percent(), 50);
    // " 50%" is centred on the boundary: grey ink on the blue side, blue ink
    // on the grey side.
    EXPECT_GT(countIn(half, 70, 99, light), 0);
    EXPECT_GT(countIn(half, 100, 130, bluish), 0);
    EXPECT_GT(countIn(empty, 80, 120, bluish), 0);  // "  0%" in blue on grey
    ProgressBar plain(ProgressBar::Sunken);  // no percentage asked for
    plain.setRange(100);
    EXPECT_EQ(countIn(paint(plain, 200, 20), 80, 120, bluish), 0);

    bar.setPosition(250);
    QImage over = paint(bar, 200, 20);
    EXPECT_EQ(at(over, 2, 3), kBlue);
    EXPECT_EQ(at(over, 197, 16), kBlue);
    EXPECT_EQ(bar.percent(), 100);
}

TEST(ProgressBar, RangeZeroCountsAsOneAndANewRangeStartsAtZero) {
    ProgressBar bar(ProgressBar::ShowPercent);
    bar.setRange(0);
    EXPECT_EQ(at(paint(bar, 100, 10), 5, 4), kGrey);
    bar.setPosition(1);
    QImage full = paint(bar, 100, 10);
    EXPECT_EQ(at(full, 1, 1), kBlue);
    EXPECT_EQ(at(full, 98, 8), kBlue);
    EXPECT_EQ(at(full, 0, 5), QColor(Qt::black));  // no 3-D edge: the bar starts at 1
    bar.setRange(10);
    EXPECT_EQ(bar.position(), 0);
}

TEST(ProgressBar, VerticalFillsFromTheBottomInTheGivenColour) {
    ProgressBar bar(ProgressBar::Vertical);
    bar.setColour(ProgressBar::fromColourRef(0x0000FF));  // red, as 0x00BBGGRR
    bar.setRange(4);
    bar.setPosition(2);
    QImage image = paint(bar, 10, 102);  // bar rows 1..100
    EXPECT_EQ(at(image, 5, 2), kGrey);
    EXPECT_EQ(at(image, 5, 50), kGrey);
    EXPECT_EQ(at(image, 5, 51), QColor(255, 0, 0));
    EXPECT_EQ(at(image, 5, 100), QColor(255, 0, 0));
}
