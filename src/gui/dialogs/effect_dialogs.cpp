// The answering controls of the Smooth and Resync Gapper dialogs.
#include "dialogs/effect_dialogs.h"

#include "operations/effects/effect_messages.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <initializer_list>

namespace sonarium {

namespace {

QAbstractButton* button(const COperationDialog& dialog, int item) {
    return qobject_cast<QAbstractButton*>(dialog.item(item));
}

bool isChecked(const COperationDialog& dialog, int item) {
    QAbstractButton* b = button(dialog, item);
    return b != nullptr && b->isChecked();
}

// Clears radio buttons of an exclusive group, which refuses to have none checked otherwise.
void clearButtons(const COperationDialog& dialog, std::initializer_list<int> items) {
    for (int item : items) {
        QAbstractButton* b = button(dialog, item);
        if (b == nullptr || !b->isChecked())
            continue;
        QButtonGroup* group = b->group();
        if (group != nullptr)
            group->setExclusive(false);
        b->setChecked(false);
        if (group != nullptr)
            group->setExclusive(true);
    }
}

void setChecked(const COperationDialog& dialog, int item) {
    if (QAbstractButton* b = button(dialog, item))
        b->setChecked(true);
}

constexpr int kSine = 1110, kSquare = 1111, kTriangle = 1112;
constexpr int kFbSine = 1113, kFbSquare = 1114, kFbTriangle = 1115;

} // namespace

CSmoothDialog::CSmoothDialog(const OperationDecl& operation, OperationServices services,
                             QWidget* parent)
    : COperationDialog(operation, std::move(services), parent) {
    for (int item : {1002, 1003})
        if (auto* edit = qobject_cast<QLineEdit*>(this->item(item)))
            connect(edit, &QLineEdit::textChanged, this, [this] { lfoChanged(); });
    for (int item : {1117, 1005, 1004})
        if (auto* edit = qobject_cast<QLineEdit*>(this->item(item)))
            connect(edit, &QLineEdit::textChanged, this, [this] { feedbackChanged(); });
    for (int item : {kSine, kSquare, kTriangle, kFbSine, kFbSquare, kFbTriangle})
        if (QAbstractButton* b = button(*this, item))
            connect(b, &QAbstractButton::clicked, this, [this, item] { shapeClicked(item); });
}

double CSmoothDialog::typedValue(std::string_view member, int item) const {
    const FieldSpec* field = operation_.field(member);
    auto* edit = qobject_cast<QLineEdit*>(this->item(item));
    double value = 0;
    if (field == nullptr || edit == nullptr ||
        parseFieldValue(*field, edit->text().toStdString(), value))
        return 0;
    return value;
}

void CSmoothDialog::lfoChanged() {
    const bool on = typedValue("lfoFreq", 1002) != 0 && typedValue("lfoDepth", 1003) != 0;
    if (!on)
        clearButtons(*this, {kSine, kSquare, kTriangle});
    else if (!isChecked(*this, kSquare) && !isChecked(*this, kTriangle))
        setChecked(*this, kSine);
}

void CSmoothDialog::feedbackChanged() {
    // The feedback shape has no member: its limits are those of its declared fields.
    const bool on = typedValue("fbFreq", 1117) != 0 && typedValue("fbDepth", 1005) != 0 &&
                    typedValue("fbGain", 1004) != 0;
    if (!on)
        clearButtons(*this, {kFbSine, kFbSquare, kFbTriangle});
    else if (!isChecked(*this, kFbSquare) && !isChecked(*this, kFbTriangle))
        setChecked(*this, kFbSine);
}

void CSmoothDialog::shapeClicked(int item) {
    // The group keeps the other two cleared; with the LFO off the click is undone.
    const bool feedback = item >= kFbSine;
    const bool on = feedback
                        ? typedValue("fbFreq", 1117) != 0 && typedValue("fbDepth", 1005) != 0 &&
                              typedValue("fbGain", 1004) != 0
                        : typedValue("lfoFreq", 1002) != 0 && typedValue("lfoDepth", 1003) != 0;
    if (!on)
        clearButtons(*this, {item});
}

CResyncGapperDialog::CResyncGapperDialog(const OperationDecl& operation, OperationServices services,
                                         QWidget* parent)
    : COperationDialog(operation, std::move(services), parent) {
    if (auto* shuffle = qobject_cast<QCheckBox*>(item(1216)))
        connect(shuffle, &QCheckBox::clicked, this, [this, shuffle](bool checked) {
            if (checked && services_.sourceChannels == 1) {
                shuffle->setChecked(false);
                services_.reporter.report(kMonoShuffleText, MessageIcon::Warning);
            }
        });
}

} // namespace sonarium
