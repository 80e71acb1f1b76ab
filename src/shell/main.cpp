// The program: one main window on the program folder the executable lives in.
#include <QApplication>

#include "main_window.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Vmar plotterwerk");
    auto* window = new TForm4(ProgramFolder());
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return app.exec();
}
