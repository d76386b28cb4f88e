#include "ui/rememberedchoices.h"

#include "gps_link/gpslink.h"
#include "platform/settingsstore.h"
#include "ui/portname.h"
#include "waypoint_file/pacedsender.h"
#include "waypoint_file/receivernames.h"

#include <QMutex>
#include <QThread>
#include <QTimer>

#include <future>

namespace {

const QString portKey = QStringLiteral("port");
const QString speedKey = QStringLiteral("speed");
const QString latitudeKey = QStringLiteral("latitudeHemisphere");
const QString longitudeKey = QStringLiteral("longitudeHemisphere");
const QString nameLengthKey = QStringLiteral("waypointNameLength");
const QString pauseKey = QStringLiteral("waypointPauseMs");

QString notAnswered(std::chrono::milliseconds waited)
{
    const int seconds = int(std::chrono::ceil<std::chrono::seconds>(waited).count());
    return RememberedChoices::tr("It did not answer within %n second(s).", nullptr, seconds);
}

} // namespace

// How the worker thread reaches back: never once the choices are gone, though the thread may
// outlive them when the file system does not answer.
struct RememberedChoices::Channel
{
    QMutex mutex;
    RememberedChoices *owner = nullptr;
};

RememberedChoices::RememberedChoices(QString settingsFile, QObject *parent)
    : RememberedChoices(std::make_shared<const platform::SettingsStore>(
                            settingsFile.isEmpty()
                                ? platform::SettingsStore::forUser()
                                : platform::SettingsStore(std::move(settingsFile))),
                        parent)
{}

RememberedChoices::RememberedChoices(std::shared_ptr<const platform::SettingsStore> store,
                                     QObject *parent)
    : QObject(parent), m_store(std::move(store)), m_channel(std::make_shared<Channel>()),
      m_thread(new QThread), m_worker(new QObject)
{
    m_channel->owner = this;
    m_thread->setObjectName(QStringLiteral("RememberedChoices"));
    m_worker->moveToThread(m_thread);
    // A thread left behind at the end (below) tidies itself up if it ever finishes.
    connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    connect(m_thread, &QThread::finished, m_thread, &QObject::deleteLater);
    m_thread->start();

    auto read = std::make_shared<std::promise<platform::SettingsStore::Contents>>();
    std::future<platform::SettingsStore::Contents> contents = read->get_future();
    QMetaObject::invokeMethod(m_worker,
                              [store = m_store, read] { read->set_value(store->read()); });
    QString problem = notAnswered(readWait);
    if (contents.wait_for(readWait) == std::future_status::ready) {
        platform::SettingsStore::Contents answer = contents.get();
        problem = answer.problem;
        if (problem.isEmpty())
            m_values = std::move(answer.values);
    }
    if (problem.isEmpty())
        return;
    const QString text =
        (m_store->isRegistry() ? tr("Pindrel could not read its choices from the registry key %1, "
                                    "so it starts with its usual ones.\n\n%2")
                               : tr("Pindrel could not read its choices from its settings file %1, "
                                    "so it starts with its usual ones.\n\n%2"))
            .arg(m_store->shownPlace(), problem);
    QTimer::singleShot(0, this, [this, text] { emit this->problem(text); });
}

RememberedChoices::~RememberedChoices()
{
    {
        const QMutexLocker locker(&m_channel->mutex);
        m_channel->owner = nullptr;
    }
    // Asked after the writes already asked for, so that those still go to the file.
    QMetaObject::invokeMethod(m_worker, [thread = m_thread] { thread->quit(); });
    // The worker went with its thread's end.
    if (m_thread->wait(QDeadlineTimer(endWait.count())))
        delete m_thread;
    // Otherwise the thread is left to the end of the process: deleting it would end the program
    // with a fatal error, and waiting on would hang it.
}

QString RememberedChoices::value(const QString &key) const
{
    return m_values.value(key).toString();
}

