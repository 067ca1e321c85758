// Synthesis dialogs whose controls answer each other, beyond what a declaration states.
#pragma once

#include "dialogs/operation_dialog.h"

namespace sonarium {

// Simple Synthesis: an LFO shape can be checked only while the LFO runs, that is while its
// frequency and its depth are both non-zero. Every change of either field re-reads both: with both
// non-zero and neither Square nor Triangle checked, Sine becomes checked; with either zero, no
// shape stays checked. A shape clicked while the LFO is off is unchecked again.
class CSimpleSynthesisDialog : public COperationDialog {
public:
    CSimpleSynthesisDialog(const OperationDecl& operation, OperationServices services,
                           QWidget* parent);

private:
    bool lfoRuns() const;
    void lfoChanged();
};

} // namespace sonarium
