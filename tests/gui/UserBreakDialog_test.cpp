#include "UserBreakDialog.h"

#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class UserBreakDialogTest : public ::testing::Test {
protected:
    UserBreakDialogTest() {
        owner.setCentralWidget(new QWidget(&owner));
        owner.show();
    }
    QPushButton* button(const char* text) {
        for (auto* b : dialog.window()->findChildren<QPushButton*>())
            if (b->text() == text) return b;
        return nullptr;
    }

    QMainWindow owner;
    UserBreakDialog dialog{&owner};
};

}  // namespace

TEST_F(UserBreakDialogTest, OpensOverADisabledOwnerAndKeepsThreeLines) {
    dialog.open();
    ASSERT_NE(dialog.window(), nullptr);
    EXPECT_EQ(dialog.window()->objectName(), "User_Break");
    EXPECT_EQ(dialog.window()->windowTitle(), "In corso...");
    auto* label = dialog.window()->findChild<QLabel*>();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), "Elaborazione in corso ...");
    EXPECT_FALSE(owner.centralWidget()->isEnabled());
    ASSERT_NE(button("Outside!"), nullptr);
    EXPECT_TRUE(button("Outside!")->isDefault());

    dialog.setText("Scarico timbrature");
    EXPECT_EQ(label->text(), "\n Scarico timbrature\n");
    for (const char* line : {"uno", "due", "tre", "quattro"}) dialog.addLine(line);
    EXPECT_EQ(dialog.text(), " due\n tre\n quattro\n");
    EXPECT_EQ(label->text(), " due\n tre\n quattro\n");

    dialog.showBar(20, 0xFF0000);
    ASSERT_NE(dialog.bar(), nullptr);
    EXPECT_EQ(dialog.bar()->colour(), QColor(0, 0, 255));
    dialog.setBar(5, "Timbratura: 5/20");
    EXPECT_EQ(dialog.bar()->percent(), 25);
    EXPECT_EQ(label->text(), "\n Timbratura: 5/20\n");

    EXPECT_FALSE(dialog.pump());
    dialog.close();
    EXPECT_EQ(dialog.window(), nullptr);
    EXPECT_TRUE(owner.centralWidget()->isEnabled());
}

TEST_F(UserBreakDialogTest, EsceCancelsEnablesTheOwnerAndRemovesTheDialog) {
    dialog.open("Ricezione");
    QPushButton* esce = button("Esce");
    ASSERT_NE(esce, nullptr);
    QTest::mouseClick(esce, Qt::LeftButton);
    EXPECT_TRUE(dialog.pump());
    EXPECT_TRUE(dialog.pump());  // stays cancelled until the command closes it
    EXPECT_EQ(dialog.window(), nullptr);
    EXPECT_TRUE(owner.centralWidget()->isEnabled());
    dialog.setBar(3, "after");  // nothing left to show it: no harm
    dialog.close();

    dialog.open();
    EXPECT_FALSE(dialog.pump());  // the next command starts afresh
    // Escape does not stop the command either.
    QTest::keyClick(dialog.window(), Qt::Key_Escape);
    EXPECT_FALSE(dialog.pump());
    EXPECT_NE(dialog.window(), nullptr);
    dialog.close();
}

TEST_F(UserBreakDialogTest, HiddenOrMinimisedOwnerMeansSilentMode) {
    owner.showMinimized();
    dialog.open("Ricezione");
    EXPECT_EQ(dialog.window(), nullptr);
    EXPECT_TRUE(owner.centralWidget()->isEnabled());
    dialog.showBar(10);
    dialog.setBar(4, "x");
    EXPECT_FALSE(dialog.pump());
    dialog.close();

    owner.hide();
    dialog.open();
    EXPECT_EQ(dialog.window(), nullptr);
    EXPECT_FALSE(dialog.pump());
    dialog.close();
}
