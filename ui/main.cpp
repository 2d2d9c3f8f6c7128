#include <QApplication>

#include <QIcon>

#include "ui/form1.h"
#include "ui/pictures.h"
#include "ui/widgets.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Keyloom"));
    keyloom::InstallFontSubstitutes();
    QApplication::setWindowIcon(QIcon(keyloom::DrawPanelPicture()));
    keyloom::TForm1 form1;
    form1.show();
    QApplication::exec();
    return 0;
}
