#pragma once

#include <QLabel>

class QComboBox;
class QLineEdit;

// The status line under the boxes: the waypoint a receiver will store from the sentence the
// boxes make, and what differs from what the window shows, kept up to date as the user types.
class ReceiverReadingLine : public QLabel
{
    Q_OBJECT

public:
    struct Boxes
    {
        QLineEdit *name;
        QLineEdit *latitude;
        QComboBox *latitudeHemisphere;
        QLineEdit *longitude;
        QComboBox *longitudeHemisphere;
        QLineEdit *waypointString;
    };

    ReceiverReadingLine(const Boxes &boxes, QWidget *parent);

    // Everything there is to tell, of which the line shows as much as its room holds.
    QString fullText() const { return m_fullText; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void readBack();
    void showWhatFits();

    Boxes m_boxes;
    QString m_stored;
    QStringList m_warnings;
    QString m_fullText;
};
