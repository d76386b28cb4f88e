#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QList>
#include <QObject>

#include <functional>

class QTimer;

namespace waypointfile {

// What the sender needs of a serial link, and no more, so that any link can carry it.
class PacedLink
{
public:
    virtual ~PacedLink() = default;
    virtual bool isOpen() const = 0;
    // Queues the bytes; they leave while the event loop runs.
    virtual void send(const QByteArray &bytes) = 0;
    // Bytes handed over and not yet on the wire.
    virtual qint64 bytesToSend() const = 0;
    // How long the bytes take on the wire at the link's speed.
    virtual qint64 transmitMs(qint64 bytes) const = 0;
};

// Sends sentences one at a time, with at least a pause between the end of one on the wire and
// the start of the next: receivers that store waypoints drop sentences that come too fast.
class PacedSender : public QObject
{
    Q_OBJECT

public:
    inline static constexpr int defaultPauseMs = 500;
    inline static constexpr int longestPauseMs = 5000;

    enum class Outcome
    {
        Sent,
        Cancelled,
        // The port closed or failed under the send.
        PortLost,
    };
    Q_ENUM(Outcome)

    explicit PacedSender(PacedLink &link, QObject *parent = nullptr);

    // Replaces the timer between sentences: `wait` is told how long to wait and the test calls
    // sendNext() when it likes.
    void setWaitForTests(std::function<void(qint64 ms)> wait) { m_wait = std::move(wait); }

    // Starts sending at once; each sentence goes `times` times before the next. The link must
    // be open.
    void start(QList<QByteArray> sentences, int pauseMs, int times = 1);
    bool isSending() const { return m_sending; }
    // Stops before the next sentence; what has been handed over still goes out.
    void cancel();
    // The link failed with `unsent` bytes not gone out (below 0: some, how many unknown): stop,
    // telling PortLost. A sentence still on its way then is not counted as sent: it may never
    // have reached the receiver.
    void linkLost(qint64 unsent);

    // Whole waypoints handed over (each once or twice, as asked).
    qsizetype sent() const { return m_sent; }
    qsizetype total() const { return m_sentences.size(); }
    // The time the rest takes, pauses included.
    qint64 msLeft() const;

    void sendNext();

signals:
    void progressed(qsizetype sent, qsizetype total);
    void finished(waypointfile::PacedSender::Outcome outcome, qsizetype sent, qsizetype total);

private:
    void finish(Outcome outcome);

    PacedLink &m_link;
    QTimer *m_timer;
    std::function<void(qint64)> m_wait;
    QList<QByteArray> m_sentences;
    int m_pauseMs = defaultPauseMs;
    int m_times = 1;
    // The next sentence to go, counting each repeat.
    qsizetype m_next = 0;
    qsizetype m_sent = 0;
    bool m_sending = false;
    // When the last sentence handed over will have left the wire.
    QDeadlineTimer m_onTheWireUntil;
};

} // namespace waypointfile
