#include "ui/frmchooseport.h"

#include "gps_link/portaccess.h"
#include "ui/portname.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
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

} // namespace

frmChoosePort::frmChoosePort(const QString &currentPort, QWidget *parent)
    : QDialog(parent), m_port(new QComboBox(this)), m_problem(new QLabel(this))
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
    std::sort(ports.begin(), ports.end(),
              [](const auto &a, const auto &b) { return serialPortName(a) < serialPortName(b); });
    for (const QSerialPortInfo &info : ports) {
        const QString name = serialPortName(info);
        const QString description = info.description();
        m_port->addItem(description.isEmpty() ? name : tr("%1 — %2").arg(name, description), name);
    }
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

    auto buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &frmChoosePort::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &frmChoosePort::reject);
    connect(m_port, &QComboBox::editTextChanged, this, &frmChoosePort::check);

    m_problem->setObjectName(QStringLiteral("lblPortProblem"));
    m_problem->hide();
    auto form = new QFormLayout;
    form->addRow(label, m_port);
    form->addRow(QString(), m_problem);
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
    m_ok->setEnabled(!name.isEmpty() && problem.isEmpty());
}

QString frmChoosePort::portName() const
{
    return m_port->currentText().trimmed();
}

void frmChoosePort::accept()
{
    const QString name = portName();
    if (name.isEmpty() || !ui::portNameProblem(name).isEmpty())
        return;
    QDialog::accept();
    emit portChosen(name);
}
