#pragma once

// The timers moved to the core, where sequences use them too.
#include "common/ITickTimer.h"
