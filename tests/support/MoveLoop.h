// A window drag under test: the move loop takes where the drag starts from the pointer as it
// begins, so the pointer may only move once the loop runs. A mover taps Shift until an event the
// loop pumps shows that it runs, then moves the pointer and lets the button go.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace testing_x {

// Runs `loop` (returns when the button is up) while the mover runs xdotool `moves` (ending with the
// button's release) once the loop pumps events. True when the loop was seen and the moves ran.
bool moveDuringLoop(const std::function<void()>& loop, const std::vector<std::string>& moves);

}  // namespace testing_x
