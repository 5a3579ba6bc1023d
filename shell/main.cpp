// Program entry: the application object, its title, the main window, the
// message loop. No command line is read.

#include "shell/InterfaceTexts.h"
#include "shell/SettingsLocation.h"
#include "shell/UnitFormMain.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(vellinor::kProgramName));
    vellinor::TFormMain form(vellinor::DefaultSettingsFilePath());
    form.show();
    return QApplication::exec();
}
