#pragma once

#include "ui/services.h"

namespace ui {

// Loads the main window, shows it once its load step has succeeded, and runs the event loop
// until the last window has closed. Returns the program's exit status.
int runProgram(Services services = {});

} // namespace ui
