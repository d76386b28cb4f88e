#include "ui/commandline.h"

#include "gps_link/gpslink.h"
#include "platform/messagebox.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <iterator>

#ifdef Q_OS_WIN
#include <qt_windows.h>

#include <shellapi.h>
#endif

namespace ui {

namespace {

// The context of the words below, for translators.
class CommandLineWords
{
    Q_DECLARE_TR_FUNCTIONS(CommandLine)
};

QString usage()
{
    return CommandLineWords::tr(
               "Usage: pindrel [--port NAME] [--baud N] [--documents] [FILE]\n"
               "\n"
               "Pindrel puts waypoints into a GPS receiver. It builds an NMEA 0183 waypoint\n"
               "sentence from a name, a latitude and a longitude, sends it to the receiver over\n"
               "a serial port at 4800 baud, and saves it to the log file waypoints.wpl in the\n"
               "folder it was started from. Each start empties that file.\n"
               "\n"
               "FILE, a GPX, CSV or NMEA file of waypoints, opens in a list ready to send.\n"
               "\n"
               "Options:\n"
               "  --port NAME    The receiver's serial port, such as /dev/ttyUSB0 or COM3, for\n"
               "                 this run (default: the port last chosen in the window, else\n"
               "                 %1); or a network address, tcp://HOST:PORT or\n"
               "                 udp://HOST:PORT (PORT is 10110 if left out).\n"
               "  --baud N       The serial port's speed for this run, such as 9600 (default:\n"
               "                 the speed last chosen in the window, else 4800).\n"
               "  --documents    Work in your Documents folder, wherever it is: the log file\n"
               "                 goes there.\n"
               "  -h, --help     Show this help and end.\n"
               "  -v, --version  Show the version and end.\n")
        .arg(GpsLink::firstSerialPortName());
}

// The options that Qt takes out of the arguments itself, in QGuiApplication's and
// QApplication's constructors and in the X11 platform plugin. Qt reads each as `-name` or
// `--name`, followed by its value where it has one; only -style and -stylesheet also take
// `-name=value`.
struct QtOption
{
    QLatin1String name;
    bool hasValue;
    bool takesEquals = false;
};

constexpr QtOption qtOptions[] = {
    {QLatin1String("display"), true},
    {QLatin1String("geometry"), true},
    {QLatin1String("title"), true},
    {QLatin1String("name"), true},
    {QLatin1String("icon"), true},
    {QLatin1String("visual"), true},
    {QLatin1String("ncols"), true},
    {QLatin1String("cmap"), false},
    {QLatin1String("im"), true},
    {QLatin1String("dialogs"), true},
    {QLatin1String("nograb"), false},
    {QLatin1String("dograb"), false},
    {QLatin1String("sync"), false},
    {QLatin1String("qwindowgeometry"), true},
    {QLatin1String("qwindowtitle"), true},
    {QLatin1String("qwindowicon"), true},
    {QLatin1String("reverse"), false},
    {QLatin1String("session"), true},
    {QLatin1String("style"), true, true},
    {QLatin1String("stylesheet"), true, true},
    {QLatin1String("widgetcount"), false},
    {QLatin1String("platform"), true},
    {QLatin1String("platformpluginpath"), true},
    {QLatin1String("platformtheme"), true},
    {QLatin1String("plugin"), true},
};

// The arguments without Qt's own options, which the application object takes out later on.
// A Qt option in a form that Qt would not read stays, to be refused like any unknown option.
QStringList withoutQtOptions(const QStringList &arguments)
{
    QStringList kept;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        const auto taken =
            std::find_if(std::begin(qtOptions), std::end(qtOptions), [&](const QtOption &option) {
                if (!argument.startsWith(u'-'))
                    return false;
                const QStringView word =
                    QStringView(argument).sliced(argument.startsWith(u"--") ? 2 : 1);
                return word == option.name || (option.takesEquals && word.startsWith(option.name) &&
                                               word.sliced(option.name.size()).startsWith(u'='));
            });
        if (i == 0 || taken == std::end(qtOptions)) {
            kept << argument;
            continue;
        }
        // Qt takes the next argument as the value, whatever it looks like.
        if (taken->hasValue && !argument.contains(u'=') && i + 1 < arguments.size())
            ++i;
    }
    return kept;
}

CommandLine tell(const QString &text, int exitStatus)
{
    return {.run = false,
            .portName = {},
            .text = text,
            .exitStatus = exitStatus,
            .baudRate = {},
            .inDocuments = false,
            .waypointFile = {}};
}

// Turns --port's value, as the parser read it, back into the name the user gave.
using NameFromText = platform::NativeName (*)(const QString &);

CommandLine parseText(const QStringList &arguments, NameFromText portName)
{
    QCommandLineParser parser;
    const QCommandLineOption port(QStringLiteral("port"), QString(), QStringLiteral("NAME"));
    const QCommandLineOption help(
        QStringList{QStringLiteral("h"), QStringLiteral("help"), QStringLiteral("?")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    const QCommandLineOption documents(QStringLiteral("documents"));
    const QCommandLineOption baud(QStringLiteral("baud"), QString(), QStringLiteral("N"));
    parser.addOptions({port, help, version, documents, baud});
    // Read as long options, so that -port is one name rather than four letters.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);

    const QStringList kept = withoutQtOptions(arguments);
    const QString needsName =
        CommandLineWords::tr("The option --port needs a port's name.\n\n") + usage();
    // Told as an empty value is, rather than in the parser's own words.
    if (kept.size() > 1 && (kept.last() == u"--port" || kept.last() == u"-port"))
        return tell(needsName, usageErrorStatus);
    if (!parser.parse(kept))
        return tell(parser.errorText() + QLatin1String("\n\n") + usage(), usageErrorStatus);
    if (parser.positionalArguments().size() > 1) {
        return tell(CommandLineWords::tr("Unexpected argument '%1'.")
                            .arg(parser.positionalArguments().at(1)) +
                        QLatin1String("\n\n") + usage(),
                    usageErrorStatus);
    }
    if (parser.isSet(help))
        return tell(usage(), 0);
    if (parser.isSet(version))
        return tell(QStringLiteral("Pindrel " PINDREL_VERSION "\n"), 0);
    const platform::NativeName chosen =
        parser.isSet(port) ? portName(parser.value(port)) : platform::NativeName();
    if (parser.isSet(port) && chosen.isEmpty())
        return tell(needsName, usageErrorStatus);
    std::optional<qint32> baudRate;
    if (parser.isSet(baud)) {
        const QString value = parser.value(baud);
        bool number = false;
        const int speed = value.toInt(&number);
        // Digits only: toInt() would also take a sign or spaces.
        const bool digits =
            !value.isEmpty() &&
            std::all_of(value.begin(), value.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
        if (!number || !digits || speed <= 0) {
            return tell(CommandLineWords::tr(
                            "The option --baud needs a speed in baud, a whole number such as "
                            "9600; '%1' is not one.\n\n")
                                .arg(value) +
                            usage(),
                        usageErrorStatus);
        }
        baudRate = speed;
    }
    return {.run = true,
            .portName = chosen,
            .text = {},
            .exitStatus = 0,
            .baudRate = baudRate,
            .inDocuments = parser.isSet(documents),
            .waypointFile = parser.positionalArguments().value(0)};
}

} // namespace

CommandLine parseCommandLine(const QList<platform::NativeName> &arguments)
{
#ifdef Q_OS_WIN
    // Wide characters are the system's own form: the text is the name.
    QStringList text;
    for (const platform::NativeName &argument : arguments)
        text << argument.native();
    // Trimmed as the Serial Port window trims what is typed there.
    return parseText(text,
                     [](const QString &value) { return platform::NativeName(value.trimmed()); });
#else
    // Read with each byte as one character, so that --port's value comes back byte for byte.
    // Every option's name is ASCII, so any reading finds the same options; what is told to the
    // user comes from a readable one.
    QStringList bytes;
    QStringList shown;
    for (const platform::NativeName &argument : arguments) {
        bytes << QString::fromLatin1(argument.native());
        shown << platform::displayName(argument);
    }
    // Trimmed as the Serial Port window trims what is typed there; a name that is not text
    // loses only the ASCII spaces around it.
    const NameFromText fromBytes = [](const QString &value) {
        const auto name = platform::NativeName::fromNative(value.toLatin1());
        if (const std::optional<QString> text = name.toText())
            return platform::NativeName(text->trimmed());
        return platform::NativeName::fromNative(name.native().trimmed());
    };
    CommandLine commandLine = parseText(bytes, fromBytes);
    if (!commandLine.run)
        return parseText(shown, fromBytes);
    // A file is opened by its name as the system spells it.
    commandLine.waypointFile = QFile::decodeName(commandLine.waypointFile.toLatin1());
    return commandLine;
#endif
}

QList<platform::NativeName> commandLineArguments(int argc, char *argv[])
{
    QList<platform::NativeName> arguments;
#ifdef Q_OS_WIN
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    int count = 0;
    wchar_t **wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    for (int i = 0; wide != nullptr && i < count; ++i)
        arguments << QString::fromWCharArray(wide[i]);
    ::LocalFree(wide);
#else
    for (int i = 0; i < argc; ++i)
        arguments << platform::NativeName::fromNative(QByteArray(argv[i]));
#endif
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
