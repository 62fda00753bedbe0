#include <cstdio>

#include <QApplication>
#include <QCoreApplication>
#include <QFile>

#include "convert/BatchMode.h"
#include "ui/Main.h"

using namespace qlnxdc;

int main(int argc, char* argv[])
{
    // With arguments the conversion runs without a window, and so without a display.
    if (argc > 1) {
        QCoreApplication app(argc, argv);
        QFile out;
        QFile err;
        out.open(stdout, QIODevice::WriteOnly);
        err.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
        const int status = RunBatch(app.arguments().mid(1), out, err);
        out.flush();
        return status;
    }
    QApplication app(argc, argv);
    TMainForm form;
    form.show();
    return app.exec();
}
