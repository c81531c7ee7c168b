#pragma once
// The help box ("Utilizzo di WCMDVORN": name, version, platform and the
// command-line help) and the about box ("About WCMDVORN").
#include "RunContext.h"

#include <QDialog>

class QPlainTextEdit;

class HelpBox : public QDialog {
    Q_OBJECT
public:
    HelpBox(const RunState& state, QWidget* parent = nullptr);
    QPlainTextEdit* lines() const { return lines_; }

private:
    QPlainTextEdit* lines_;
};

class AboutBox : public QDialog {
    Q_OBJECT
public:
    AboutBox(const RunState& state, QWidget* parent = nullptr);
};
