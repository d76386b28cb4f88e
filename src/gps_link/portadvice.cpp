#include "gps_link/portadvice.h"

#include <QCoreApplication>
#include <QFile>
#include <QSerialPortInfo>

#ifndef Q_OS_WIN
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("PortAdvice", text);
}

#ifndef Q_OS_WIN
// QSerialPort takes short names such as ttyUSB0 as living in /dev.
QByteArray devicePath(const QString &portName)
{
    const QString path =
        portName.startsWith(QLatin1Char('/')) ? portName : QStringLiteral("/dev/") + portName;
    return QFile::encodeName(path);
}

QString noAccessAdvice(const QString &portName)
{
    struct stat status = {};
    if (::stat(devicePath(portName).constData(), &status) != 0)
        return {};
    const group *owner = ::getgrgid(status.st_gid);
    // Joining root's group is no advice to give, and a group without write access would not help.
    if (!owner || status.st_gid == 0 || !(status.st_mode & S_IWGRP))
        return tr("Only its owner may open it: ask whoever looks after this computer for access.");
    const QString group = QString::fromLocal8Bit(owner->gr_name);
    return tr("It belongs to the group %1, and your account is not in it. To join it, run\n"
              "    sudo adduser $USER %1\n"
              "then log out and in again.")
        .arg(group);
}
#endif

} // namespace

PortProblem refusalProblem(const QString &portName)
{
#ifdef Q_OS_WIN
    Q_UNUSED(portName);
    // Windows refuses a port it has given to another program with "Access is denied".
    return PortProblem::InUse;
#else
    return ::access(devicePath(portName).constData(), W_OK) == 0 ? PortProblem::InUse
                                                                 : PortProblem::NoAccess;
#endif
}

QStringList presentSerialPorts()
{
    QStringList ports;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
#ifdef Q_OS_WIN
        ports << info.portName();
#else
        ports << info.systemLocation();
#endif
    }
    ports.sort();
    return ports;
}

QString portAdvice(const QString &portName, PortProblem problem, const QStringList &presentPorts)
{
    switch (problem) {
    case PortProblem::NoAccess:
#ifdef Q_OS_WIN
        return {};
#else
        return noAccessAdvice(portName);
#endif
    case PortProblem::InUse:
        return tr("Another program may be using it: close that program and try again.");
    case PortProblem::WrongPort:
        break;
    }
#ifdef Q_OS_WIN
    const QString example = QStringLiteral("COM3");
#else
    const QString example = QStringLiteral("/dev/ttyUSB0");
#endif
    QStringList others = presentPorts;
    others.removeAll(portName);
    if (others.isEmpty()) {
        return tr("This computer shows no %1serial port. Plug in the receiver or its USB "
                  "adapter, then choose its port with Program → Choose Port, or start Pindrel "
                  "with the port's name, for example:\n"
                  "    pindrel --port %2")
            .arg(presentPorts.isEmpty() ? QString() : tr("other "), example);
    }
    return tr("Serial ports on this computer: %1.\n"
              "To use one of them, choose it with Program → Choose Port, or start Pindrel "
              "with its name, for example:\n"
              "    pindrel --port %2")
        .arg(others.join(QStringLiteral(", ")), others.constFirst());
}
