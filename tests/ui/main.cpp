// Entry point of the widget and window tests: a QApplication must exist before any widget.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>

// Qt's platform plugins and fontconfig keep caches for the life of the process; they are
// not leaks of ours. Built into the program so that test discovery runs clean as well.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\nleak:libQt6Gui\nleak:libQt6Core\nleak:libQt6Widgets\n"
           "leak:libdbus\nleak:libglib\n";
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));  // the users' locale
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
