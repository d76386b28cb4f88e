#include "platform/application.h"
#include "platform/runningmarker.h"
#include "platform/terminationsignals.h"
#include "ui/commandline.h"
#include "ui/program.h"

int main(int argc, char *argv[])
{
#ifndef Q_OS_WIN
    // Until the program can end as Quit does, a logout or a kill waits rather than killing it.
    platform::holdTerminationSignals();
#endif
    // Read before anything else, so that --help or a mistyped option starts no window and
    // leaves the log as it was, and needs no display when Qt's options play no part.
    if (const std::optional<ui::CommandLine> answer =
            ui::answerBeforeQt(ui::commandLineArguments(argc, argv)))
        return ui::tellAndExit(*answer, argc, argv);

    const platform::RunningMarker running;
    // Takes Qt's own options, with their values, out of argc and argv.
    platform::Application app(argc, argv);
    const ui::CommandLine commandLine = ui::parseCommandLine(ui::commandLineArguments(argc, argv));
    if (!commandLine.run)
        return ui::tellAndExit(commandLine, argc, argv);
    // Lets Wayland desktops match the window to the menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.Pindrel"));
    return ui::runProgram({.portName = commandLine.portName, .baudRate = commandLine.baudRate},
                          commandLine.inDocuments ? ui::WorkFolder::Documents
                                                  : ui::WorkFolder::Current,
                          commandLine.waypointFile);
}
