#include <QApplication>
#include <QIcon>

#include "mainwindow.h"
#include "viewerresources.h"

int main(int argc, char* argv[])
{
    // The viewer paints with Qt's raster engine only. Unless told otherwise, the X11 platform
    // would load the OpenGL driver stack at start: some 50 MB the viewer never uses.
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION")) {
        qputenv("QT_XCB_GL_INTEGRATION", "none");
    }
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
