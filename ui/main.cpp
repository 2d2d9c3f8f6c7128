#include <QApplication>

#include "ui/form1.h"
#include "ui/widgets.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Keyloom"));
    keyloom::InstallFontSubstitutes();
    keyloom::TForm1 form1;
    form1.show();
    QApplication::exec();
    return 0;
}
