// The "Пелта" program: one window that configures and watches the display controller.

#include <QApplication>
#include <QIcon>

#include "ui/form1_pictures.h"
#include "ui/window_app.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pelta"));
    QApplication::setDesktopFileName(QStringLiteral("pelta"));

    pelta::ui::WindowApp program;
    const QString icon =
        pelta::ui::FindPicture(QStringLiteral("pelta.png"), pelta::ui::DefaultPictureFolders());
    // Beside the program in the build tree; installed, the icon theme has it.
    QApplication::setWindowIcon(icon.isEmpty() ? QIcon::fromTheme(QStringLiteral("pelta"))
                                               : QIcon(icon));
    program.Start();
    program.Window().show();
    return QApplication::exec();
}
