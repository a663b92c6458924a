#include <QApplication>
#include <QIcon>

#include "mainwindow.h"
#include "viewerresources.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    initViewerResources();
    app.setWindowIcon(QIcon(QStringLiteral(":/OrvantaViewer.ico")));
    int code = 0;
    {
        // The window goes before the application object.
        MainWindow window;
        window.showMaximized();
        code = app.exec();
    }
    return code;
}
