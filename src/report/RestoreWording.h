#pragma once

#include "report/OperationState.h"

// A restore reports as a backup does, but where a backup's words would mislead (a file "not
// previously backed up" is one the destination lacks) it has its own.
namespace kestrel {

// The number of the text a report line uses for the backup's text `number`: the restore's own
// while a restore runs, else `number` itself.
int WordingOf(const OperationState& state, int number);

} // namespace kestrel
