#include "ui/commandline.h"

#include "gps_link/gpslink.h"
#include "platform/messagebox.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <optional>

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

// Whether the application object has taken Qt's own options out of the arguments yet.
enum class QtOptions
{
    Taken,
    NotYetTaken,
};

// What the arguments ask for; nothing when Qt's options are not yet taken and some argument
// could be one of them, so that only Qt can tell what is left.
std::optional<CommandLine> parseText(const QStringList &arguments, NameFromText portName,
                                     QtOptions qtOptions)
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

    const bool parsed = parser.parse(arguments);
    if (qtOptions == QtOptions::NotYetTaken) {
        // Qt reads every argument that begins with a dash, values and those after "--" too,
        // and takes its options' values whatever they look like: any such argument that is not
        // one of ours may change what the others mean.
        const auto dashed = [](const QStringList &words) {
            return std::any_of(words.begin(), words.end(),
                               [](const QString &word) { return word.startsWith(u'-'); });
        };
        if (!parser.unknownOptionNames().isEmpty() || dashed(parser.values(port)) ||
            dashed(parser.values(baud)) || dashed(parser.positionalArguments()))
            return std::nullopt;
    }
    const QString needsName =
        CommandLineWords::tr("The option --port needs a port's name.\n\n") + usage();
    // Told as an empty value is, rather than in the parser's own words.
    if (arguments.size() > 1 && (arguments.last() == u"--port" || arguments.last() == u"-port"))
        return tell(needsName, usageErrorStatus);
    if (!parsed)
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
    return CommandLine{.run = true,
                       .portName = chosen,
                       .text = {},
                       .exitStatus = 0,
                       .baudRate = baudRate,
                       .inDocuments = parser.isSet(documents),
                       .waypointFile = parser.positionalArguments().value(0)};
}

// Reads the arguments as parseText() does, in the system's own form.
std::optional<CommandLine> parseNames(const QList<platform::NativeName> &arguments,
                                      QtOptions qtOptions)
{
#ifdef Q_OS_WIN
    // Wide characters are the system's own form: the text is the name.
    QStringList text;
    for (const platform::NativeName &argument : arguments)
        text << argument.native();
    // Trimmed as the Serial Port window trims what is typed there.
    return parseText(
        text, [](const QString &value) { return platform::NativeName(value.trimmed()); },
        qtOptions);
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
    std::optional<CommandLine> commandLine = parseText(bytes, fromBytes, qtOptions);
    if (commandLine && !commandLine->run)
        return parseText(shown, fromBytes, qtOptions);
    // A file is opened by its name as the system spells it.
    if (commandLine)
        commandLine->waypointFile = QFile::decodeName(commandLine->waypointFile.toLatin1());
    return commandLine;
#endif
}

} // namespace

CommandLine parseCommandLine(const QList<platform::NativeName> &arguments)
{
    return *parseNames(arguments, QtOptions::Taken);
}

std::optional<CommandLine> answerBeforeQt(const QList<platform::NativeName> &arguments)
{
    std::optional<CommandLine> commandLine = parseNames(arguments, QtOptions::NotYetTaken);
    // A run needs the application object anyway, which reads the arguments again.
    if (commandLine && commandLine->run)
        return std::nullopt;
    return commandLine;
}

QList<platform::NativeName> commandLineArguments(int argc, char *argv[])
{
    QList<platform::NativeName> arguments;
#ifdef Q_OS_WIN
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    // Qt reads the wide command line too, and leaves out the options it has taken.
    if (QCoreApplication::instance() != nullptr) {
        const QStringList left = QCoreApplication::arguments();
        return {left.begin(), left.end()};
    }
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
    // Before the program's own application object, the message box needs one of its own.
    std::optional<QApplication> app;
    if (QCoreApplication::instance() == nullptr)
        app.emplace(argc, argv);
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
