// Silent zone's opening state.
#include "dialogs/level_dialogs.h"

#include <QAbstractButton>

namespace sonarium {

CSilentZoneDialog::CSilentZoneDialog(const OperationDecl& operation, OperationServices services,
                                     QWidget* parent)
    : COperationDialog(operation, std::move(services), parent) {
    for (int checkedItem : {1232, 1228, 1234})
        if (auto* button = qobject_cast<QAbstractButton*>(item(checkedItem)))
            button->setChecked(true);
    if (auto* dc = qobject_cast<QAbstractButton*>(item(1235)))
        dc->setChecked(false);
}

} // namespace sonarium
