#include "ui/portadvice.h"

#include <QCoreApplication>

#include <algorithm>

namespace ui {

namespace {

// The context of the words below, for translators.
class PortAdvice
{
    Q_DECLARE_TR_FUNCTIONS(PortAdvice)
};

QString noAccessAdvice(const PortGroup &group)
{
    if (group.name.isEmpty() || (group.accountIsMember && group.loginHasIt))
        return PortAdvice::tr(
            "Only its owner may open it: ask whoever looks after this computer for access.");
    if (group.accountIsMember) {
        return PortAdvice::tr(
                   "It belongs to the group %1, and your account was added to it after this "
                   "login began. A login takes its groups when it begins: log out and in again, "
                   "then start Pindrel.")
            .arg(group.name);
    }
    return PortAdvice::tr(
               "It belongs to the group %1, and your account is not in it. To join it, run\n"
               "    sudo adduser $USER %1\n"
               "then log out and in again.")
        .arg(group.name);
}

} // namespace

QString portAdvice(const QString &portName, PortProblem problem, const PortGroup &group,
                   const QStringList &presentPorts)
{
    switch (problem) {
    case PortProblem::NoAccess:
        // Windows reports no such refusal: a port it refuses is in use.
        return noAccessAdvice(group);
    case PortProblem::InUse:
        return PortAdvice::tr("Another program may be using it: close that program and try again.");
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
    std::sort(others.begin(), others.end(), portNameLess);
    if (others.isEmpty() && presentPorts.isEmpty()) {
        return PortAdvice::tr(
                   "This computer shows no serial port. Plug in the receiver or its USB adapter, "
                   "then choose its port with Program → Choose Port, or start Pindrel with the "
                   "port's name, for example:\n"
                   "    pindrel --port %1")
            .arg(example);
    }
    if (others.isEmpty()) {
        return PortAdvice::tr(
                   "This computer shows no other serial port. Plug in the receiver or its USB "
                   "adapter, then choose its port with Program → Choose Port, or start Pindrel "
                   "with the port's name, for example:\n"
                   "    pindrel --port %1")
            .arg(example);
    }
    return PortAdvice::tr(
               "Serial ports on this computer: %1.\n"
               "To use one of them, choose it with Program → Choose Port, or start Pindrel "
               "with its name, for example:\n"
               "    pindrel --port %2")
        .arg(others.join(QStringLiteral(", ")), others.constFirst());
}

} // namespace ui
