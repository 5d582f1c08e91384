// The requests to end that come from outside the window: on POSIX systems
// SIGTERM (a logout, a shutdown, kill), SIGHUP (the terminal or session
// gone) and SIGINT (Ctrl+C in the terminal that started the program). The
// first runs close on the main loop, so the program ends the normal way
// (its settings saved); a second ends the process at once, in case the
// first could not. Windows asks the windows themselves to close when the
// session ends, and there is nothing to set up.
#pragma once

void CloseOnEndSignals(void (*close)());
