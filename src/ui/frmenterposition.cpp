#include "ui/frmenterposition.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <limits>

namespace {

// Wide enough for a position in degrees, minutes and seconds, and the start of a map's address.
constexpr int typedCharacters = 44;

} // namespace

frmEnterPosition::frmEnterPosition(QWidget *parent)
    : QDialog(parent), m_text(new QLineEdit(this)), m_shown(new QLabel(this))
{
    setObjectName(QStringLiteral("frmEnterPosition"));
    setWindowTitle(tr("Position"));

    auto label = new QLabel(tr("&Type or paste a position, in any common form:"), this);
    label->setObjectName(QStringLiteral("lblPosition"));
    label->setBuddy(m_text);
    m_text->setObjectName(QStringLiteral("txtPosition"));
    // A long paste is read whole, never cut to fit.
    m_text->setMaxLength(std::numeric_limits<int>::max());
    m_text->setMinimumWidth(m_text->fontMetrics().averageCharWidth() * typedCharacters);

    m_shown->setObjectName(QStringLiteral("lblReading"));
    m_shown->setWordWrap(true);
    m_shown->setTextFormat(Qt::PlainText);
    m_shown->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_shown->setAccessibleDescription(tr("How the position reads"));
    // Room for a reason of two lines, so that the window keeps its size while the user types.
    m_shown->setMinimumHeight(m_shown->fontMetrics().lineSpacing() * 2);
    m_shown->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &frmEnterPosition::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &frmEnterPosition::reject);
    connect(m_text, &QLineEdit::textChanged, this, &frmEnterPosition::showReading);

    auto layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_text);
    layout->addWidget(m_shown);
    layout->addWidget(buttons);

    const QString clipboard = QGuiApplication::clipboard()->text();
    if (position::read(clipboard).position) {
        m_text->setText(clipboard.trimmed());
        // Typing replaces it.
        m_text->selectAll();
    }
    showReading();
    m_text->setFocus();
}

void frmEnterPosition::showReading()
{
    m_reading = position::read(m_text->text());
    m_ok->setEnabled(m_reading.position.has_value());
    m_shown->setText(m_reading.position ? position::degreesAndMinutes(*m_reading.position)
                                        : m_reading.reason);
}

void frmEnterPosition::accept()
{
    if (!m_reading.position)
        return;
    QDialog::accept();
    emit positionChosen(position::receiverForm(*m_reading.position));
}
