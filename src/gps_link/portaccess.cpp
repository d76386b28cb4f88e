#include "gps_link/portaccess.h"

#include <QCoreApplication>
#include <QFile>
#include <QSerialPortInfo>

#include <algorithm>

#ifndef Q_OS_WIN
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#endif

class PortAccess
{
    Q_DECLARE_TR_FUNCTIONS(PortAccess)
};

namespace {

#ifndef Q_OS_WIN
QByteArray devicePath(const QString &location)
{
    return QFile::encodeName(location);
}

QByteArray nativeLocation(const QByteArray &name)
{
    if (name.startsWith('/') || name.startsWith("./") || name.startsWith("../"))
        return name;
    return "/dev/" + name;
}

// QSerialPort locks a port with the file LCK.. followed by its whole path, each / made _: a
// name longer than a file name may be cannot be locked, and its open fails as refused.
bool tooLongToLock(const QByteArray &location)
{
    return location.size() + qsizetype(sizeof("LCK..") - 1) > NAME_MAX;
}

// The groups the system lists for the account, as a new login would take them.
bool accountIsIn(gid_t group)
{
    const passwd *account = ::getpwuid(::getuid());
    if (!account)
        return false;
    std::vector<gid_t> groups(64);
    int count = int(groups.size());
    while (::getgrouplist(account->pw_name, account->pw_gid, groups.data(), &count) < 0) {
        groups.resize(size_t(count) > groups.size() ? size_t(count) : 2 * groups.size());
        count = int(groups.size());
    }
    groups.resize(size_t(count));
    return std::find(groups.begin(), groups.end(), group) != groups.end();
}

// The groups this process took from its login.
bool loginIsIn(gid_t group)
{
    if (::getegid() == group)
        return true;
    std::vector<gid_t> groups(size_t(qMax(::getgroups(0, nullptr), 0)));
    const int count = ::getgroups(int(groups.size()), groups.data());
    groups.resize(size_t(qMax(count, 0)));
    return std::find(groups.begin(), groups.end(), group) != groups.end();
}
#endif

} // namespace

ResolvedPort resolvePort(const platform::NativeName &portName)
{
    const std::optional<QString> text = portName.toText();
#ifdef Q_OS_WIN
    if (text)
        return {.openName = *text, .location = *text, .error = {}};
#else
    const QByteArray location = nativeLocation(portName.native());
    if (text && !tooLongToLock(location))
        return {.openName = *text, .location = QFile::decodeName(location), .error = {}};
    // Opened through the device it leads to, whose name the system made short and as text.
    char *resolved = ::realpath(location.constData(), nullptr);
    if (resolved == nullptr)
        return {.openName = {}, .location = {}, .error = qt_error_string(errno)};
    const auto device = platform::NativeName::fromNative(QByteArray(resolved));
    std::free(resolved);
    if (std::optional<QString> deviceText = device.toText())
        return {.openName = *deviceText, .location = *deviceText, .error = {}};
#endif
    return {.openName = {},
            .location = {},
            .error = PortAccess::tr("Its device's name is not text, and Qt can only open a port "
                                    "by text.")};
}

PortProblem refusalProblem(const QString &location)
{
#ifdef Q_OS_WIN
    Q_UNUSED(location);
    // Windows refuses a port it has given to another program with "Access is denied".
    return PortProblem::InUse;
#else
    return ::access(devicePath(location).constData(), W_OK) == 0 ? PortProblem::InUse
                                                                 : PortProblem::NoAccess;
#endif
}

PortGroup portGroup(const QString &location)
{
#ifdef Q_OS_WIN
    Q_UNUSED(location);
    return {};
#else
    struct stat status = {};
    if (::stat(devicePath(location).constData(), &status) != 0)
        return {};
    const group *owner = ::getgrgid(status.st_gid);
    // Joining root's group is no advice to give, and a group without write access would not help.
    if (!owner || status.st_gid == 0 || !(status.st_mode & S_IWGRP))
        return {};
    return {.name = QString::fromLocal8Bit(owner->gr_name),
            .accountIsMember = accountIsIn(status.st_gid),
            .loginHasIt = loginIsIn(status.st_gid)};
#endif
}

QString serialPortName(const QSerialPortInfo &info)
{
#ifdef Q_OS_WIN
    return info.portName();
#else
    return info.systemLocation();
#endif
}

QStringList presentSerialPorts()
{
    QStringList ports;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        ports << serialPortName(info);
    std::sort(ports.begin(), ports.end(), portNameLess);
    return ports;
}

bool portNameLess(const QString &a, const QString &b)
{
    // Runs of digits compare by their value, everything else character by character: QCollator's
    // numeric mode would do the same only where Qt was built with ICU, or on Windows.
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a.at(i).isDigit() && b.at(j).isDigit()) {
            const qsizetype aStart = i;
            const qsizetype bStart = j;
            while (i < a.size() && a.at(i).isDigit())
                ++i;
            while (j < b.size() && b.at(j).isDigit())
                ++j;
            // Leading zeros do not count towards the value.
            QStringView aDigits = QStringView(a).sliced(aStart, i - aStart);
            QStringView bDigits = QStringView(b).sliced(bStart, j - bStart);
            while (aDigits.size() > 1 && aDigits.front() == u'0')
                aDigits = aDigits.sliced(1);
            while (bDigits.size() > 1 && bDigits.front() == u'0')
                bDigits = bDigits.sliced(1);
            if (aDigits.size() != bDigits.size())
                return aDigits.size() < bDigits.size();
            if (const int order = aDigits.compare(bDigits); order != 0)
                return order < 0;
            continue;
        }
        if (a.at(i) != b.at(j))
            return a.at(i) < b.at(j);
        ++i;
        ++j;
    }
    if (a.size() - i != b.size() - j)
        return a.size() - i < b.size() - j;
    // Equal but for leading zeros: the plain order keeps the sort strict and stable.
    return a < b;
}
