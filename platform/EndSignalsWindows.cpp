// Windows: the session's end reaches the windows as a close of their own.
#include "EndSignals.h"

void CloseOnEndSignals(void (*)()) {}
