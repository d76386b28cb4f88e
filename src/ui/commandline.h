#pragma once

#include "platform/nativename.h"

#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>

namespace ui {

// What the command line asks for: run on a port, or tell the user something and end.
struct CommandLine
{
    bool run = true;
    // As given, in the system's own form: a link's name need not be text.
    platform::NativeName portName;
    // When not running: the help, the version, or what was wrong followed by the usage.
    QString text;
    int exitStatus = 0;
    // The serial port's speed in baud for this run, when --baud gives one.
    std::optional<qint32> baudRate;
    // Work in the user's Documents folder, wherever it is, rather than where Pindrel was started.
    bool inDocuments = false;
    // A file of waypoints to show, ready to send, once the window is up; as given.
    QString waypointFile;
};

// Exit status for a command line that could not be understood, as is usual for a misused command.
inline constexpr int usageErrorStatus = 2;

// Reads the arguments that the application object has left once it has taken Qt's own options,
// the program's name first, and touches nothing else. Without --port the port name is empty: the
// program runs on the port last chosen in its window.
CommandLine parseCommandLine(const QList<platform::NativeName> &arguments);

// Reads the arguments as given, before any application object exists, which needs a display:
// when none of them could be one of Qt's options, returns the help, the version or the mistake
// they ask to be told. Nothing when they ask to run, or when only Qt can tell what they mean.
std::optional<CommandLine> answerBeforeQt(const QList<platform::NativeName> &arguments);

// The arguments in the system's own form: those that main() was given, or, once the application
// object exists, those that it left. On Windows they come from the wide command line, which
// holds names the ANSI code page cannot.
QList<platform::NativeName> commandLineArguments(int argc, char *argv[]);

// Prints the text, on standard error when the status is a failure; on Windows, where a program
// with windows has no console, shows it in a message box instead, with an application object
// of its own when there is none yet. Returns the exit status.
int tellAndExit(const CommandLine &commandLine, int argc, char *argv[]);

} // namespace ui
