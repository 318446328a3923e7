// The real main window and the real core, driven with QTest, against pelta-sim on a
// pseudo-terminal (and once through ser2net): link settings, "Применить", measurements,
// "Обновить", settings page.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#include "link/routing_port_api.h"
#include "tests/support/network_peers.h"
#include "ui/button16.h"
#include "ui/date_time.h"
#include "ui/window_app.h"

namespace pelta::e2e {
namespace {

class WindowAgainstSim : public ::testing::Test {
  protected:
    // pelta-sim in a scratch runtime folder; its first line names the COM number it registered.
    void SetUp() override {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", scratch_.path());
        sim_.setProcessEnvironment(environment);
        sim_.start(PELTA_SIM_PROGRAM, {});
        ASSERT_TRUE(sim_.waitForStarted(5000));
        for (int i = 0; i < 50 && !sim_.canReadLine(); ++i) {
            sim_.waitForReadyRead(100);
        }
        const QString announce = QString::fromUtf8(sim_.readLine()).trimmed();
        const auto match = QRegularExpression("^pelta-sim: COM(\\d+) -> (\\S+)").match(announce);
        ASSERT_TRUE(match.hasMatch()) << "pelta-sim said: " << announce.toStdString();
        port_ = "COM " + match.captured(1);

        link::SerialMapRoots roots{scratch_.filePath("pelta/serialcomm").toStdString(),
                                   scratch_.filePath("no-sysfs").toStdString(), "/dev"};
        roots.PortsFile = scratch_.filePath("ports.conf").toStdString();
        if (ThroughNetwork()) {  // ser2net serves the simulator's pty as COM 20
            server_.emplace(match.captured(2), true);
            QFile conf(QString::fromStdString(roots.PortsFile));
            ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
            conf.write(("COM20 " + server_->Url() + "\n").toUtf8());
            conf.close();
            port_ = "COM 20";
        }
        ui::WindowAppOptions options;
        options.PortApi = std::make_unique<link::RoutingPortApi>(roots);
        options.MapRoots = roots;
        options.ErrorLogFolder = scratch_.path();
        options.PictureFolders = {PELTA_ASSETS_DIR};
        options.RememberedSettingsPath = scratch_.filePath("config/pelta.conf");
        app_ = std::make_unique<ui::WindowApp>(std::move(options));
        app_->Window().SetMessagePresenter(
            [this](const QString& text, link::MessageIcon) { messages_ << text; });
        app_->Start();
        app_->Window().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&app_->Window()));
        ApplyLinkSettings();
    }

    // SIGTERM lets the simulator remove its port link; the window goes first.
    void TearDown() override {
        app_.reset();
        sim_.terminate();
        sim_.waitForFinished(5000);
    }

    virtual bool ThroughNetwork() const { return false; }

    template <typename Widget>
    Widget* Find(const char* name) {
        return app_->Window().findChild<Widget*>(QString::fromLatin1(name));
    }

    void Click(const char* imageButton) {
        QTest::mouseClick(Find<Button16>(imageButton), Qt::LeftButton, {}, QPoint(8, 8));
    }

    // Link settings page: the simulator's port, a short reply time-out, "Применить".
    void ApplyLinkSettings() {
        Click("Button161");
        auto* ports = Find<QComboBox>("cboPort");
        ports->setCurrentIndex(ports->findText(port_));
        ASSERT_GE(ports->currentIndex(), 0) << "the simulator's port is offered";
        Find<QLineEdit>("Text1_3")->setText("200");
        QTest::mouseClick(Find<QPushButton>("Command6"), Qt::LeftButton);
    }

    QTemporaryDir scratch_;
    QProcess sim_;
    std::optional<Ser2net> server_;
    QString port_;
    std::unique_ptr<ui::WindowApp> app_;
    QStringList messages_;
};

