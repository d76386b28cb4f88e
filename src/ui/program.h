#pragma once

#include "ui/services.h"

namespace ui {

// Where the program works, and so where its log goes.
enum class WorkFolder
{
    // The folder it was started in.
    Current,
    // The user's Documents folder, wherever it has been moved: a shortcut that names a fixed
    // folder would miss it.
    Documents,
};

// Changes to the work folder, loads the main window, shows it once its load step has succeeded,
// opens the file of waypoints, if one is given, and runs the event loop until the last window
// has closed. Returns the program's exit status.
int runProgram(Services services = {}, WorkFolder folder = WorkFolder::Current,
               const QString &waypointFile = {});

} // namespace ui
