// The floor for the start-up benchmark: the least a Qt Widgets program with
// a clock does, one window with a label that shows the time every second.

#include <QApplication>
#include <QLabel>
#include <QTime>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QLabel clock;
    clock.setWindowTitle(QStringLiteral("Floor"));
    clock.setMinimumSize(705, 515);
    const auto showTime = [&clock] { clock.setText(QTime::currentTime().toString(QStringLiteral("HH:mm:ss"))); };
    showTime();
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, &clock, showTime);
    timer.start(1000);
    clock.show();
    return app.exec();
}
