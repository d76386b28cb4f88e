#pragma once

#include "platform/nativename.h"

#include <QString>
#include <QStringList>

class QSerialPortInfo;

// What a user can do about a serial port that would not open.
enum class PortProblem
{
    // Missing, or no serial port: another port has to be chosen.
    WrongPort,
    // The user's account may not open the device.
    NoAccess,
    // The device may be opened, but another program holds it.
    InUse,
};

// Who besides its owner may open a device, and where the user's account stands with them.
struct PortGroup
{
    // Empty when only the owner may write to it (or the group is root's, which no one joins).
    QString name;
    // The system lists the account in the group...
    bool accountIsMember = false;
    // ...and this login has it, which it takes only when it begins.
    bool loginHasIt = false;
};

// A port's name as it is opened and as its refusal is explained, worked out once for both.
struct ResolvedPort
{
    // Given to QSerialPort: the name as given, or the device it leads to where Qt could not
    // take the name (not text, or too long for Qt's lock file). Empty when it cannot be opened.
    QString openName;
    // Where the system finds it: what refusalProblem() and portGroup() are asked about.
    QString location;
    // Why it cannot be opened, when openName is empty.
    QString error;
};

ResolvedPort resolvePort(const platform::NativeName &portName);

// Why the system refused a port that exists: the account has no access to it, or another
// program holds it.
PortProblem refusalProblem(const QString &location);

// The group that may open the port, with the account's standing in it; on Windows, where ports
// have no groups, an empty name.
PortGroup portGroup(const QString &location);

// A listed serial port as it would be given to --port: its device path, or a name such as COM3
// on Windows.
QString serialPortName(const QSerialPortInfo &info);

// The serial ports the system lists, as they would be given to --port: device paths, or names
// such as COM3 on Windows; in natural order, COM2 before COM10.
QStringList presentSerialPorts();

// The order in which people count port names: COM2 before COM10, ttyUSB2 before ttyUSB10.
bool portNameLess(const QString &a, const QString &b);
