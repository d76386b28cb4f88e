// The main window as bare Qt builds it: the same caption, size, menus, labels, boxes and
// hemisphere choices as Pindrel's, with no fonts chosen, no log, no port and no handlers.
// bench/startup.sh starts it next to Pindrel, so the difference between the two is what Pindrel
// itself costs at startup.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Garmin Pindrel V 1.0"));

    // Pixel positions of Pindrel's layout at 96 dots per inch. Each hemisphere choice stands
    // 4 pixels right of its box, at its own width, and pushes the rest of the row right.
    auto client = new QWidget(&window);
    window.setCentralWidget(client);
    auto latHemisphere = new QComboBox(client);
    latHemisphere->addItems({QStringLiteral("N"), QStringLiteral("S")});
    auto lonHemisphere = new QComboBox(client);
    lonHemisphere->addItems({QStringLiteral("E"), QStringLiteral("W")});
    lonHemisphere->setCurrentIndex(1);
    const int choice = latHemisphere->sizeHint().width();
    const int shift = 4 + choice;
    client->setFixedSize(430 + 2 * shift, 80);
    (new QLabel(QStringLiteral("Name:"), client))->setGeometry(8, 8, 41, 17);
    (new QLineEdit(client))->setGeometry(48, 8, 81, 19);
    (new QLabel(QStringLiteral("Latitude:"), client))->setGeometry(136, 8, 49, 17);
    (new QLineEdit(client))->setGeometry(192, 8, 81, 19);
    latHemisphere->setGeometry(192 + 81 + 4, 8, choice, 19);
    (new QLabel(QStringLiteral("Longitude:"), client))->setGeometry(280 + shift, 8, 65, 17);
    (new QLineEdit(client))->setGeometry(344 + shift, 8, 81, 19);
    lonHemisphere->setGeometry(344 + shift + 81 + 4, 8, choice, 19);
    (new QLabel(QStringLiteral("Waypoint String:"), client))->setGeometry(8, 40, 97, 17);
    (new QLineEdit(client))->setGeometry(8, 56, 417 + 2 * shift, 19);

    QMenu *program = window.menuBar()->addMenu(QStringLiteral("&Program"));
    program->addAction(QStringLiteral("&Choose Port..."));
    program->addAction(QStringLiteral("&Open Port"));
    program->addAction(QStringLiteral("&Help"));
    program->addAction(QStringLiteral("&About"));
    program->addAction(QStringLiteral("&Quit"));
    QMenu *waypoint = window.menuBar()->addMenu(QStringLiteral("&Waypoint"));
    waypoint->addAction(QStringLiteral("&Make String"));
    waypoint->addAction(QStringLiteral("&Send String"));
    waypoint->addAction(QStringLiteral("&Save String"));
    window.layout()->setSizeConstraint(QLayout::SetFixedSize);

    window.show();
    return app.exec();
}
