#pragma once

#include "platform/nativename.h"

#include <QString>
#include <QtGlobal>

#include <optional>

// Where a receiver is reached over the network, from a port name of the form tcp://HOST:PORT
// or udp://HOST:PORT: the way a Wi-Fi NMEA multiplexer or gateway takes sentences.
struct NetworkAddress
{
    enum class Protocol
    {
        Tcp,
        Udp,
    };

    // The port registered for NMEA 0183 over the network, taken when none is given.
    static constexpr quint16 nmeaPort = 10110;

    Protocol protocol = Protocol::Tcp;
    // A host name or an address, IPv6 without its brackets.
    QString host;
    quint16 port = nmeaPort;

    // HOST:PORT, with an IPv6 address in brackets, as messages show it.
    QString hostAndPort() const;
};

// Whether the name asks for the network at all (tcp:// or udp://), well formed or not.
bool isNetworkName(const QString &portName);
// The same, of a name in the system's own form: one that is not text is a device's.
bool isNetworkName(const platform::NativeName &portName);

// The address in a network port name. A name that asks for the network but is malformed gives
// nothing, and `error` says what is wrong with it.
std::optional<NetworkAddress> parseNetworkAddress(const QString &portName, QString *error);

// A port's name as messages show it: a network address as given, a serial port's readable and
// in the system's separators.
QString shownPortName(const platform::NativeName &portName);

// HOST:PORT of a network port name as shown; empty for any other.
QString shownHostAndPort(const QString &shownName);
