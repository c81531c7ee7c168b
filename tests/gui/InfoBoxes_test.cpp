#include "InfoBoxes.h"

#include "HelpText.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTextBlock>

#include <gtest/gtest.h>

namespace {

RunState state() {
    RunState s;
    s.programName = "Wcmdv32";
    s.version = "1.0.0.0";
    s.platform = "Linux Version 6.1 Build 1 #1";
    return s;
}

QString label(const QDialog& box, const char* name) { return box.findChild<QLabel*>(name)->text(); }

}  // namespace

TEST(InfoBoxes, HelpBoxShowsTheProgramAndEveryHelpLineWithItsTabStops) {
    HelpBox box(state());
    EXPECT_EQ(box.windowTitle(), "Utilizzo di WCMDVORN");
    EXPECT_EQ(label(box, "ProgName"), "Wcmdv32");
    EXPECT_EQ(label(box, "ProgVer"), "1.0.0.0");
    EXPECT_EQ(label(box, "Platform"), "Linux Version 6.1 Build 1 #1");

    QTextDocument* document = box.lines()->document();
    auto lines = helpLines();
    ASSERT_EQ(document->blockCount(), static_cast<int>(lines.size()));
    for (int i = 0; i < document->blockCount(); ++i)
        EXPECT_EQ(document->findBlockByNumber(i).text(), QString::fromLatin1(lines[i].c_str())) << i;
    auto tabs = document->defaultTextOption().tabs();
    ASSERT_EQ(tabs.size(), 3);
    EXPECT_LT(tabs[0].position, tabs[1].position);
    EXPECT_LT(tabs[1].position, tabs[2].position);
}

TEST(InfoBoxes, AboutBoxShowsTheProgram) {
    AboutBox box(state());
    EXPECT_EQ(box.windowTitle(), "About WCMDVORN");
    EXPECT_EQ(label(box, "ProgName"), "Wcmdv32");
    EXPECT_EQ(label(box, "ProgVer"), "1.0.0.0");
}
