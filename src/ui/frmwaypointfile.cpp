#include "ui/frmwaypointfile.h"

#include "gps_link/portlife.h"
#include "platform/nativename.h"
#include "ui/pictures.h"
#include "ui/rememberedchoices.h"
#include "ui/waypointlistmodel.h"
#include "waypoint_file/receivernames.h"
#include "waypoint_file/waypointfile.h"
#include "waypoint_log/waypointlog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// How many left-out lines the window names; the rest are counted.
constexpr qsizetype leftOutNamed = 3;
constexpr int progressSteps = 1000;
constexpr std::chrono::milliseconds progressInterval{100};

QString minutesAndSeconds(qint64 ms)
{
    const qint64 seconds = (ms + 999) / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

// What the reading thread and the window share; the thread keeps it alive should the window go
// first.
struct frmWaypointFile::Reading
{
    waypointfile::ReadingControl control;
    qint64 size = 0;
    int nameLength = waypointfile::defaultNameLength;
    waypointfile::FileWaypoints result;
    WaypointListModel::Rows rows;
};

// The program's link, as the paced sender sees it.
class frmWaypointFile::Link : public waypointfile::PacedLink
{
public:
    explicit Link(PortLife &port) : m_port(port) {}
    // A port closing, to move or to end, takes no new waypoints.
    bool isOpen() const override { return m_port.state() == PortLife::State::Open; }
    void send(const QByteArray &bytes) override { m_port.send(bytes); }
    qint64 bytesToSend() const override { return m_port.bytesToSend(); }
    qint64 transmitMs(qint64 bytes) const override { return m_port.wireMs(bytes); }

private:
    PortLife &m_port;
};

frmWaypointFile::frmWaypointFile(const QString &filePath, PortLife &port, WaypointLog &log,
                                 RememberedChoices &choices, Services services, QWidget *parent)
    : QWidget(parent, Qt::Window), m_filePath(filePath), m_port(port), m_log(log),
      m_services(std::move(services)), m_choices(choices),
      m_pacedLink(std::make_unique<Link>(port)),
      m_sender(new waypointfile::PacedSender(*m_pacedLink, this)),
      m_reading(std::make_shared<Reading>()), m_progressTimer(new QTimer(this)),
      m_model(new WaypointListModel(this))
{
    setObjectName(QStringLiteral("frmWaypointFile"));
    setWindowTitle(tr("Waypoints - %1").arg(QFileInfo(filePath).fileName()));
    setWindowIcon(pictures::programIcon());
    createControls();

    connect(m_sender, &waypointfile::PacedSender::progressed, this, &frmWaypointFile::showProgress);
    connect(m_sender, &waypointfile::PacedSender::finished, this, &frmWaypointFile::sendDone);
    connect(&m_port, &PortLife::failed, m_sender,
            [sender = m_sender](const QString &, const QString &, qint64 unsent) {
                sender->linkLost(unsent);
            });
    connect(m_progressTimer, &QTimer::timeout, this, &frmWaypointFile::showProgress);
    m_progressTimer->setInterval(progressInterval);

    // Read on a thread of its own, so that a file of any size leaves the window painting and
    // the Cancel button working.
    m_reading->size = QFileInfo(filePath).size();
    m_reading->nameLength = m_nameLength->value();
    m_thread = QThread::create([reading = m_reading, filePath] {
        // A pipe or a device could keep the reader waiting for ever, and the window with it.
        if (QFileInfo(filePath).exists() && !QFileInfo(filePath).isFile()) {
            reading->result.error = QCoreApplication::translate(
                "frmWaypointFile", "It is not a file of waypoints but a folder or a device.");
            return;
        }
        QFile file(filePath);
        if (!file.open(QIODevice::ReadOnly)) {
            reading->result.error =
                QCoreApplication::translate("frmWaypointFile", "The file could not be opened: %1")
                    .arg(file.errorString());
            return;
        }
        reading->result = waypointfile::read(file, reading->control);
        if (reading->result.error.isEmpty() && !reading->result.cancelled &&
            !reading->control.cancel) {
            reading->rows = WaypointListModel::prepare(std::exchange(reading->result.waypoints, {}),
                                                       reading->nameLength);
        }
    });
    m_thread->setParent(this);
    connect(m_thread, &QThread::finished, this, &frmWaypointFile::readingDone);
    setBusy(true);
    m_status->setText(tr("Reading %1...").arg(platform::displayName(filePath)));
    m_progressTimer->start();
    m_thread->start();
}

frmWaypointFile::~frmWaypointFile()
{
    m_reading->control.cancel = true;
    m_thread->wait();
}

void frmWaypointFile::createControls()
{
    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("tblWaypoints"));
    m_table->setModel(m_model);
    // Fixed heights and widths: a list of any length scrolls without measuring its rows.
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed);
    const QFontMetrics metrics = fontMetrics();
    m_table->setColumnWidth(WaypointListModel::NameColumn,
                            metrics.horizontalAdvance(QStringLiteral("WWWWWWWWWW")) + 40);
    m_table->setColumnWidth(
        WaypointListModel::PositionColumn,
        metrics.horizontalAdvance(QStringLiteral("00° 00.0000′ N, 000° 00.0000′ W")) + 16);
    m_table->setColumnWidth(
        WaypointListModel::SentenceColumn,
        metrics.horizontalAdvance(QStringLiteral("$GPWPL,0000.0000,N,00000.0000,W,WWWWWW*00")) +
            16);

    m_nameLength = new QSpinBox(this);
    m_nameLength->setObjectName(QStringLiteral("spnNameLength"));
    m_nameLength->setRange(waypointfile::wholeNames, waypointfile::longestNameLength);
    m_nameLength->setSpecialValueText(tr("whole"));
    m_nameLength->setValue(m_choices.waypointNameLength());
    m_pause = new QSpinBox(this);
    m_pause->setObjectName(QStringLiteral("spnPause"));
    m_pause->setRange(0, waypointfile::PacedSender::longestPauseMs);
    m_pause->setSingleStep(100);
    m_pause->setSuffix(tr(" ms"));
    m_pause->setValue(m_choices.waypointPauseMs());
    m_twice = new QCheckBox(tr("Send each &twice"), this);
    m_twice->setObjectName(QStringLiteral("chkTwice"));

    m_send = new QPushButton(tr("&Send"), this);
    m_send->setObjectName(QStringLiteral("cmdSend"));
    m_save = new QPushButton(tr("Sa&ve"), this);
    m_save->setObjectName(QStringLiteral("cmdSave"));
    m_cancel = new QPushButton(tr("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cmdCancel"));
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("barProgress"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblStatus"));
    m_leftOut = new QLabel(this);
    m_leftOut->setObjectName(QStringLiteral("lblLeftOut"));
    m_leftOut->setWordWrap(true);
    m_leftOut->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_leftOut->hide();

    auto choices = new QFormLayout;
    choices->addRow(tr("&Name length:"), m_nameLength);
    choices->addRow(tr("&Pause:"), m_pause);
    choices->addRow(QString(), m_twice);
    auto buttons = new QHBoxLayout;
    buttons->addLayout(choices);
    buttons->addStretch(1);
    buttons->addWidget(m_send, 0, Qt::AlignBottom);
    buttons->addWidget(m_save, 0, Qt::AlignBottom);
    auto progress = new QHBoxLayout;
    progress->addWidget(m_progress, 1);
    progress->addWidget(m_cancel);
    auto all = new QVBoxLayout(this);
    all->addWidget(m_table, 1);
    all->addWidget(m_leftOut);
    all->addLayout(buttons);
    all->addWidget(m_status);
    all->addLayout(progress);

    connect(m_send, &QPushButton::clicked, this, &frmWaypointFile::cmdSend_Click);
    connect(m_save, &QPushButton::clicked, this, &frmWaypointFile::cmdSave_Click);
    connect(m_cancel, &QPushButton::clicked, this, &frmWaypointFile::cmdCancel_Click);
    connect(m_nameLength, &QSpinBox::valueChanged, this, [this](int length) {
        m_choices.setWaypointNameLength(length);
        m_model->setNameLength(length);
    });
    connect(m_pause, &QSpinBox::valueChanged, this,
            [this](int ms) { m_choices.setWaypointPauseMs(ms); });
    connect(m_model, &WaypointListModel::tickedCountChanged, this, [this](qsizetype ticked) {
        if (!isReading() && !isSending())
            m_status->setText(
                tr("%n waypoint(s) ticked of %1.", nullptr, int(ticked)).arg(m_model->rowCount()));
    });
    resize(m_table->horizontalHeader()->length() + 60, 480);
}

