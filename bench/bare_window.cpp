// The main window as bare Qt builds it: the same caption, menus, bold captions, boxes,
// hemisphere choices and status line as Pindrel's, in the same grid at the same minimum sizes, with
// no log, no port, no icon and no handlers. bench/startup.sh starts it next to Pindrel, so the
// difference between the two is what Pindrel itself costs at startup.
#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Garmin Pindrel V 1.0"));

    // Pindrel's grid, in pixels at 96 dots per inch.
    auto client = new QWidget(&window);
    window.setCentralWidget(client);
    QFont caption = QApplication::font();
    caption.setBold(true);
    const auto label = [&](const char *text) {
        auto label = new QLabel(QString::fromLatin1(text), client);
        label->setFont(caption);
        return label;
    };
    const auto box = [&](int width) {
        auto box = new QLineEdit(client);
        box->setMinimumWidth(width);
        box->setFixedHeight(19);
        return box;
    };
    const auto withChoice = [&](QLineEdit *box, const QStringList &letters, int chosen) {
        auto choice = new QComboBox(client);
        choice->addItems(letters);
        choice->setCurrentIndex(chosen);
        choice->setFixedHeight(19);
        auto pair = new QHBoxLayout;
        pair->setSpacing(4);
        pair->addWidget(box, 1);
        pair->addWidget(choice);
        return pair;
    };
    auto grid = new QGridLayout(client);
    grid->setContentsMargins(8, 8, 5, 5);
    grid->setSpacing(0);
    grid->addWidget(label("Name:"), 0, 0);
    grid->addWidget(box(81), 0, 1);
    grid->addWidget(label("Latitude:"), 0, 3);
    grid->addLayout(withChoice(box(81), {QStringLiteral("N"), QStringLiteral("S")}, 0), 0, 4);
    grid->addWidget(label("Longitude:"), 0, 6);
    grid->addLayout(withChoice(box(81), {QStringLiteral("E"), QStringLiteral("W")}, 1), 0, 7);
    grid->addWidget(label("Waypoint String:"), 2, 0, 1, 8);
    grid->addWidget(box(0), 3, 0, 1, 8);
    // The status line under the boxes: three wrapped lines of text.
    auto status = new QLabel(QStringLiteral("A receiver will store no position."), client);
    status->setWordWrap(true);
    status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    status->setFixedHeight(status->fontMetrics().lineSpacing() * 3);
    grid->addWidget(status, 5, 0, 1, 8);
    for (const auto &[column, width] : {std::pair{0, 40}, {2, 7}, {3, 56}, {5, 7}, {6, 64}})
        grid->setColumnMinimumWidth(column, width);
    for (const int column : {1, 4, 7})
        grid->setColumnStretch(column, 1);
    grid->setRowMinimumHeight(1, 13);
    grid->setRowMinimumHeight(2, 16);
    grid->setRowMinimumHeight(4, 8);
    grid->setRowStretch(6, 1);

    QMenu *program = window.menuBar()->addMenu(QStringLiteral("&Program"));
    program->addAction(QStringLiteral("&Choose Port..."));
    program->addAction(QStringLiteral("&Open Port"));
    program->addAction(QStringLiteral("&Help"));
    program->addAction(QStringLiteral("&About"));
    program->addAction(QStringLiteral("&Quit"));
    QMenu *waypoint = window.menuBar()->addMenu(QStringLiteral("&Waypoint"));
    waypoint->addAction(QStringLiteral("Enter &Position..."));
    waypoint->addAction(QStringLiteral("&Make String"));
    waypoint->addAction(QStringLiteral("&Send String"));
    waypoint->addAction(QStringLiteral("&Save String"));
    window.resize(window.minimumSizeHint());

    window.show();
    return app.exec();
}
