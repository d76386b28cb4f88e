#include "gps_link/portlife.h"

#include <QMetaObject>
#include <QThread>

namespace {

// How long the life's end waits for the port's thread: the link's own end waits as long for
// its drain, which a purged line lets go at once.
constexpr unsigned long threadJoinMs = 3000;

} // namespace

PortLife::PortLife(platform::NativeName portName, QObject *parent, DrainWorker::Step drainStep,
                   OpenWait openWait)
    : QObject(parent), m_thread(new QThread(this)),
      m_link(new GpsLink(portName, nullptr, std::move(drainStep))), m_openWait(std::move(openWait)),
      m_portName(std::move(portName)), m_baudRate(GpsLink::defaultBaudRate)
{
    qRegisterMetaType<OpenFailure>();
    m_thread->setObjectName(QStringLiteral("port"));
    m_link->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_link, &QObject::deleteLater);
    // Queued, from the port's thread: each arrives from the event loop, in the order told.
    connect(m_link, &GpsLink::opened, this, &PortLife::linkOpened);
    connect(m_link, &GpsLink::openFailed, this, &PortLife::linkOpenFailed);
    connect(m_link, &GpsLink::failed, this, &PortLife::linkFailed);
    connect(m_link, &GpsLink::closed, this, &PortLife::linkClosed);
    connect(m_link, &GpsLink::speedRefused, this,
            [this](qint32 refused, qint32 kept, const QString &reason) {
                // A speed chosen since is the one that counts.
                if (m_baudRate == refused)
                    m_baudRate = kept;
                emit speedRefused(shownPortName(), refused, reason);
            });
    m_thread->start();
}

PortLife::~PortLife()
{
    m_thread->quit();
    // A driver that holds its open even so must not hold the program: the thread is left to
    // the system, which ends it with the process.
    if (!m_thread->wait(QDeadlineTimer(threadJoinMs)))
        m_thread->setParent(nullptr);
}

template <typename Call>
void PortLife::onLink(Call call)
{
    QMetaObject::invokeMethod(m_link, std::move(call), Qt::QueuedConnection);
}

bool PortLife::isOpen() const
{
    return m_state == State::Open || m_state == State::Closing;
}

platform::NativeName PortLife::chosenPortName() const
{
    return m_next.value_or(m_portName);
}

bool PortLife::isNetwork() const
{
    return isNetworkName(m_portName);
}

QString PortLife::hostAndPort() const
{
    return shownHostAndPort(shownPortName());
}

void PortLife::cancelOpen()
{
    if (m_state != State::Opening)
        return;
    ++m_abandonedOpens;
    onLink([link = m_link] { link->abandonOpen(); });
    setState(State::Closed);
}

void PortLife::setBaudRate(qint32 baudRate)
{
    m_baudRate = baudRate;
    onLink([link = m_link, baudRate] { link->setBaudRate(baudRate); });
}

qint64 PortLife::bytesToSend() const
{
    const GpsLink::Backlog backlog = m_link->backlog();
    return qMax<qint64>(backlog.toSend + m_given - backlog.given, 0);
}

qint64 PortLife::wireMs(qint64 bytes) const
{
    const qint32 onLine = isOpen() ? qMin(m_link->backlog().wireBaudRate, m_baudRate) : m_baudRate;
    return GpsLink::transmitMs(bytes, onLine);
}

bool PortLife::open()
{
    if (m_state != State::Closed)
        return false;
    m_speedRefused = false;
    setState(State::Opening);
    emit opening();
    onLink([link = m_link, wait = m_openWait] {
        if (wait)
            wait();
        link->openAndTell();
    });
    return true;
}

void PortLife::linkOpened()
{
    if (m_abandonedOpens > 0) {
        --m_abandonedOpens;
        return;
    }
    setState(State::Open);
    emit opened();
}

void PortLife::linkOpenFailed(const OpenFailure &failure)
{
    if (m_abandonedOpens > 0) {
        --m_abandonedOpens;
        return;
    }
    m_speedRefused = failure.speedRefused;
    setState(State::Closed);
    if (!failure.reason.isEmpty())
        emit openFailed(shownPortName(), failure.reason, failure.problem, failure.group);
}

bool PortLife::send(const QByteArray &bytes)
{
    if (!isOpen())
        return false;
    m_given += bytes.size();
    onLink([link = m_link, bytes] { link->send(bytes); });
    return true;
}

void PortLife::choose(const platform::NativeName &portName)
{
    switch (m_state) {
    case State::Ended:
        return;
    case State::Opening:
        if (portName == m_portName)
            return;
        // The port asked for last is the one opened.
        cancelOpen();
        choose(portName);
        open();
        return;
    case State::Closed:
        m_portName = portName;
        onLink([link = m_link, portName] { link->setPortName(portName); });
        return;
    case State::Open:
        if (portName == m_portName)
            return;
        m_next = portName;
        setState(State::Closing);
        emit closing();
        onLink([link = m_link] { link->closeWhenSent(); });
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
    cancelOpen();
    switch (m_state) {
    case State::Opening:
    case State::Ended:
    case State::Closed:
        setState(State::Ended);
        emit ended();
        return;
    case State::Open:
        m_quitting = true;
        setState(State::Closing);
        emit closing();
        onLink([link = m_link] { link->closeWhenSent(); });
        return;
    case State::Closing:
        m_quitting = true;
        return;
    }
}

void PortLife::giveUp()
{
    if (m_state == State::Closing)
        onLink([link = m_link] { link->giveUp(); });
}

void PortLife::linkFailed(const QString &reason, qint64 unsent)
{
    if (m_state == State::Closing) {
        // The port failed as the close was asked for; the link tells that close at once.
        m_failedWhileClosing = {reason, unsent};
        return;
    }
    if (m_state != State::Open)
        return;
    setState(State::Closed);
    emit failed(shownPortName(), reason, unsent);
}

void PortLife::linkClosed(qint64 unsent, const QString &failure)
{
    if (m_state != State::Closing)
        return;
    QString why = failure;
    if (const auto failed = std::exchange(m_failedWhileClosing, std::nullopt);
        failed && why.isEmpty())
        std::tie(why, unsent) = *failed;
    setState(State::Closed);
    emit closed(shownPortName(), unsent, why);
    if (m_quitting) {
        m_quitting = false;
        setState(State::Ended);
        emit ended();
        return;
    }
    if (const std::optional<platform::NativeName> next = std::exchange(m_next, std::nullopt)) {
        choose(*next);
        // Told from the event loop, after whatever was told of this close.
        open();
    }
}

void PortLife::setState(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    emit stateChanged(state);
}
