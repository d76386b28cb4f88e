#include "ui/program.h"

#include "platform/terminationsignals.h"
#include "ui/frmgarminwaypoint.h"

#include <QApplication>

#include <cstdlib>

namespace ui {

int runProgram(Services services)
{
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
