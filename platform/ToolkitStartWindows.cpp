// Windows: the toolkit starts with nothing to prepare.
#include "ToolkitStart.h"

void PrepareToolkitStart() {}

void FinishToolkitStart() {}
