#include "ui/program.h"

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
    return QApplication::exec();
}

} // namespace ui
