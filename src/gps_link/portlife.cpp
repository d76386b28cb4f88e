#include "gps_link/portlife.h"

#include "gps_link/gpslink.h"

PortLife::PortLife(platform::NativeName portName, QObject *parent, DrainWorker::Step drainStep)
    : QObject(parent), m_link(new GpsLink(std::move(portName), this, std::move(drainStep)))
{
    connect(m_link, &GpsLink::failed, this, [this](const QString &reason, qint64 unsent) {
        setState(State::Closed);
        emit failed(shownPortName(), reason, unsent);
    });
    connect(m_link, &GpsLink::opened, this, &PortLife::opened);
    connect(m_link, &GpsLink::openFailed, this, &PortLife::connectionFailed);
    connect(m_link, &GpsLink::speedRefused, this, [this](qint32 baudRate, const QString &reason) {
        emit speedRefused(shownPortName(), baudRate, reason);
    });
    connect(m_link, &GpsLink::closed, this, &PortLife::linkClosed);
}

PortLife::~PortLife() = default;

bool PortLife::isOpen() const
{
    return m_link->isOpen();
}

platform::NativeName PortLife::portName() const
{
    return m_link->portName();
}

platform::NativeName PortLife::chosenPortName() const
{
    return m_next.value_or(m_link->portName());
}

bool PortLife::isNetwork() const
{
    return m_link->isNetwork();
}

QString PortLife::hostAndPort() const
{
    return m_link->hostAndPort();
}

bool PortLife::isConnecting() const
{
    return m_link->isConnecting();
}

void PortLife::cancelOpen()
{
    m_link->cancelOpen();
}

qint32 PortLife::baudRate() const
{
    return m_link->baudRate();
}

void PortLife::setBaudRate(qint32 baudRate)
{
    m_link->setBaudRate(baudRate);
}

bool PortLife::speedWasRefused() const
{
    return m_link->speedWasRefused();
}

void PortLife::connectionFailed(const QString &reason)
{
    // A close or a move that stopped the connection goes on by itself.
    if (m_state != State::Open)
        return;
    setState(State::Closed);
    if (reason.isEmpty())
        return;
    // From the event loop: this runs inside the socket's own signal, which a message box shown
    // from it would hold.
    QMetaObject::invokeMethod(
        this,
        [this, name = shownPortName(), reason] {
            emit openFailed(name, reason, PortProblem::WrongPort, PortGroup());
        },
        Qt::QueuedConnection);
}

qint64 PortLife::bytesToSend() const
{
    return m_link->bytesToSend();
}

qint64 PortLife::wireMs(qint64 bytes) const
{
    return m_link->wireMs(bytes);
}

bool PortLife::open()
{
    if (m_state != State::Closed)
        return false;
    if (!m_link->open()) {
        emit openFailed(shownPortName(), m_link->errorString(), m_link->openProblem(),
                        m_link->openGroup());
        return false;
    }
    setState(State::Open);
    if (m_link->isConnecting())
        emit connecting();
    return true;
}

bool PortLife::send(const QByteArray &bytes)
{
    if (!m_link->isOpen())
        return false;
    m_link->send(bytes);
    return true;
}

void PortLife::choose(const platform::NativeName &portName)
{
    switch (m_state) {
    case State::Ended:
        return;
    case State::Closed:
        m_link->setPortName(portName);
        return;
    case State::Open:
        if (portName == m_link->portName())
            return;
        m_next = portName;
        setState(State::Closing);
        emit closing();
        m_link->closeWhenSent();
        return;
    case State::Closing:
        // A close for the end opens nothing afterwards.
        if (!m_quitting)
            m_next = portName;
        return;
    }
}

void PortLife::quit()
{
    m_next.reset();
    m_openPending = false;
    switch (m_state) {
    case State::Ended:
    case State::Closed:
        setState(State::Ended);
        emit ended();
        return;
    case State::Open:
        m_quitting = true;
        setState(State::Closing);
        emit closing();
        m_link->closeWhenSent();
        return;
    case State::Closing:
        m_quitting = true;
        return;
    }
}

void PortLife::giveUp()
{
    m_link->giveUp();
}

void PortLife::linkClosed(qint64 unsent, const QString &failure)
{
    setState(State::Closed);
    emit closed(shownPortName(), unsent, failure);
    if (m_quitting) {
        m_quitting = false;
        setState(State::Ended);
        emit ended();
        return;
    }
    // The next port opens from the event loop, after whatever was told of this close, and
    // only if nothing has called it off meanwhile.
    if (const std::optional<platform::NativeName> next = std::exchange(m_next, std::nullopt)) {
        m_link->setPortName(*next);
        m_openPending = true;
        QMetaObject::invokeMethod(this, &PortLife::openNext, Qt::QueuedConnection);
    }
}

void PortLife::openNext()
{
    if (std::exchange(m_openPending, false))
        open();
}

void PortLife::setState(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    emit stateChanged(state);
}
