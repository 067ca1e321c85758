// The level effects: Volume, Saturate, Normalize and Silent zone.
#pragma once

#include "operations/operation.h"

namespace sonarium {

const OperationDecl& volumeOperation();
const OperationDecl& saturateOperation();
const OperationDecl& normalizeOperation();
const OperationDecl& silentZoneOperation();

} // namespace sonarium
