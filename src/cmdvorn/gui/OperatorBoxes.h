#pragma once
// What the window asks of the person in front of it: message boxes, Yes/No
// questions, the help and about boxes, a file to open, and a file opened in
// the desktop's editor. The window goes through this so tests can answer for the person.
#include "RunContext.h"

#include <QString>

class QDialog;
class QWidget;

class OperatorBoxes {
public:
    enum class Icon { Information, Warning, Error };

    virtual ~OperatorBoxes() = default;
    virtual void message(QWidget* parent, Icon icon, const QString& caption, const QString& text) = 0;
    // True for Yes.
    virtual bool question(QWidget* parent, const QString& caption, const QString& text) = 0;
    virtual void help(QWidget* parent, const RunState& state) = 0;
    virtual void about(QWidget* parent, const RunState& state) = 0;
    virtual void openFile(const QString& path) = 0;
    // An existing file chosen in the file-open dialog; empty when cancelled.
    virtual QString openFileName(QWidget* parent, const QString& title, const QString& filter, const QString& proposed) = 0;
    // A dialog of the window, modal.
    virtual void showModal(QDialog& dialog) = 0;
};

// The real, modal boxes.
class ModalBoxes : public OperatorBoxes {
public:
    void message(QWidget* parent, Icon icon, const QString& caption, const QString& text) override;
    bool question(QWidget* parent, const QString& caption, const QString& text) override;
    void help(QWidget* parent, const RunState& state) override;
    void about(QWidget* parent, const RunState& state) override;
    void openFile(const QString& path) override;
    QString openFileName(QWidget* parent, const QString& title, const QString& filter, const QString& proposed) override;
    void showModal(QDialog& dialog) override;
};

// Without a screen nobody can answer a box: texts go to standard error as
// the console writes them, questions are asked on the controlling terminal
// (the safe No without one), and the help goes to standard output. So a
// command-line run never waits for a box nobody sees.
class HeadlessBoxes : public OperatorBoxes {
public:
    // True for the platforms that draw nowhere a person can see.
    static bool platformIsHeadless();

    void message(QWidget* parent, Icon icon, const QString& caption, const QString& text) override;
    bool question(QWidget* parent, const QString& caption, const QString& text) override;
    void help(QWidget* parent, const RunState& state) override;
    void about(QWidget* parent, const RunState& state) override;
    void openFile(const QString& path) override;
    QString openFileName(QWidget* parent, const QString& title, const QString& filter, const QString& proposed) override;
    void showModal(QDialog& dialog) override;
};
