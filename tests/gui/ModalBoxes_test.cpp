// The real boxes, answered by a timer that presses their buttons.
#include "OperatorBoxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Presses `button` in the next message box that comes up, and remembers it.
struct BoxAnswerer {
    explicit BoxAnswerer(QMessageBox::StandardButton button) {
        QObject::connect(&timer, &QTimer::timeout, [this, button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            defaultButton = box->standardButton(box->defaultButton());
            buttons = box->standardButtons();
            box->button(button)->click();
        });
        timer.start(5);
    }
    QTimer timer;
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QMessageBox::StandardButtons buttons;
};

}  // namespace

TEST(ModalBoxes, QuestionIsYesNoWithNoAsTheDefault) {
    ModalBoxes boxes;
    {
        BoxAnswerer answerer(QMessageBox::Yes);
        EXPECT_TRUE(boxes.question(nullptr, "VORN-L", "Conferma reset configurazione di fabbrica"));
        EXPECT_EQ(answerer.title, "VORN-L");
        EXPECT_EQ(answerer.text, "Conferma reset configurazione di fabbrica");
        EXPECT_EQ(answerer.buttons, QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(answerer.defaultButton, QMessageBox::No);
    }
    BoxAnswerer answerer(QMessageBox::No);
    EXPECT_FALSE(boxes.question(nullptr, "VORN-L", "Conferma?"));
}

TEST(ModalBoxes, MessagesCarryTheirIcon) {
    ModalBoxes boxes;
    BoxAnswerer answerer(QMessageBox::Ok);
    boxes.message(nullptr, OperatorBoxes::Icon::Error, "Wcmdv32", "Errore fatale - Impossibile continuare!");
    EXPECT_EQ(answerer.icon, QMessageBox::Critical);
    EXPECT_EQ(answerer.title, "Wcmdv32");
    boxes.message(nullptr, OperatorBoxes::Icon::Warning, "Errore Parametro", " Numero Nodo = 0");
    EXPECT_EQ(answerer.icon, QMessageBox::Warning);
    EXPECT_EQ(answerer.text, " Numero Nodo = 0");
}
