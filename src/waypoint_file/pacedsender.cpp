#include "waypoint_file/pacedsender.h"

#include <QTimer>

namespace waypointfile {

PacedSender::PacedSender(PacedLink &link, QObject *parent)
    : QObject(parent), m_link(link), m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &PacedSender::sendNext);
    m_wait = [this](qint64 ms) { m_timer->start(std::chrono::milliseconds(ms)); };
}

void PacedSender::start(QList<QByteArray> sentences, int pauseMs, int times)
{
    m_sentences = std::move(sentences);
    m_pauseMs = std::clamp(pauseMs, 0, longestPauseMs);
    m_times = std::max(times, 1);
    m_next = 0;
    m_sent = 0;
    m_sending = true;
    sendNext();
}

void PacedSender::sendNext()
{
    if (!m_sending)
        return;
    if (m_next == m_sentences.size() * m_times) {
        finish(Outcome::Sent);
        return;
    }
    if (!m_link.isOpen()) {
        finish(Outcome::PortLost);
        return;
    }
    const QByteArray &sentence = m_sentences[m_next / m_times];
    m_link.send(sentence);
    ++m_next;
    if (m_next % m_times == 0) {
        m_sent = m_next / m_times;
        emit progressed(m_sent, total());
    }
    // Everything handed over and not yet out, this sentence included, is on the wire before
    // the pause begins: bytes sent meanwhile by other commands are waited for too.
    const qint64 onTheWireMs = m_link.transmitMs(m_link.bytesToSend());
    m_onTheWireUntil.setRemainingTime(onTheWireMs, Qt::PreciseTimer);
    m_wait(onTheWireMs + m_pauseMs);
}

qint64 PacedSender::msLeft() const
{
    if (!m_sending)
        return 0;
    qint64 ms = 0;
    for (qsizetype i = m_next; i < m_sentences.size() * m_times; ++i)
        ms += m_link.transmitMs(m_sentences[i / m_times].size()) + m_pauseMs;
    return ms + m_link.transmitMs(m_link.bytesToSend());
}

void PacedSender::cancel()
{
    if (m_sending)
        finish(Outcome::Cancelled);
}

void PacedSender::linkLost(qint64 unsent)
{
    if (!m_sending)
        return;
    // The link's count is the surer: a port on a thread of its own may have failed before the
    // time on the wire was even reckoned.
    if (m_next > 0 && (unsent != 0 || !m_onTheWireUntil.hasExpired())) {
        m_sent = (m_next - 1) / m_times;
        emit progressed(m_sent, total());
    }
    finish(Outcome::PortLost);
}

void PacedSender::finish(Outcome outcome)
{
    m_timer->stop();
    m_sending = false;
    emit finished(outcome, m_sent, total());
}

} // namespace waypointfile
