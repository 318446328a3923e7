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

// The ports by COM number; every other list filled and showing something, and the clock
// fields on the computer's date and time (the other defaults are the code's own literals).
void ExpectListsAndDefaults(Form1Harness& harness, const QString& ports) {
    const auto* portList = harness.Find<QComboBox>("cboPort");
    EXPECT_EQ(Items(portList).join(','), ports);
    for (const QComboBox* combo : harness.Window().findChildren<QComboBox*>()) {
        EXPECT_TRUE(combo == portList || combo->count() > 0) << combo->objectName().toStdString();
    }
    EXPECT_EQ(harness.Find<DateTime>("DateTime1")->Text(),
              QDate::currentDate().toString("dd.MM.yy"));
    const QTime time = QTime::fromString(harness.Find<DateTime>("DateTime2")->Text(), "hh:mm:ss");
    EXPECT_LE(std::abs(time.secsTo(QTime::currentTime())), 5);
}

TEST(Form1StartUp, fillsEveryListAndDefaultWithOrWithoutPorts) {
    Form1Harness withPorts;
    EXPECT_TRUE(withPorts.messages.empty());
    ExpectListsAndDefaults(withPorts, "COM 1,COM 12,COM 3");
    Form1Harness none({.ports = {}});
    EXPECT_TRUE(none.messages.empty()) << "an empty port list is not a failure";
    ExpectListsAndDefaults(none, "");
}

TEST(Form1StartUp, aMissingOrBrokenPictureIsNamedInOneWarningAndStartUpGoesOn) {
    const std::pair<const char*, QString> buttons[] = {
        {"button_ok.bmp", "Button166 Button167_0 Button167_1 Button169 Button1610"},
        {"connect_established.bmp", "Button161"},
        {"CLOCK.bmp", "Button162"},
        {"configure.bmp", "Button163"},
        {"kdevelop_down.bmp", "Button164"},
    };
    const HarnessSetup cases[] = {
        {},
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
        EXPECT_EQ(harness.Find<QComboBox>("cboSpeed")->count(), 8) << "start-up went on";
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
