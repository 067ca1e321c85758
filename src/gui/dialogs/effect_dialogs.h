// Effect dialogs whose controls answer each other, beyond what a declaration states.
#pragma once

#include "dialogs/operation_dialog.h"

namespace sonarium {

// Smooth: an LFO shape can be checked only while the LFO runs (frequency and depth not 0), and
// Sine is checked as soon as it does; the feedback shapes follow the feedback fields alike.
class CSmoothDialog : public COperationDialog {
public:
    CSmoothDialog(const OperationDecl& operation, OperationServices services, QWidget* parent);

private:
    void lfoChanged();
    void feedbackChanged();
    void shapeClicked(int item);
};

// Resync Gapper: Stereo shuffling refuses a mono Source file as soon as it is clicked.
class CResyncGapperDialog : public COperationDialog {
public:
    CResyncGapperDialog(const OperationDecl& operation, OperationServices services,
                        QWidget* parent);
};

} // namespace sonarium
