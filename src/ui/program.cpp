#include "ui/program.h"

#include "platform/nativename.h"
#include "platform/sessionend.h"
#include "platform/terminationsignals.h"
#include "ui/frmgarminwaypoint.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QPointer>

#include <cstdlib>

namespace ui {

namespace {

// The context of the words below, for translators.
class Program
{
    Q_DECLARE_TR_FUNCTIONS(Program)
};

// Tells the user why not, when the Documents folder cannot be had.
bool enterDocumentsFolder(const Services &services)
{
    const platform::NativeName documents = platform::documentsFolder();
    if (documents.isEmpty()) {
        services.message(nullptr,
                         Program::tr("Pindrel cannot start: your Documents folder, where its log "
                                     "file goes, could not be found."));
        return false;
    }
    if (const QString reason = platform::enterFolder(documents); !reason.isEmpty()) {
        services.message(nullptr,
                         Program::tr("Pindrel cannot start: your Documents folder %1, where its "
                                     "log file goes, could not be opened.\n\n%2")
                             .arg(platform::displayName(documents), reason));
        return false;
    }
    return true;
}

} // namespace

int runProgram(Services services, WorkFolder folder, const QString &waypointFile)
{
    // Named from where the program was started, before it moves to its work folder.
    const QString waypointPath =
        waypointFile.isEmpty() ? QString() : QDir::current().absoluteFilePath(waypointFile);
    // A logout, a kill or a closed terminal ends the program as Quit does, its Help and About
    // windows included; before the window is up, it ends a start that has failed, whose
    // message would otherwise wait for the user.
    platform::TerminationSignals termination;
    QPointer<frmGarminWaypoint> shown;
    QObject::connect(&termination, &platform::TerminationSignals::received, &termination, [&] {
        if (shown)
            shown->endProgram();
        else if (QWidget *modal = QApplication::activeModalWidget())
            modal->close();
    });
    if (folder == WorkFolder::Documents && !enterDocumentsFolder(services))
        return EXIT_FAILURE;
    frmGarminWaypoint window(std::move(services));
    if (!window.Form_Load())
        return EXIT_FAILURE;
    window.show();
    shown = &window;
    if (!waypointPath.isEmpty())
        window.openWaypointFile(waypointPath);
#ifdef Q_OS_WIN
    // Windows tells a program with windows of a logoff or a shutdown by window messages.
    platform::SessionEnd sessionEnd;
    QObject::connect(&sessionEnd, &platform::SessionEnd::requested, &window,
                     &frmGarminWaypoint::endProgram);
#endif
    return QApplication::exec();
}

} // namespace ui
