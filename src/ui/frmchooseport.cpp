#include "ui/frmchooseport.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Wide enough for a device path and the start of its description.
constexpr int listedCharacters = 40;

// As the port would be given to --port: COM3 on Windows, the device path elsewhere.
QString nameOf(const QSerialPortInfo &info)
{
#ifdef Q_OS_WIN
    return info.portName();
#else
    return info.systemLocation();
#endif
}

} // namespace

frmChoosePort::frmChoosePort(const QString &currentPort, QWidget *parent)
    : QDialog(parent), cboPort(new QComboBox(this))
{
    setObjectName(QStringLiteral("frmChoosePort"));
    setWindowTitle(tr("Serial Port"));

    cboPort->setObjectName(QStringLiteral("cboPort"));
    cboPort->setEditable(true);
    // A typed name is taken as it is, never completed into a listed port's description.
    cboPort->setCompleter(nullptr);
    cboPort->setInsertPolicy(QComboBox::NoInsert);
    cboPort->setMinimumContentsLength(listedCharacters);
    cboPort->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    std::sort(ports.begin(), ports.end(),
              [](const auto &a, const auto &b) { return nameOf(a) < nameOf(b); });
    for (const QSerialPortInfo &info : ports) {
        const QString name = nameOf(info);
        const QString description = info.description();
        cboPort->addItem(description.isEmpty() ? name : tr("%1 — %2").arg(name, description), name);
    }
    // A listed port shows its description in the list, and only its name once picked.
    connect(cboPort, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            cboPort->setEditText(cboPort->itemData(index).toString());
    });
    const int current = cboPort->findData(currentPort);
    cboPort->setCurrentIndex(current);
    cboPort->setEditText(currentPort);
    cboPort->lineEdit()->selectAll();

    auto label = new QLabel(tr("&Port:"), this);
    label->setObjectName(QStringLiteral("lblPort"));
    label->setBuddy(cboPort);

    auto buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &frmChoosePort::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &frmChoosePort::reject);
    connect(cboPort, &QComboBox::editTextChanged, this,
            [this] { m_ok->setEnabled(!portName().isEmpty()); });

    auto form = new QFormLayout;
    form->addRow(label, cboPort);
    auto layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    cboPort->setFocus();
}

QString frmChoosePort::portName() const
{
    return cboPort->currentText().trimmed();
}

void frmChoosePort::accept()
{
    const QString name = portName();
    if (name.isEmpty())
        return;
    QDialog::accept();
    emit portChosen(name);
}
