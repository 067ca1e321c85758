// The behaviour of the selection edits' dialogs beyond their declared fields.
#include "dialogs/edit_dialogs.h"

#include "operations/editing/edit_positions.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

namespace sonarium {

namespace {

constexpr int kFadeIn = 1358;
constexpr int kFadeOut = 1359;
constexpr int kPositionStart = 1361;
constexpr int kPositionEnd = 1362;

} // namespace

CPositionDialog::CPositionDialog(const OperationDecl& operation, OperationServices services,
                                 QWidget* parent, std::string_view member)
    : COperationDialog(operation, std::move(services), parent), member_(member) {
    // The duration comes from a reader opened and closed at once; a file it cannot read keeps
    // the field empty (the end of the data), and the job will say what is wrong with it.
    SilentReporter quiet;
    const WaveContext wave{quiet, "", {}};
    sonIO reader(wave, services_.input.source);
    if (!reader.IsOpen())
        return;
    const EditFormat format = EditFormat::of(reader);
    reader.CloseRead();
    duration_ = QString::fromStdString(offsetToSeconds(format.dataSize, format));
    if (auto* field = qobject_cast<QLineEdit*>(fieldEditor(member_)))
        field->setText(duration_);
}

void CPositionDialog::prepareJob(Parameters& parameters) {
    const std::string& text = parameters.text(member_);
    if (QString::fromStdString(text) == duration_)
        parameters.setText(member_, ""); // the end of the data, not its rounded duration
    else if (text.empty())
        parameters.setText(member_, "0"); // an emptied field reads 0, as any text without a number
}

bool CInsertDialog::jobFinished() {
    return outcome() == JobOutcome::Completed;
}

bool CSelectDialog::jobFinished() {
    if (outcome() != JobOutcome::Completed)
        return false; // the message has been shown: the user may correct the positions
    const QStringList frames = QString::fromStdString(report()).trimmed().split(QLatin1Char(' '));
    if (frames.size() == 2 && services_.setSelection)
        services_.setSelection({.first = frames[0].toUInt(), .count = frames[1].toUInt()});
    return true;
}

CFadeDialog::CFadeDialog(const OperationDecl& operation, OperationServices services,
                         QWidget* parent)
    : COperationDialog(operation, std::move(services), parent) {
    auto* in = qobject_cast<QCheckBox*>(item(kFadeIn));
    auto* out = qobject_cast<QCheckBox*>(item(kFadeOut));
    connect(in, &QCheckBox::clicked, this, [in, out] {
        if (!in->isChecked() && !out->isChecked())
            out->setChecked(true);
    });
    connect(out, &QCheckBox::clicked, this, [in, out] {
        if (!in->isChecked() && !out->isChecked())
            in->setChecked(true);
    });
}

void CFadeDialog::prepareJob(Parameters& parameters) {
    const bool in = isChecked(kFadeIn);
    const bool out = isChecked(kFadeOut);
    parameters.setText("type", in && out ? "both" : in ? "in" : "out");
}

CSelectionPositionDialog::CSelectionPositionDialog(const OperationDecl& operation,
                                                   OperationServices services, QWidget* parent)
    : COperationDialog(operation, std::move(services), parent) {
    for (QAbstractButton* button : buttonBox()->buttons()) {
        if (buttonBox()->buttonRole(button) == QDialogButtonBox::RejectRole) {
            buttonBox()->removeButton(button);
            delete button;
        }
    }
    runJob(operation.defaults());
    const QStringList seconds = QString::fromStdString(report()).trimmed().split(QLatin1Char(' '));
    for (int i = 0; i < 2; ++i) {
        auto* edit = qobject_cast<QLineEdit*>(item(i == 0 ? kPositionStart : kPositionEnd));
        if (edit == nullptr)
            continue;
        edit->setReadOnly(true);
        edit->setText(seconds.size() == 2 ? seconds[i] : QString());
    }
}

void CSelectionPositionDialog::accept() {
    QDialog::accept(); // it shows, it changes nothing
}

} // namespace sonarium
