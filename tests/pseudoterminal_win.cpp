#include "pseudoterminal.h"

#include <winsock2.h>

namespace {

// Connects to the Linux peer that the test was started under, one connection per pair.
SOCKET connectToPeer()
{
    WSADATA data;
    const int port = qEnvironmentVariableIntValue("PINDREL_PTY_PEER");
    if (port == 0 || ::WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return INVALID_SOCKET;
    const SOCKET peer = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = ::htons(u_short(port));
    address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
    if (peer != INVALID_SOCKET &&
        ::connect(peer, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0) {
        return peer;
    }
    if (peer != INVALID_SOCKET)
        ::closesocket(peer);
    return INVALID_SOCKET;
}

} // namespace

PseudoTerminal::PseudoTerminal() : m_socket(connectToPeer())
{
    if (isValid() && request({}) != "ok")
        hangUp();
}

PseudoTerminal::~PseudoTerminal()
{
    if (isValid())
        ::closesocket(m_socket);
}

QString PseudoTerminal::portNameIn(const QString &)
{
    return QStringLiteral("COM1");
}

bool PseudoTerminal::isValid() const
{
    return m_socket != INVALID_SOCKET;
}

bool PseudoTerminal::linkAs(const QString &portName) const
{
    return portName == u"COM1" && request("link") == "ok";
}

LineSettings PseudoTerminal::settings() const
{
    const QList<QByteArray> words = request("settings").split(' ');
    if (words.size() != 4)
        return {};
    return {words[0].toInt(), words[1].toInt(), words[2] == "1", words[3] == "1"};
}

void PseudoTerminal::setSpeed(int speed)
{
    request("speed " + QByteArray::number(speed));
}

qsizetype PseudoTerminal::receivedSize()
{
    if (isValid())
        m_received += QByteArray::fromHex(request("take"));
    return m_received.size();
}

void PseudoTerminal::setReading(bool reading)
{
    request(reading ? "reading 1" : "reading 0");
}

void PseudoTerminal::hangUp()
{
    request("hangup");
}

QByteArray PseudoTerminal::takeReceived()
{
    receivedSize();
    return std::exchange(m_received, {});
}

// Sends one command line (none for the greeting) and returns the peer's one-line answer.
QByteArray PseudoTerminal::request(const QByteArray &command) const
{
    if (!isValid())
        return {};
    if (!command.isEmpty()) {
        const QByteArray line = command + '\n';
        if (::send(m_socket, line.constData(), int(line.size()), 0) != int(line.size()))
            return {};
    }
    char chunk[4096];
    qsizetype end = 0;
    while ((end = m_incoming.indexOf('\n')) < 0) {
        const int n = ::recv(m_socket, chunk, sizeof chunk, 0);
        if (n <= 0)
            return {};
        m_incoming.append(chunk, n);
    }
    const QByteArray answer = m_incoming.left(end);
    m_incoming.remove(0, end + 1);
    return answer;
}
