// The answering controls of the Smooth and Resync Gapper dialogs.
#include "dialogs/effect_dialogs.h"

#include "operations/effects/effect_messages.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>

namespace sonarium {

namespace {

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
        if (auto* b = qobject_cast<QAbstractButton*>(this->item(item)))
            connect(b, &QAbstractButton::clicked, this, [this, item] { shapeClicked(item); });
}

void CSmoothDialog::lfoChanged() {
    const bool on = typedValue("lfoFreq") != 0 && typedValue("lfoDepth") != 0;
    if (!on)
        clearButtons({kSine, kSquare, kTriangle});
    else if (!isChecked(kSquare) && !isChecked(kTriangle))
        setChecked(kSine);
}

void CSmoothDialog::feedbackChanged() {
    // The feedback shape has no member: its limits are those of its declared fields.
    const bool on =
        typedValue("fbFreq") != 0 && typedValue("fbDepth") != 0 && typedValue("fbGain") != 0;
    if (!on)
        clearButtons({kFbSine, kFbSquare, kFbTriangle});
    else if (!isChecked(kFbSquare) && !isChecked(kFbTriangle))
        setChecked(kFbSine);
}

void CSmoothDialog::shapeClicked(int item) {
    // The group keeps the other two cleared; with the LFO off the click is undone.
    const bool feedback = item >= kFbSine;
    const bool on = feedback ? typedValue("fbFreq") != 0 && typedValue("fbDepth") != 0 &&
                                   typedValue("fbGain") != 0
                             : typedValue("lfoFreq") != 0 && typedValue("lfoDepth") != 0;
    if (!on)
        clearButtons({item});
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
