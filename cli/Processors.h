// How many processors this process may run on.
#pragma once

unsigned UsableProcessors();
