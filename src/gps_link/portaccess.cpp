#include "gps_link/portaccess.h"

#include <QFile>
#include <QSerialPortInfo>

#include <algorithm>

#ifndef Q_OS_WIN
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#endif

namespace {

#ifndef Q_OS_WIN
// QSerialPort takes short names such as ttyUSB0 as living in /dev.
QByteArray devicePath(const QString &portName)
{
    const QString path =
        portName.startsWith(QLatin1Char('/')) ? portName : QStringLiteral("/dev/") + portName;
    return QFile::encodeName(path);
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

PortGroup portGroup(const QString &portName)
{
#ifdef Q_OS_WIN
    Q_UNUSED(portName);
    return {};
#else
    struct stat status = {};
    if (::stat(devicePath(portName).constData(), &status) != 0)
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
