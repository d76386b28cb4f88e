#include "ui/receiverreadingline.h"

#include "sentence/receiverreading.h"

#include <QComboBox>
#include <QEvent>
#include <QLineEdit>

namespace {

// The line keeps the room of this many lines of its font, so that the window does not jump as
// the user types.
constexpr int shownLines = 3;

QChar letter(const QComboBox *hemisphere)
{
    const QString text = hemisphere->currentText();
    return text.isEmpty() ? QChar() : text.front();
}

} // namespace

ReceiverReadingLine::ReceiverReadingLine(const Boxes &boxes, QWidget *parent)
    : QLabel(parent), m_boxes(boxes)
{
    setObjectName(QStringLiteral("lblReceiverReads"));
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Selectable to copy, but never in the tab order, which stays the window's own.
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setAccessibleDescription(tr("What a receiver will read"));
    setFixedHeight(fontMetrics().lineSpacing() * shownLines);
    for (QLineEdit *box : {boxes.name, boxes.latitude, boxes.longitude, boxes.waypointString})
        connect(box, &QLineEdit::textChanged, this, &ReceiverReadingLine::readBack);
    for (QComboBox *hemisphere : {boxes.latitudeHemisphere, boxes.longitudeHemisphere})
        connect(hemisphere, &QComboBox::currentTextChanged, this, &ReceiverReadingLine::readBack);
    readBack();
}

void ReceiverReadingLine::readBack()
{
    const QString name = m_boxes.name->text();
    const QString latitude = m_boxes.latitude->text();
    const QString longitude = m_boxes.longitude->text();
    const QString waypointString = m_boxes.waypointString->text();
    const sentence::ReceiverReading reading =
        sentence::readBack({name, latitude, longitude, letter(m_boxes.latitudeHemisphere),
                            letter(m_boxes.longitudeHemisphere), waypointString});
    m_stored = reading.stored;
    m_warnings = reading.warnings;
    m_fullText = reading.text();
    // A screen reader is given everything, whatever the line has room to show.
    setAccessibleName(m_fullText);
    showWhatFits();
}

void ReceiverReadingLine::showWhatFits()
{
    const QRect room = contentsRect();
    const auto fits = [&](const QString &text) {
        return fontMetrics().boundingRect(room, Qt::TextWordWrap, text).height() <= room.height();
    };
    QString shown = m_fullText;
    for (qsizetype told = m_warnings.size(); !fits(shown) && told > 0; --told) {
        const qsizetype more = m_warnings.size() - told + 1;
        QStringList parts{m_stored};
        parts += m_warnings.first(told - 1);
        parts << tr("And %n more.", nullptr, int(more));
        shown = parts.join(u' ');
    }
    setText(shown);
    setToolTip(shown == m_fullText ? QString() : m_fullText);
}

void ReceiverReadingLine::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    showWhatFits();
}

void ReceiverReadingLine::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        setFixedHeight(fontMetrics().lineSpacing() * shownLines);
    QLabel::changeEvent(event);
}