// The measurements page and "Обновить", then the settings page, which reads the settings.
TEST_F(WindowAgainstSim, showsTheSimulatorsMeasurementsFramesAndSettings) {
    Click("Button162");
    QTest::mouseClick(Find<QPushButton>("Command5"), Qt::LeftButton);
    // The decoder's texts are its own tests'; here that they reach the labels.
    const std::pair<const char*, QString> labels[] = {{"Label5", "Температура: 21,5 °C"},
                                                      {"Label14_0", "Давление: 750,5 мм Рт"},
                                                      {"LabelCOM", "COM " + port_ + " = закрыт"}};
    for (const auto& [name, text] : labels) {
        EXPECT_EQ(Find<QLabel>(name)->text(), text) << name;
    }
    const QTime clock = QTime::fromString(Find<QLabel>("Label7")->text(), "hh:mm:ss");
    EXPECT_LE(std::abs(clock.secsTo(QTime::currentTime())), 5);
    const QString monitor = Find<QPlainTextEdit>("TextBox1")->toPlainText();
    EXPECT_TRUE(monitor.contains(": 3\t:Tx >-- 01 32 BE ")) << monitor.toStdString();
    EXPECT_TRUE(monitor.contains(QRegularExpression(": 22\t:Rx <-- 01 32 BE( [0-9A-F]{2}){19} ")))
        << monitor.toStdString();
    Click("Button163");  // no message from either read
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join('\n').toStdString();
    EXPECT_TRUE(Find<QWidget>("ctlLine6")->isVisible());
    const std::pair<const char*, QString> shown[] = {{"DateTime3_1", "09:10"},
                                                     {"DateTime6_2", "22:15"},
                                                     {"Combo1_0", "Будни дни"},
                                                     {"Combo5", "Расписанию"},
                                                     {"Combo3", "Включать по датчику в темноте"}};
    for (const auto& [name, text] : shown) {
        const auto* list = Find<QComboBox>(name);
        EXPECT_EQ(list ? list->currentText() : Find<DateTime>(name)->Text(), text) << name;
    }
    EXPECT_TRUE(Find<QCheckBox>("Check1_0")->isChecked());
    EXPECT_FALSE(Find<QCheckBox>("Check1_1")->isChecked());
}

class WindowThroughSer2net : public WindowAgainstSim {
  protected:
    bool ThroughNetwork() const override { return true; }
};

// A network port given a COM number in ports.conf is chosen in "Порт" like any port, its
// tooltip names its URL, and a read through it (RFC 2217) fills the labels.
TEST_F(WindowThroughSer2net, readsTheSimulatorThroughTheNetworkPortsComNumber) {
    EXPECT_EQ(Find<QComboBox>("cboPort")->currentData(Qt::ToolTipRole).toString(), server_->Url());
    Click("Button162");
    QTest::mouseClick(Find<QPushButton>("Command5"), Qt::LeftButton);
    EXPECT_EQ(Find<QLabel>("Label5")->text(), "Температура: 21,5 °C");
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join('\n').toStdString();
}

// The program run with no display in its environment: help needs none, the window says in one
// line that it has none, and Qt never gets to abort.
TEST(WindowProgram, answersHelpAndNamesAMissingDisplayBeforeQtStarts) {
    const struct {
        QStringList Arguments;
        QString Platform;  // QT_QPA_PLATFORM; empty: unset
        int ExitCode;
        QString Output;  // the beginning of standard output, else of standard error
    } cases[] = {
        {{"--help"}, "", 0, "Использование: pelta"},
        {{}, "", 1, "pelta: нет дисплея для окна"},
        {{"--version"}, "", 0, "pelta "},
        {{"-h"}, "offscreen", 0, "Использование: pelta"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Arguments.join(' ').toStdString());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
            environment.remove(name);
        }
        if (!c.Platform.isEmpty()) {
            environment.insert("QT_QPA_PLATFORM", c.Platform);
        }
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(PELTA_WINDOW_PROGRAM, c.Arguments);
        ASSERT_TRUE(program.waitForFinished(30000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), c.ExitCode);
        const QString out = QString::fromUtf8(program.readAllStandardOutput());
        const QString err = QString::fromUtf8(program.readAllStandardError());
        EXPECT_TRUE((c.ExitCode == 0 ? out : err).startsWith(c.Output))
            << (out + err).toStdString();
        EXPECT_EQ((c.ExitCode == 0 ? err : out + err.section('\n', 1)).toStdString(), "")
            << "nothing else, one line";
    }
}

}  // namespace
}  // namespace pelta::e2e
