#include "platform/application.h"
#include "ui/program.h"

int main(int argc, char *argv[])
{
    platform::Application app(argc, argv);
    return ui::runProgram();
}
