#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

// "Serial Port": the ports the system shows, the current one selected, or any name typed in,
// a network address among them; and the port's speed.
class frmChoosePort : public QDialog
{
    Q_OBJECT

public:
    frmChoosePort(const QString &currentPort, qint32 currentBaudRate, QWidget *parent);

    // The name of the listed port picked, or what was typed, without spaces around it.
    QString portName() const;
    // The speed picked or typed; 0 when what was typed is no speed.
    qint32 baudRate() const;

    void accept() override;

signals:
    // Only for a name that is not empty and that the system could take, with a speed.
    void portChosen(const QString &portName, qint32 baudRate);

private:
    void check();

    QComboBox *m_port;
    QComboBox *m_speed;
    // Why the name typed cannot be taken, under the line, while OK is disabled.
    QLabel *m_problem;
    QPushButton *m_ok;
};
