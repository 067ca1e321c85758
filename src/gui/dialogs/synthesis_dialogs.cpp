// The answering controls of the Simple Synthesis dialog.
#include "dialogs/synthesis_dialogs.h"

#include <QAbstractButton>
#include <QLineEdit>

namespace sonarium {

namespace {

constexpr int kLfoFrequency = 1004, kLfoDepth = 1005;
constexpr int kSine = 1154, kSquare = 1155, kTriangle = 1156;

} // namespace

CSimpleSynthesisDialog::CSimpleSynthesisDialog(const OperationDecl& operation,
                                               OperationServices services, QWidget* parent)
    : COperationDialog(operation, std::move(services), parent) {
    for (int number : {kLfoFrequency, kLfoDepth})
        if (auto* edit = qobject_cast<QLineEdit*>(item(number)))
            connect(edit, &QLineEdit::textChanged, this, [this] { lfoChanged(); });
    for (int number : {kSine, kSquare, kTriangle})
        if (auto* shape = qobject_cast<QAbstractButton*>(item(number)))
            connect(shape, &QAbstractButton::clicked, this, [this, number] {
                // The group keeps the other two cleared; with the LFO off the click is undone.
                if (!lfoRuns())
                    clearButtons({number});
            });
}

bool CSimpleSynthesisDialog::lfoRuns() const {
    return typedValue("lfoFrequency") != 0 && typedValue("lfoDepth") != 0;
}

void CSimpleSynthesisDialog::lfoChanged() {
    if (!lfoRuns())
        clearButtons({kSine, kSquare, kTriangle});
    else if (!isChecked(kSquare) && !isChecked(kTriangle))
        setChecked(kSine);
}

} // namespace sonarium
