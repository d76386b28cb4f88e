#include "platform/application.h"
#include "ui/program.h"

int main(int argc, char *argv[])
{
    platform::Application app(argc, argv);
    // Lets Wayland desktops match the window to the menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.Pindrel"));
    return ui::runProgram();
}
