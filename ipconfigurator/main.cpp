#include "widget.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    app.setWindowIcon(QIcon(QStringLiteral(":/OrvantaIPConfigurator.png")));
    Widget window;
    window.show();
    return app.exec();
}
