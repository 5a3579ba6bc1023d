// Program entry.

#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Vellinor");
    QMainWindow window;
    window.setWindowTitle("Vellinor");
    window.resize(1024, 700);
    window.show();
    return QApplication::exec();
}
