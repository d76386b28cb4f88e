#pragma once

#include <QString>
#include <QStringList>

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

// Why the system refused a port that exists: the account has no access to it, or another
// program holds it.
PortProblem refusalProblem(const QString &portName);

// The serial ports the system lists, as they would be given to --port: device paths, or names
// such as COM3 on Windows.
QStringList presentSerialPorts();

// The way forward, in a sentence or two, to follow the system's own reason in a message.
QString portAdvice(const QString &portName, PortProblem problem,
                   const QStringList &presentPorts = presentSerialPorts());
