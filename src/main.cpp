#include "platform/application.h"
#include "ui/frmgarminwaypoint.h"

int main(int argc, char *argv[])
{
    platform::Application app(argc, argv);
    frmGarminWaypoint window;
    window.show();
    return app.exec();
}