bool frmWaypointFile::isReading() const
{
    return !m_readingDone;
}

bool frmWaypointFile::isSending() const
{
    return m_sender->isSending();
}

void frmWaypointFile::setBusy(bool busy)
{
    m_send->setEnabled(!busy);
    m_save->setEnabled(!busy);
    m_nameLength->setEnabled(!busy);
    m_table->setEditTriggers(busy ? QAbstractItemView::NoEditTriggers
                                  : QAbstractItemView::DoubleClicked |
                                        QAbstractItemView::EditKeyPressed |
                                        QAbstractItemView::AnyKeyPressed);
    m_progress->setVisible(busy);
    m_cancel->setVisible(busy);
}

void frmWaypointFile::showProgress()
{
    if (isReading()) {
        m_progress->setRange(0, progressSteps);
        const qint64 size = std::max<qint64>(m_reading->size, 1);
        m_progress->setValue(int(
            std::min<qint64>(m_reading->control.bytesRead * progressSteps / size, progressSteps)));
        return;
    }
    if (!isSending())
        return;
    m_progress->setRange(0, int(m_sender->total()));
    m_progress->setValue(int(m_sender->sent()));
    m_status->setText(tr("%1 of %n waypoint(s) sent, %2 left.", nullptr, int(m_sender->total()))
                          .arg(m_sender->sent())
                          .arg(minutesAndSeconds(m_sender->msLeft())));
}

