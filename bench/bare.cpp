// A bare Qt Widgets program with a window of the card table's size, to measure the game against.
#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.resize(578, 399);
    window.show();
    return app.exec();
}
