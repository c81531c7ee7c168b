#pragma once
// The text area of the interrupt dialog, the same in both front ends: a
// text set at once, or lines added one by one of which only the last three
// stay, all within 149 characters.
#include <string>

class BreakText {
public:
    static constexpr std::size_t kArea = 149;
    static constexpr int kTextShown = 145;

    // "\n %.*s\n": the text on a line of its own, at most 145 characters.
    void set(const char* text);
    // Drops the first line when there are already three, then appends
    // " text\n" cut to the room left.
    void addLine(const char* text);
    void clear() { text_.clear(); }

    const std::string& str() const { return text_; }
    // The last line that is not blank, for a one-line display.
    std::string lastLine() const;

private:
    std::string text_;
};
