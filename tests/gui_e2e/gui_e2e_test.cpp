// The real main window and the real core, driven with QTest, against pelta-sim on a
// pseudo-terminal: link settings, "Применить", measurements, "Обновить", settings page.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "link/termios_port_api.h"
#include "sim_process.h"
#include "ui/button16.h"
#include "ui/date_time.h"
#include "ui/window_app.h"

namespace pelta::e2e {
namespace {

struct Message {
    QString text;
    link::MessageIcon icon;
};

class WindowAgainstSim : public ::testing::Test {
  protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        ASSERT_TRUE(sim_.Started()) << "pelta-sim said: " << sim_.FirstLine().toStdString();
        QImage picture(16, 16, QImage::Format_RGB32);
        picture.fill(Qt::darkBlue);
        for (const char* file : {"button_ok.bmp", "connect_established.bmp", "CLOCK.bmp",
                                 "configure.bmp", "kdevelop_down.bmp"}) {
            picture.save(scratch_.filePath(QString::fromLatin1(file)), "BMP");
        }
        const link::SerialMapRoots roots{sim_.MapFolder().toStdString(),
                                         scratch_.filePath("no-sysfs").toStdString(), "/dev"};
        ui::WindowAppOptions options;
        options.PortApi = std::make_unique<link::TermiosPortApi>(roots);
        options.MapRoots = roots;
        options.ErrorLogFolder = scratch_.path();
        options.PictureFolders = {scratch_.path()};
        app_ = std::make_unique<ui::WindowApp>(std::move(options));
        app_->Window().SetMessagePresenter([this](const QString& text, link::MessageIcon icon) {
            messages_.push_back({text, icon});
        });
        app_->Start();
        app_->Window().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&app_->Window()));
    }

    void TearDown() override {
        app_.reset();
        QLocale::setDefault(QLocale::system());
    }

    template <typename Widget>
    Widget* Find(const char* name) {
        Widget* widget = app_->Window().findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    void Click(const char* imageButton) {
        QTest::mouseClick(Find<Button16>(imageButton), Qt::LeftButton, {}, QPoint(8, 8));
    }

    // Link settings page: the simulator's port, a short reply time-out, "Применить".
    void ApplyLinkSettings() {
        Click("Button161");
        auto* ports = Find<QComboBox>("cboPort");
        const int position = ports->findText(QStringLiteral("COM %1").arg(sim_.ComNumber()));
        ASSERT_GE(position, 0) << "the simulator's port is offered";
        ports->setCurrentIndex(position);
        Find<QLineEdit>("Text1_3")->setText(QStringLiteral("200"));
        QTest::mouseClick(Find<QPushButton>("Command6"), Qt::LeftButton);
    }

    SimProcess sim_;
    QTemporaryDir scratch_;
    std::unique_ptr<ui::WindowApp> app_;
    std::vector<Message> messages_;
};

struct LabelCase {
    const char* name;
    QString text;
};

