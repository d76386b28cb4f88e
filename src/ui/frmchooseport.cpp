#include "ui/frmchooseport.h"

#include "gps_link/gpslink.h"
#include "gps_link/networkaddress.h"
#include "gps_link/portaccess.h"
#include "ui/portname.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

namespace {

// Wide enough for a device path and the start of its description.
constexpr int listedCharacters = 40;

// The usual speeds of receivers, chart plotters and AIS equipment, the default first.
constexpr qint32 listedSpeeds[] = {GpsLink::defaultBaudRate, 9600, 19200, 38400, 57600, 115200};

// Where a Wi-Fi NMEA multiplexer or gateway usually listens, as the two forms' examples.
const QString tcpExample = QStringLiteral("tcp://192.168.4.1:10110");
const QString udpExample = QStringLiteral("udp://192.168.4.1:10110");

} // namespace

frmChoosePort::frmChoosePort(const QString &currentPort, qint32 currentBaudRate, QWidget *parent)
    : QDialog(parent), m_port(new QComboBox(this)), m_speed(new QComboBox(this)),
      m_problem(new QLabel(this))
{
    setObjectName(QStringLiteral("frmChoosePort"));
    setWindowTitle(tr("Serial Port"));

    m_port->setObjectName(QStringLiteral("cboPort"));
    m_port->setEditable(true);
    // A typed name is taken as it is, never completed into a listed port's description.
    m_port->setCompleter(nullptr);
    m_port->setInsertPolicy(QComboBox::NoInsert);
    // Qt would otherwise cut a longer name at 32767 characters without a word; it is refused
    // whole instead.
    m_port->lineEdit()->setMaxLength(std::numeric_limits<int>::max());
    m_port->setMinimumContentsLength(listedCharacters);
    m_port->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    std::sort(ports.begin(), ports.end(), [](const auto &a, const auto &b) {
        return portNameLess(serialPortName(a), serialPortName(b));
    });
    for (const QSerialPortInfo &info : ports) {
        const QString name = serialPortName(info);
        const QString description = info.description();
        m_port->addItem(description.isEmpty() ? name : tr("%1 — %2").arg(name, description), name);
    }
    m_port->addItem(tr("%1 — example: NMEA over TCP, to a multiplexer").arg(tcpExample),
                    tcpExample);
    m_port->addItem(tr("%1 — example: NMEA over UDP, to a multiplexer").arg(udpExample),
                    udpExample);
    // A listed port shows its description in the list, and only its name once picked.
    const auto showName = [this](int index) {
        if (index >= 0)
            m_port->setEditText(m_port->itemData(index).toString());
    };
    connect(m_port, &QComboBox::currentIndexChanged, this, showName);
    connect(m_port, &QComboBox::activated, this, showName);
    const int current = m_port->findData(currentPort);
    m_port->setCurrentIndex(current);
    m_port->setEditText(currentPort);
    m_port->lineEdit()->selectAll();

    auto label = new QLabel(tr("&Port:"), this);
    label->setObjectName(QStringLiteral("lblPort"));
    label->setBuddy(m_port);

    m_speed->setObjectName(QStringLiteral("cboSpeed"));
    m_speed->setEditable(true);
    m_speed->setCompleter(nullptr);
    m_speed->setInsertPolicy(QComboBox::NoInsert);
    // Any whole number may be typed: whether the port takes it is for the system to say.
    m_speed->setValidator(new QIntValidator(1, std::numeric_limits<int>::max(), m_speed));
    for (const qint32 speed : listedSpeeds)
        m_speed->addItem(QString::number(speed));
    m_speed->setCurrentIndex(m_speed->findText(QString::number(currentBaudRate)));
    m_speed->setEditText(QString::number(currentBaudRate));
    auto speedLabel = new QLabel(tr("&Speed:"), this);
    speedLabel->setObjectName(QStringLiteral("lblSpeed"));
    speedLabel->setBuddy(m_speed);
    auto framing = new QLabel(tr("baud, 8 data bits, no parity, 1 stop bit"), this);
    framing->setObjectName(QStringLiteral("lblFraming"));
    auto speedRow = new QHBoxLayout;
    speedRow->addWidget(m_speed);
    speedRow->addWidget(framing, 1);

    auto buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &frmChoosePort::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &frmChoosePort::reject);
    connect(m_port, &QComboBox::editTextChanged, this, &frmChoosePort::check);
    connect(m_speed, &QComboBox::editTextChanged, this, &frmChoosePort::check);

    m_problem->setObjectName(QStringLiteral("lblPortProblem"));
    m_problem->hide();
    auto form = new QFormLayout;
    form->addRow(label, m_port);
    form->addRow(QString(), m_problem);
    form->addRow(speedLabel, speedRow);
    auto layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    m_port->setFocus();
    check();
}

void frmChoosePort::check()
{
    const QString name = portName();
    const QString problem = ui::portNameProblem(name);
    m_problem->setText(problem);
    m_problem->setVisible(!problem.isEmpty());
    // Read out with the line, for those who cannot see the reason under it.
    m_port->setAccessibleDescription(problem);
    // A network address has no speed; one is kept for the serial ports all the same.
    const bool serial = !isNetworkName(name);
    m_speed->setEnabled(serial);
    m_ok->setEnabled(!name.isEmpty() && problem.isEmpty() && (baudRate() > 0 || !serial));
}

QString frmChoosePort::portName() const
{
    return m_port->currentText().trimmed();
}

qint32 frmChoosePort::baudRate() const
{
    bool number = false;
    const int speed = m_speed->currentText().toInt(&number);
    return number && speed > 0 ? speed : 0;
}

void frmChoosePort::accept()
{
    const QString name = portName();
    if (!m_ok->isEnabled())
        return;
    QDialog::accept();
    emit portChosen(name, baudRate() > 0 ? baudRate() : GpsLink::defaultBaudRate);
}
