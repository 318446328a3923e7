// The "Пелта" program: one window that configures and watches the display controller.

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>

#include "app/start_choice.h"
#include "ui/form1_pictures.h"
#include "ui/window_app.h"

namespace {

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

// Qt's own texts (the buttons and labels of the dialogs Qt draws) in the locale's language.
void InstallQtTranslation(QApplication& application, QTranslator& translator) {
    if (translator.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        application.installTranslator(&translator);
    }
}

}  // namespace

int main(int argc, char** argv) {
    using pelta::app::StartChoice;
    switch (pelta::app::ChooseStart(std::vector<std::string>(argv + 1, argv + argc), Variable)) {
        case StartChoice::Help:
            std::fputs(pelta::app::HelpText(), stdout);
            return 0;
        case StartChoice::Version:
            std::printf("pelta %s\n", PELTA_VERSION);
            return 0;
        case StartChoice::NoDisplay:
            std::fputs(pelta::app::NoDisplayText(), stderr);
            return 1;
        case StartChoice::Window:
            break;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pelta"));
    QApplication::setDesktopFileName(QStringLiteral("pelta"));
    QTranslator qtTexts;
    InstallQtTranslation(application, qtTexts);

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