void RememberedChoices::write(const QString &key, const QString &value)
{
    m_values.insert(key, value);
    const quint64 serial = ++m_asked;
    QMetaObject::invokeMethod(m_worker, [store = m_store, channel = m_channel, key, value, serial] {
        const QString failure = store->write(key, value);
        const QMutexLocker locker(&channel->mutex);
        if (RememberedChoices *owner = channel->owner) {
            QMetaObject::invokeMethod(
                owner, [owner, serial, failure] { owner->written(serial, failure); },
                Qt::QueuedConnection);
        }
    });
    QTimer::singleShot(writeWait, this, [this, serial] {
        if (m_written < serial)
            tellUnwritten(notAnswered(writeWait));
    });
}

void RememberedChoices::written(quint64 serial, const QString &failure)
{
    m_written = serial;
    if (!failure.isEmpty())
        tellUnwritten(failure);
}

void RememberedChoices::tellUnwritten(const QString &reason)
{
    if (m_toldUnwritten)
        return;
    m_toldUnwritten = true;
    emit problem((m_store->isRegistry()
                      ? tr("Pindrel could not remember your choice in the registry key %1: it "
                           "holds until Pindrel ends.\n\n%2")
                      : tr("Pindrel could not remember your choice in its settings file %1: it "
                           "holds until Pindrel ends.\n\n%2"))
                     .arg(m_store->shownPlace(), reason));
}

QString RememberedChoices::portName() const
{
    // A name edited in by hand that the port dialog would refuse counts as no choice.
    const QString remembered = value(portKey);
    return remembered.isEmpty() || !ui::portNameProblem(remembered).isEmpty()
               ? GpsLink::firstSerialPortName()
               : remembered;
}

void RememberedChoices::setPortName(const QString &portName)
{
    write(portKey, portName);
}

qint32 RememberedChoices::baudRate() const
{
    // Anything but a whole number above 0, edited in by hand, counts as no choice.
    bool number = false;
    const int stored = value(speedKey).toInt(&number);
    return number && stored > 0 ? stored : GpsLink::defaultBaudRate;
}

void RememberedChoices::setBaudRate(qint32 baudRate)
{
    write(speedKey, QString::number(baudRate));
}

QChar RememberedChoices::storedLetter(const QString &key, QChar fallback, QChar other) const
{
    // Anything but the two letters, edited in by hand, counts as no choice.
    return value(key) == QString(other) ? other : fallback;
}

QChar RememberedChoices::latitudeHemisphere() const
{
    return storedLetter(latitudeKey, u'N', u'S');
}

void RememberedChoices::setLatitudeHemisphere(QChar letter)
{
    write(latitudeKey, letter);
}

QChar RememberedChoices::longitudeHemisphere() const
{
    return storedLetter(longitudeKey, u'W', u'E');
}

void RememberedChoices::setLongitudeHemisphere(QChar letter)
{
    write(longitudeKey, letter);
}

int RememberedChoices::storedNumber(const QString &key, int fallback, int lowest, int highest) const
{
    // A value edited in by hand that is no number, or out of range, counts as no choice.
    bool ok = false;
    const int stored = value(key).toInt(&ok);
    return ok && stored >= lowest && stored <= highest ? stored : fallback;
}

int RememberedChoices::waypointNameLength() const
{
    return storedNumber(nameLengthKey, waypointfile::defaultNameLength, waypointfile::wholeNames,
                        waypointfile::longestNameLength);
}

void RememberedChoices::setWaypointNameLength(int length)
{
    write(nameLengthKey, QString::number(length));
}

int RememberedChoices::waypointPauseMs() const
{
    return storedNumber(pauseKey, waypointfile::PacedSender::defaultPauseMs, 0,
                        waypointfile::PacedSender::longestPauseMs);
}

void RememberedChoices::setWaypointPauseMs(int ms)
{
    write(pauseKey, QString::number(ms));
}
