#include "InfoBoxes.h"

#include "DialogUnits.h"
#include "HelpText.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextOption>
#include <QVBoxLayout>

namespace {

// Statics 54, 55 and 56: program name, version, platform.
void addProgramFacts(QDialog& box, QVBoxLayout& layout, const RunState& state) {
    const char* names[] = {"ProgName", "ProgVer", "Platform"};
    const zString* values[] = {&state.programName, &state.version, &state.platform};
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(QString::fromLatin1(values[i]->c_str()), &box);
        label->setObjectName(names[i]);
        layout.addWidget(label);
    }
}

void addOk(QDialog& box, QVBoxLayout& layout) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
    layout.addWidget(buttons);
}

}  // namespace

HelpBox::HelpBox(const RunState& state, QWidget* parent) : QDialog(parent) {
    setObjectName("HelpBox");
    setWindowTitle("Utilizzo di WCMDVORN");
    auto* layout = new QVBoxLayout(this);
    addProgramFacts(*this, *layout, state);

    lines_ = new QPlainTextEdit(this);
    lines_->setReadOnly(true);
    lines_->setLineWrapMode(QPlainTextEdit::NoWrap);
    DialogUnits units(*lines_);
    QTextOption option = lines_->document()->defaultTextOption();
    QList<QTextOption::Tab> tabs;
    for (int stop : {16, 36, 148}) tabs.append(QTextOption::Tab(units.x(stop), QTextOption::LeftTab));
    option.setTabs(tabs);
    lines_->document()->setDefaultTextOption(option);
    for (const std::string& line : helpLines()) lines_->appendPlainText(QString::fromLatin1(line.c_str()));
    lines_->setMinimumSize(units.x(300), units.y(160));
    layout->addWidget(lines_);
    addOk(*this, *layout);
}

AboutBox::AboutBox(const RunState& state, QWidget* parent) : QDialog(parent) {
    setObjectName("AboutBox");
    setWindowTitle("About WCMDVORN");
    auto* layout = new QVBoxLayout(this);
    addProgramFacts(*this, *layout, state);
    addOk(*this, *layout);
}
