// The dialogs of the level effects. The generic dialog does all their work; these named classes
// hold what it cannot: Silent zone's state when it opens.
#pragma once

#include "dialogs/operation_dialog.h"

namespace sonarium {

class CVolumeDialog final : public COperationDialog {
    Q_OBJECT
public:
    using COperationDialog::COperationDialog;
};

class CSaturateDialog final : public COperationDialog {
    Q_OBJECT
public:
    using COperationDialog::COperationDialog;
};

class CNormalizeDialog final : public COperationDialog {
    Q_OBJECT
public:
    using COperationDialog::COperationDialog;
};

// Opens with "&Cut" and "&Silent zones" chosen, "Ignore &DC" clear and the disabled
// "Stereo &flush" shown checked; each radio pair stays exclusive.
class CSilentZoneDialog final : public COperationDialog {
    Q_OBJECT
public:
    CSilentZoneDialog(const OperationDecl& operation, OperationServices services,
                      QWidget* parent = nullptr);
};

} // namespace sonarium
