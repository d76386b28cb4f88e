#include "ui/rememberedchoices.h"

#include "gps_link/gpslink.h"
#include "waypoint_file/pacedsender.h"
#include "waypoint_file/receivernames.h"

#include <QSettings>

#include <memory>

namespace {

const QString portKey = QStringLiteral("port");
const QString latitudeKey = QStringLiteral("latitudeHemisphere");
const QString longitudeKey = QStringLiteral("longitudeHemisphere");
const QString nameLengthKey = QStringLiteral("waypointNameLength");
const QString pauseKey = QStringLiteral("waypointPauseMs");

} // namespace

RememberedChoices::RememberedChoices(QString settingsFile) : m_settingsFile(std::move(settingsFile))
{}

std::unique_ptr<QSettings> RememberedChoices::settings() const
{
    if (m_settingsFile.isEmpty())
        return std::make_unique<QSettings>(QStringLiteral("Pindrel"), QStringLiteral("Pindrel"));
    return std::make_unique<QSettings>(m_settingsFile, QSettings::IniFormat);
}

void RememberedChoices::write(const QString &key, const QString &value) const
{
    const auto stored = settings();
    stored->setValue(key, value);
    // Written now rather than when the object goes, so that the choice is on the disk at once.
    stored->sync();
}

QString RememberedChoices::portName() const
{
    const QString remembered = settings()->value(portKey).toString();
    return remembered.isEmpty() ? GpsLink::firstSerialPortName() : remembered;
}

void RememberedChoices::setPortName(const QString &portName)
{
    write(portKey, portName);
}

QChar RememberedChoices::storedLetter(const QString &key, QChar fallback, QChar other) const
{
    // Anything but the two letters, edited in by hand, counts as no choice.
    const QString stored = settings()->value(key).toString();
    return stored == QString(other) ? other : fallback;
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
    const int stored = settings()->value(key).toString().toInt(&ok);
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
