// Start-up of the main window: its lists and clock fields, with and without ports, its pictures
// and where they are looked for.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QDate>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTime>

#include "form1_harness.h"
#include "ui/button16.h"
#include "ui/date_time.h"
#include "ui/form1_pictures.h"

namespace pelta::ui::testing {
namespace {

// With or without ports (an empty list is not a failure) and pictures.
TEST(Form1StartUp, fillsItsListsAndNamesAMissingOrBrokenPictureInOneWarning) {
    const std::pair<const char*, QString> buttons[] = {
        {"button_ok.bmp", "Button166 Button167_0 Button167_1 Button169 Button1610"},
        {"connect_established.bmp", "Button161"},
        {"CLOCK.bmp", "Button162"},
        {"configure.bmp", "Button163"},
        {"kdevelop_down.bmp", "Button164"},
    };
    const HarnessSetup cases[] = {
        {},
        {.ports = {}},
        {.missingPictures = {"kdevelop_down.bmp"}, .brokenPictures = {"CLOCK.bmp"}},
        {.missingPictures = kPictureFiles},
    };
    static QStringList warnings;
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type == QtWarningMsg) {
                warnings << text;
            }
        });
    for (const HarnessSetup& c : cases) {
        const QStringList lost = c.missingPictures + c.brokenPictures;
        SCOPED_TRACE(lost.join(", ").toStdString());
        warnings.clear();
        Form1Harness harness(c);
        ASSERT_EQ(harness.messages.size(), lost.isEmpty() ? 0U : 1U);
        if (!lost.isEmpty()) {
            EXPECT_TRUE(warnings.contains(harness.messages[0].first)) << "on stderr as well";
            EXPECT_EQ(harness.messages[0].second, link::MessageIcon::Exclamation);
        }
        for (const auto& [file, names] : buttons) {
            const bool named = !lost.isEmpty() && harness.messages[0].first.contains(file);
            EXPECT_EQ(named, lost.contains(file)) << file;
            for (const QString& name : names.split(' ')) {
                const QImage picture = harness.Find<Button16>(qPrintable(name))->Picture();
                EXPECT_EQ(picture.isNull(), lost.contains(file)) << name.toStdString();
            }
        }
        // The ports by COM number, every other list filled, the clock fields on the computer's
        // date and time (the other defaults are the code's own literals).
        const auto* ports = harness.Find<QComboBox>("cboPort");
        EXPECT_EQ(Items(ports).join(','), c.ports.empty() ? "" : "COM 1,COM 12,COM 3");
        for (const QComboBox* list : harness.Window().findChildren<QComboBox*>()) {
            EXPECT_TRUE(list == ports || list->count() > 0) << list->objectName().toStdString();
        }
        EXPECT_EQ(harness.Find<DateTime>("DateTime1")->Text(),
                  QDate::currentDate().toString("dd.MM.yy"));
        const QTime time =
            QTime::fromString(harness.Find<DateTime>("DateTime2")->Text(), "hh:mm:ss");
        EXPECT_LE(std::abs(time.secsTo(QTime::currentTime())), 5);
    }
    qInstallMessageHandler(previous);
}

TEST(Form1Pictures, areLookedForInTheCurrentFolderThenBesideTheProgramThenInTheDataFolder) {
    const QString program = QCoreApplication::applicationDirPath();
    EXPECT_EQ(DefaultPictureFolders(),
              QStringList({QDir::currentPath(), program,
                           QFileInfo(program + "/../share/pelta").absoluteFilePath()}));
    QImage picture(16, 16, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    for (int present : {0b111, 0b110, 0b100, 0b000}) {  // bit i: in folder i
        QTemporaryDir first, second, third;
        const QStringList folders = {first.path(), second.path(), third.path()};
        int expected = -1;
        for (int i : {2, 1, 0}) {
            if (present & (1 << i)) {
                picture.save(folders[i] + "/CLOCK.bmp", "BMP");
                expected = i;
            }
        }
        const QString path = expected < 0 ? QString() : folders[expected] + "/CLOCK.bmp";
        EXPECT_EQ(FindPicture("CLOCK.bmp", folders).toStdString(), path.toStdString());
        EXPECT_EQ(LoadPicture("CLOCK.bmp", folders).isNull(), present == 0) << present;
    }
}

}  // namespace
}  // namespace pelta::ui::testing
