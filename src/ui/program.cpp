#include "ui/program.h"

#include "platform/nativename.h"
#include "platform/terminationsignals.h"
#include "ui/frmgarminwaypoint.h"

#include <QApplication>

#include <cstdlib>

namespace ui {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("Program", text);
}

// Tells the user why not, when the Documents folder cannot be had.
bool enterDocumentsFolder(const Services &services)
{
    const platform::NativeName documents = platform::documentsFolder();
    if (documents.isEmpty()) {
        services.message(nullptr, tr("Pindrel cannot start: your Documents folder, where its log "
                                     "file goes, could not be found."));
        return false;
    }
    if (const QString reason = platform::enterFolder(documents); !reason.isEmpty()) {
        services.message(nullptr, tr("Pindrel cannot start: your Documents folder %1, where its "
                                     "log file goes, could not be opened.\n\n%2")
                                      .arg(platform::displayName(documents), reason));
        return false;
    }
    return true;
}

} // namespace

int runProgram(Services services, WorkFolder folder)
{
    if (folder == WorkFolder::Documents && !enterDocumentsFolder(services))
        return EXIT_FAILURE;
    frmGarminWaypoint window(std::move(services));
    if (!window.Form_Load())
        return EXIT_FAILURE;
    window.show();
    // A logout, a kill or a closed terminal ends the program as Quit does, its Help and About
    // windows included.
    platform::TerminationSignals termination;
    QObject::connect(&termination, &platform::TerminationSignals::received, &window,
                     &frmGarminWaypoint::endProgram);
    return QApplication::exec();
}

} // namespace ui
