// The dialog of an operation: the generic one built from its declaration, or the named class
// that adds behaviour the declaration cannot state.
#pragma once

#include "dialogs/operation_dialog.h"

#include <memory>

namespace sonarium {

std::unique_ptr<COperationDialog> createOperationDialog(const OperationDecl& operation,
                                                        OperationServices services,
                                                        QWidget* parent = nullptr);

} // namespace sonarium
