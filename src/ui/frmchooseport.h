#pragma once

#include <QDialog>

class QComboBox;
class QPushButton;

// "Serial Port": the ports the system shows, the current one selected, or any name typed in.
class frmChoosePort : public QDialog
{
    Q_OBJECT

public:
    frmChoosePort(const QString &currentPort, QWidget *parent);

    // The name of the listed port picked, or what was typed, without spaces around it.
    QString portName() const;

    void accept() override;

signals:
    // Only for a name that is not empty.
    void portChosen(const QString &portName);

private:
    QComboBox *m_port;
    QPushButton *m_ok;
};
