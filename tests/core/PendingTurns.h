#pragma once

#include <glib.h>

namespace velumo {

// Runs the steps the main loop has queued (MainQueue's later turns), without
// waiting for more.
inline void runPendingTurns() {
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
}

}  // namespace velumo