TEST_F(WindowAgainstSim, refreshShowsTheSimulatorsMeasurementsAndTheFrames) {
    ApplyLinkSettings();
    Click("Button162");
    QTest::mouseClick(Find<QPushButton>("Command5"), Qt::LeftButton);

    EXPECT_TRUE(messages_.empty()) << messages_.front().text.toStdString();
    const LabelCase labels[] = {
        {"Label5", "Температура: 21,5 °C"},
        {"Label15_0", "Температура: -3 °C"},
        {"Label6", "Влажность: 45%"},
        {"Label14_0", "Давление: 750,5 мм Рт"},
    };
    for (const LabelCase& l : labels) {
        EXPECT_EQ(Find<QLabel>(l.name)->text(), l.text) << l.name;
    }
    const QTime shown = QTime::fromString(Find<QLabel>("Label7")->text(), "hh:mm:ss");
    ASSERT_TRUE(shown.isValid()) << Find<QLabel>("Label7")->text().toStdString();
    EXPECT_LE(std::abs(shown.secsTo(QTime::currentTime())), 5);
    EXPECT_TRUE(
        Find<QLabel>("Label3")->text().contains(QString::number(QDate::currentDate().year())));
    EXPECT_TRUE(Find<QLabel>("Label4")->text().startsWith("Уход часов: "));
    const QString port = QStringLiteral("COM COM %1").arg(sim_.ComNumber());
    EXPECT_EQ(Find<QLabel>("LabelCOM")->text(), port + " = закрыт");

    const QString monitor = Find<QPlainTextEdit>("TextBox1")->toPlainText();
    EXPECT_TRUE(monitor.contains(": 3\t:Tx >-- 01 32 BE ")) << monitor.toStdString();
    EXPECT_TRUE(monitor.contains(QRegularExpression(": 22\t:Rx <-- 01 32 BE( [0-9A-F]{2}){19} ")))
        << monitor.toStdString();
    EXPECT_TRUE(Find<QLabel>("Label2_0")->text().contains("успешно - 100,00%"))
        << Find<QLabel>("Label2_0")->text().toStdString();

    const QString log = sim_.Log();
    EXPECT_TRUE(log.contains(QRegularExpression("rx 01 32 BE .*speed=9600"))) << log.toStdString();
}

TEST_F(WindowAgainstSim, theSettingsPageShowsTheSimulatorsSettings) {
    ApplyLinkSettings();
    Click("Button163");
    EXPECT_TRUE(messages_.empty()) << messages_.front().text.toStdString();
    EXPECT_TRUE(Find<QWidget>("ctlLine6")->isVisible());

    const LabelCase fields[] = {
        {"DateTime3_0", "07:30"}, {"DateTime3_1", "09:10"}, {"DateTime6_2", "22:15"},
        {"DateTime6_3", "07:45"}, {"DateTime6_0", "22:05"}, {"DateTime6_1", "06:50"},
    };
    for (const LabelCase& f : fields) {
        EXPECT_EQ(Find<DateTime>(f.name)->Text(), f.text) << f.name;
    }
    const LabelCase lists[] = {
        {"Combo1_0", "Будни дни"},
        {"Combo1_1", "Выходные"},
        {"Combo4", "Включать по:"},
        {"Combo5", "Расписанию"},
        {"Combo3", "Включать по датчику в темноте"},
    };
    for (const LabelCase& l : lists) {
        EXPECT_EQ(Find<QComboBox>(l.name)->currentText(), l.text) << l.name;
    }
    EXPECT_TRUE(Find<QCheckBox>("Check1_0")->isChecked());
    EXPECT_FALSE(Find<QCheckBox>("Check1_1")->isChecked());
    EXPECT_TRUE(Find<QCheckBox>("Check3")->isChecked());
    EXPECT_TRUE(Find<QPlainTextEdit>("TextBox1")->toPlainText().contains(":Rx <-- "));
}

TEST_F(WindowAgainstSim, aRequestToAnotherAddressIsCountedAsNoAnswer) {
    // The simulator answers address 1 only, as a controller on a shared bus would.
    ApplyLinkSettings();
    Find<QLineEdit>("Text1_2")->setText("77");
    QTest::mouseClick(Find<QPushButton>("Command6"), Qt::LeftButton);
    Click("Button162");
    QTest::mouseClick(Find<QPushButton>("Command5"), Qt::LeftButton);
    EXPECT_TRUE(messages_.empty());
    EXPECT_TRUE(Find<QLabel>("Label1")->text().endsWith("нет ответа : 1"))
        << Find<QLabel>("Label1")->text().toStdString();
    EXPECT_EQ(Find<QLabel>("Label6")->text(), "Влажность") << "nothing decoded";
    EXPECT_TRUE(sim_.Log().contains("rx 4D 32 BE")) << sim_.Log().toStdString();
}

}  // namespace
}  // namespace pelta::e2e

// Qt's platform plugins and fontconfig keep caches for the life of the process.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\nleak:libQt6Gui\nleak:libQt6Core\nleak:libQt6Widgets\n"
           "leak:libdbus\nleak:libglib\n";
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
