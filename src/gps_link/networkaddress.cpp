#include "gps_link/networkaddress.h"

#include <QCoreApplication>

#include <algorithm>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("NetworkAddress", text);
}

constexpr QStringView tcpScheme = u"tcp://";
constexpr QStringView udpScheme = u"udp://";

} // namespace

QString NetworkAddress::hostAndPort() const
{
    const QString shownHost = host.contains(u':') ? u'[' + host + u']' : host;
    return shownHost + u':' + QString::number(port);
}

bool isNetworkName(const QString &portName)
{
    return portName.startsWith(tcpScheme, Qt::CaseInsensitive) ||
           portName.startsWith(udpScheme, Qt::CaseInsensitive);
}

bool isNetworkName(const platform::NativeName &portName)
{
    const std::optional<QString> text = portName.toText();
    return text && isNetworkName(*text);
}

std::optional<NetworkAddress> parseNetworkAddress(const QString &portName, QString *error)
{
    if (!isNetworkName(portName)) {
        *error = tr("It does not begin with tcp:// or udp://.");
        return std::nullopt;
    }
    NetworkAddress address;
    address.protocol = portName.startsWith(udpScheme, Qt::CaseInsensitive)
                           ? NetworkAddress::Protocol::Udp
                           : NetworkAddress::Protocol::Tcp;
    QStringView rest = QStringView(portName).sliced(tcpScheme.size());
    // A slash after the address, as a browser would add, says nothing more.
    if (rest.endsWith(u'/'))
        rest.chop(1);
    QStringView portText;
    if (rest.startsWith(u'[')) {
        const qsizetype close = rest.indexOf(u']');
        if (close < 0) {
            *error = tr("Its IPv6 address has no closing bracket.");
            return std::nullopt;
        }
        address.host = rest.sliced(1, close - 1).toString();
        const QStringView after = rest.sliced(close + 1);
        if (!after.isEmpty() && !after.startsWith(u':')) {
            *error = tr("After the IPv6 address in brackets only :PORT may follow.");
            return std::nullopt;
        }
        portText = after.isEmpty() ? QStringView() : after.sliced(1);
        if (!address.host.contains(u':')) {
            *error = tr("Only an IPv6 address goes in brackets.");
            return std::nullopt;
        }
    } else {
        const qsizetype colon = rest.indexOf(u':');
        if (colon >= 0 && rest.indexOf(u':', colon + 1) >= 0) {
            *error = tr("An IPv6 address goes in brackets, as in tcp://[fd00::1]:10110.");
            return std::nullopt;
        }
        address.host = (colon < 0 ? rest : rest.first(colon)).toString();
        portText = colon < 0 ? QStringView() : rest.sliced(colon + 1);
        if (colon >= 0 && portText.isEmpty()) {
            *error = tr("A port number must follow the colon.");
            return std::nullopt;
        }
    }
    if (address.host.isEmpty() || address.host.contains(u'/') || address.host.contains(u' ')) {
        *error = tr("It names no host: write tcp://HOST:PORT or udp://HOST:PORT.");
        return std::nullopt;
    }
    if (!portText.isEmpty()) {
        bool number = false;
        const uint port = portText.toUInt(&number);
        // Digits only: toUInt() would also take a sign or spaces.
        const bool digits =
            std::all_of(portText.begin(), portText.end(), [](QChar c) { return c.isDigit(); });
        if (!number || !digits || port == 0 || port > 65535) {
            *error = tr("Its port, %1, is not a number from 1 to 65535.").arg(portText);
            return std::nullopt;
        }
        address.port = quint16(port);
    }
    return address;
}

QString shownPortName(const platform::NativeName &portName)
{
    return isNetworkName(portName) ? *portName.toText() : platform::displayName(portName);
}

QString shownHostAndPort(const QString &shownName)
{
    QString error;
    const std::optional<NetworkAddress> address =
        isNetworkName(shownName) ? parseNetworkAddress(shownName, &error) : std::nullopt;
    return address ? address->hostAndPort() : QString();
}
