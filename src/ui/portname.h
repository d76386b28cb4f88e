#pragma once

#include <QString>

namespace ui {

// The longest port name the system takes: a path on POSIX, in bytes; on Windows, characters
// after the "\\.\" that the name is opened with.
qsizetype longestPortName();

// Why a typed port name cannot be taken, or empty when it can: a control character (a line end,
// a tab) would break every message that names the port, and a name longer than the system
// takes can never be opened.
QString portNameProblem(const QString &name);

} // namespace ui