void frmWaypointFile::readingDone()
{
    m_readingDone = true;
    m_progressTimer->stop();
    setBusy(false);
    waypointfile::FileWaypoints &file = m_reading->result;
    if (file.cancelled) {
        m_status->setText(tr("Reading was cancelled: nothing is offered."));
        m_send->setEnabled(false);
        m_save->setEnabled(false);
        emit loaded(false);
        return;
    }
    if (!file.error.isEmpty()) {
        m_services.message(this, tr("The waypoints of %1 could not be read.\n\n%2")
                                     .arg(platform::displayName(m_filePath), file.error));
        emit loaded(false);
        close();
        return;
    }
    m_model->setRows(std::exchange(m_reading->rows, {}));
    // Changed while the file was read: the names follow.
    if (m_nameLength->value() != m_reading->nameLength)
        m_model->setNameLength(m_nameLength->value());
    if (file.leftOutCount > 0) {
        QStringList told;
        for (qsizetype i = 0; i < std::min(leftOutNamed, file.leftOut.size()); ++i) {
            QString reason = file.leftOut[i].reason;
            if (!reason.endsWith(u'.'))
                reason += u'.';
            told << tr("Line %1: %2").arg(file.leftOut[i].line).arg(reason);
        }
        if (file.leftOutCount > leftOutNamed)
            told << tr("And %n more.", nullptr, int(file.leftOutCount - leftOutNamed));
        m_leftOut->setText(
            tr("%n row(s) of the file were left out.", nullptr, int(file.leftOutCount)) + u' ' +
            told.join(u' '));
        m_leftOut->show();
    }
    file = {};
    emit loaded(true);
}

void frmWaypointFile::cmdSend_Click()
{
    if (isReading() || isSending())
        return;
    if (!m_pacedLink->isOpen()) {
        m_services.message(this, tr("Port Not Open!"));
        return;
    }
    const QList<QByteArray> sentences = m_model->tickedSentences();
    if (sentences.isEmpty()) {
        m_services.message(this, tr("No waypoint is ticked: tick the ones to send."));
        return;
    }
    setBusy(true);
    m_sender->start(sentences, m_pause->value(), m_twice->isChecked() ? 2 : 1);
    if (isSending()) {
        showProgress();
        m_progressTimer->start();
    }
}

void frmWaypointFile::sendDone(waypointfile::PacedSender::Outcome outcome, qsizetype sent,
                               qsizetype total)
{
    using Outcome = waypointfile::PacedSender::Outcome;
    m_progressTimer->stop();
    setBusy(false);
    const int unsent = int(total - sent);
    switch (outcome) {
    case Outcome::Sent:
        m_status->setText(tr("All %n waypoint(s) sent.", nullptr, int(total)));
        break;
    case Outcome::Cancelled:
        m_status->setText(
            tr("Cancelled: %1 of %2 sent; %n not sent.", nullptr, unsent).arg(sent).arg(total));
        break;
    case Outcome::PortLost:
        m_status->setText(tr("The port closed: %1 of %2 sent; %n not sent.", nullptr, unsent)
                              .arg(sent)
                              .arg(total));
        break;
    }
    emit sendFinished(outcome);
}

void frmWaypointFile::cmdCancel_Click()
{
    if (isReading())
        m_reading->control.cancel = true;
    else
        m_sender->cancel();
}

qsizetype frmWaypointFile::stopSending()
{
    if (!isSending())
        return 0;
    const qsizetype unsent = m_sender->total() - m_sender->sent();
    m_sender->cancel();
    return unsent;
}

void frmWaypointFile::cmdSave_Click()
{
    if (isReading() || isSending())
        return;
    const QList<QByteArray> sentences = m_model->tickedSentences();
    qsizetype saved = 0;
    for (const QByteArray &sentence : sentences) {
        const QTime time = m_services.clock.time();
        const QDate date = m_services.clock.date();
        if (!m_log.append(sentence, time, date)) {
            m_services.message(this, tr("%1 of %n waypoint(s) were saved; the next could not be "
                                        "saved to %2.\n\n%3",
                                        nullptr, int(sentences.size()))
                                         .arg(saved)
                                         .arg(m_log.filePath(), m_log.errorString()));
            return;
        }
        ++saved;
        if (saved == 1 && m_log.found() != WaypointLog::Found::Log) {
            m_services.message(this, tr("The log file %1 had gone while Pindrel was running; "
                                        "the waypoints are saved to a new log there.")
                                         .arg(m_log.filePath()));
        }
    }
    m_status->setText(tr("%n waypoint(s) saved to %1.", nullptr, int(saved)).arg(m_log.filePath()));
}

void frmWaypointFile::closeEvent(QCloseEvent *event)
{
    // What has been handed over still goes out; the rest stays unsent, as the user asked.
    m_reading->control.cancel = true;
    m_sender->cancel();
    QWidget::closeEvent(event);
}
