// What the process does around the GUI toolkit's start, per system: work
// that start-up would otherwise wait for, begun early, and settings made for
// the toolkit's start only, undone once it has started. Both calls are O(1)
// and never fail the start.
#pragma once

// Before the toolkit starts (from the application object's constructor).
void PrepareToolkitStart();
// After it has started, before any other program is launched from here.
void FinishToolkitStart();
