#include "UserBreakDialog.h"

#include "DialogUnits.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The running command decides when the dialog goes; Escape and the title
// bar's close button do nothing.
class BreakWindow : public QDialog {
public:
    using QDialog::QDialog;
    void reject() override {}
};

constexpr const char* kDefaultText = "Elaborazione in corso ...";

}  // namespace

UserBreakDialog::~UserBreakDialog() { destroyDialog(); }

void UserBreakDialog::open(const char* text, int x, int y) {
    destroyDialog();
    cancelled_ = false;
    text_.clear();
    if (!owner_ || !owner_->isVisible() || owner_->isMinimized()) return;

    auto* dialog = new BreakWindow(owner_, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint);
    dialog->setObjectName("User_Break");
    dialog->setWindowTitle("In corso...");
    DialogUnits units(*dialog);

    auto* layout = new QVBoxLayout(dialog);
    label_ = new QLabel(kDefaultText, dialog);
    label_->setMinimumHeight(units.charHeight * 4);
    label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(label_);

    barPlace_ = new QWidget(dialog);
    barPlace_->setFixedSize(units.charWidth * 25, units.y(10));
    barPlace_->hide();
    layout->addWidget(barPlace_, 0, Qt::AlignHCenter);

    auto* esce = new QPushButton("Esce", dialog);
    esce->setAutoDefault(false);
    QObject::connect(esce, &QPushButton::clicked, [this] { cancel(); });
    layout->addWidget(esce, 0, Qt::AlignHCenter);

    // Enter must not stop the command: the default button is out of sight.
    auto* outside = new QPushButton("Outside!", dialog);
    outside->setDefault(true);
    outside->setGeometry(-200, -200, 10, 10);

    dialog_ = dialog;
    if (text) setText(text);
    setOwnerEnabled(false);
    dialog->show();
    if (x >= 0 && y >= 0) dialog->move(owner_->mapToGlobal(QPoint(units.x(x), units.y(y))));
}

bool UserBreakDialog::pump() {
    if (!dialog_) return cancelled_;
    QApplication::processEvents();
    return cancelled_;
}

void UserBreakDialog::cancel() {
    setOwnerEnabled(true);
    cancelled_ = true;
    if (dialog_) {
        dialog_->hide();
        dialog_->deleteLater();
        dialog_ = nullptr;
    }
}

void UserBreakDialog::setText(const char* text) {
    text_.set(text);
    showText();
}

void UserBreakDialog::addLine(const char* text) {
    text_.addLine(text);
    showText();
}

void UserBreakDialog::showText() {
    if (label_) label_->setText(QString::fromLatin1(text_.str().c_str()));
}

void UserBreakDialog::showBar(int range, unsigned colour) {
    if (!dialog_ || !barPlace_) return;
    if (!bar_) {
        bar_ = new ProgressBar(ProgressBar::ShowPercent | ProgressBar::Sunken, barPlace_);
        bar_->setGeometry(barPlace_->rect());
    }
    if (colour != 0) bar_->setColour(ProgressBar::fromColourRef(colour));
    bar_->setRange(range);
    bar_->show();
    barPlace_->show();
}

void UserBreakDialog::setBar(int position, const char* text) {
    if (bar_) bar_->setPosition(position);
    if (text) setText(text);
}

void UserBreakDialog::close() {
    destroyDialog();
    cancelled_ = false;
}

void UserBreakDialog::destroyDialog() {
    if (bar_) delete bar_;
    if (dialog_) {
        setOwnerEnabled(true);
        delete dialog_;
    }
}

void UserBreakDialog::setOwnerEnabled(bool enabled) {
    if (!owner_) return;
    for (QObject* child : owner_->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget && !widget->isWindow()) widget->setEnabled(enabled);
    }
}
