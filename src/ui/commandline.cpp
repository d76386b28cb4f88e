#include "ui/commandline.h"

#include "gps_link/gpslink.h"
#include "platform/messagebox.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>

namespace ui {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("CommandLine", text);
}

QString usage()
{
    return tr("Usage: pindrel [--port NAME]\n"
              "\n"
              "Pindrel puts waypoints into a GPS receiver. It builds an NMEA 0183 waypoint\n"
              "sentence from a name, a latitude and a longitude, sends it to the receiver over\n"
              "a serial port at 4800 baud, and saves it to the log file waypoints.wpl in the\n"
              "folder it was started from. Each start empties that file.\n"
              "\n"
              "Options:\n"
              "  --port NAME    The receiver's serial port, such as /dev/ttyUSB0 or COM3, for\n"
              "                 this run (default: the port last chosen in the window, else\n"
              "                 %1).\n"
              "  -h, --help     Show this help and end.\n"
              "  -v, --version  Show the version and end.\n")
        .arg(GpsLink::firstSerialPortName());
}

void addQtOption(QCommandLineParser &parser, const char *name, const QString &valueName)
{
    QCommandLineOption option(QLatin1String(name), QString(), valueName);
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(option);
}

CommandLine tell(const QString &text, int exitStatus)
{
    return {.run = false, .portName = {}, .text = text, .exitStatus = exitStatus};
}

} // namespace

CommandLine parseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption port(QStringLiteral("port"), QString(), QStringLiteral("NAME"));
    const QCommandLineOption help(
        QStringList{QStringLiteral("h"), QStringLiteral("help"), QStringLiteral("?")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    parser.addOptions({port, help, version});
    // Qt's own options, which the application object takes out of the arguments later on.
    // Read as long options, so that -platform is one name rather than eight letters.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const char *name :
         {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
          "qwindowicon", "qwindowtitle", "session", "style", "stylesheet", "display"})
        addQtOption(parser, name, QStringLiteral("value"));
    for (const char *name : {"reverse", "widgetcount"})
        addQtOption(parser, name, QString());

    if (!parser.parse(arguments))
        return tell(parser.errorText() + QLatin1String("\n\n") + usage(), usageErrorStatus);
    if (!parser.positionalArguments().isEmpty()) {
        return tell(tr("Unexpected argument '%1'.").arg(parser.positionalArguments().constFirst()) +
                        QLatin1String("\n\n") + usage(),
                    usageErrorStatus);
    }
    if (parser.isSet(help))
        return tell(usage(), 0);
    if (parser.isSet(version))
        return tell(QStringLiteral("Pindrel " PINDREL_VERSION "\n"), 0);
    if (parser.isSet(port) && parser.value(port).isEmpty())
        return tell(tr("The option --port needs a port's name.\n\n") + usage(), usageErrorStatus);
    return {.run = true,
            .portName = parser.isSet(port) ? parser.value(port) : QString(),
            .text = {},
            .exitStatus = 0};
}

QStringList commandLineArguments(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

int tellAndExit(const CommandLine &commandLine, int argc, char *argv[])
{
#ifdef Q_OS_WIN
    QApplication app(argc, argv);
    platform::showMessageBox(nullptr, commandLine.text.trimmed());
#else
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    std::fputs(commandLine.text.toLocal8Bit().constData(),
               commandLine.exitStatus == 0 ? stdout : stderr);
#endif
    return commandLine.exitStatus;
}

} // namespace ui
