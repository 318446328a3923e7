#include "ui/form1.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTime>
#include <exception>
#include <vector>

#include "device/settings_commands.h"
#include "device/settings_lists.h"
#include "link/link_settings.h"
#include "link/port_discovery.h"
#include "link/serial_channel.h"
#include "protocol/poll_cycle.h"
#include "ui/button16.h"
#include "ui/ctl_line.h"
#include "ui/date_time.h"
#include "ui/form1_dates.h"
#include "ui/form1_layout.h"
#include "ui/form1_pages.h"
#include "ui/form1_pictures.h"
#include "ui/monitor_log.h"
#include "ui/twips.h"

namespace pelta::ui {

namespace {

constexpr int kClientWidthTwips = 6060;
constexpr int kClientHeightTwips = 7785;

QMessageBox::Icon BoxIcon(link::MessageIcon icon) {
    switch (icon) {
        case link::MessageIcon::Critical:
            return QMessageBox::Critical;
        case link::MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case link::MessageIcon::Information:
            return QMessageBox::Information;
        case link::MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

template <std::size_t N>
QStringList ListOf(const std::array<const char*, N>& names) {
    QStringList list;
    for (const char* name : names) {
        list << QString::fromUtf8(name);
    }
    return list;
}

// Fills a list without choosing an item (a list that was empty would pick its first one).
void FillUnselected(QComboBox* combo, const QStringList& items) {
    combo->addItems(items);
    combo->setCurrentIndex(-1);
}

// Fills an editable combo that keeps showing its own text until a reading chooses an item.
void FillKeepingText(QComboBox* combo, const QStringList& items) {
    const QString text = combo->currentText();
    FillUnselected(combo, items);
    combo->setEditText(text);
}

}  // namespace

Form1::Form1(QStringList pictureFolders, QWidget* parent)
    : QWidget(parent),
      pollHost_(controls_.Link, controls_.Status),
      monitor_(controls_.Status),
      measurements_(controls_.Measurements),
      settingsView_(controls_.Settings),
      settingsControls_(controls_),
      pictureFolders_(std::move(pictureFolders)) {
    InstallFontSubstitutes();
    QFont windowFont(QStringLiteral("MS Sans Serif"));
    windowFont.setPointSizeF(8.25);
    setFont(windowFont);
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromUtf8(kTitle));
    setFixedSize(TwipsToPixels(kClientWidthTwips, this), TwipsToPixels(kClientHeightTwips, this));
    controls_.Toolbar = BuildToolbar(this);
    controls_.Link = BuildLinkPage(this);
    controls_.Measurements = BuildMeasurementsPage(this);
    controls_.Settings = BuildSettingsPage(this);
    controls_.Event = BuildEventPage(this);
    // The Tab order is the order of creation, which is the reading order: the toolbar, each
    // page top to bottom and left to right (hidden pages drop out), the monitor, Command7.
    controls_.Status = BuildStatusArea(this);
    ShowPage(Page::LinkSettings);
    presenter_ = [this](const QString& text, link::MessageIcon icon) {
        QMessageBox box(BoxIcon(icon), QString::fromUtf8(kTitle), text, QMessageBox::Ok, this);
        box.exec();
    };
    chooseSavePath_ = [this] {
        return QFileDialog::getSaveFileName(
            this, QStringLiteral("Сохранить журнал"), QDir::home().filePath("pelta-log.txt"),
            QStringLiteral("Текстовые файлы (*.txt *.log);;Все файлы (*)"));
    };
    InstallMonitorMenu(controls_.Status.TextBox1,
                       [this] { Guarded([this] { SaveMonitorLog(); }); });
}

Form1::~Form1() = default;

void Form1::ShowMessage(const QString& text, link::MessageIcon icon) {
    presenter_(text, icon);
}

void Form1::Bind(const Form1Services& services) {
    services_ = std::make_unique<Form1Services>(services);
    ConnectPageButtons();
    ConnectSendButtons();
    connect(controls_.Settings.Button165, &Button16::Click, this,
            [this] { Guarded([this] { Button165_Click(); }); });
    connect(controls_.Settings.DateTime1, &DateTime::LostFocus, this,
            [this] { Guarded([this] { DateTime1_LostFocus(); }); });
    connect(controls_.Link.Command6, &QPushButton::clicked, this,
            [this] { Guarded([this] { Command6_Click(); }); });
    connect(controls_.Link.CmdDefault[0], &QPushButton::clicked, this,
            [this] { Guarded([this] { CmdDefault_Click(); }); });
    controls_.Link.cboPort->SetBeforePopup([this] { Guarded([this] { RefreshPortList(); }); });
}

void Form1::ConnectPageButtons() {
    const ToolbarControls& bar = controls_.Toolbar;
    connect(bar.Button161, &Button16::Click, this, [this] { ShowPage(Page::LinkSettings); });
    connect(bar.Button162, &Button16::Click, this, [this] { ShowPage(Page::Measurements); });
    connect(bar.Button164, &Button16::Click, this, [this] { ShowPage(Page::TimedEvent); });
    connect(bar.Button163, &Button16::Click, this, [this] {
        Guarded([this] {
            services_->Commands.Button163_Click([this] { ShowPage(Page::ControllerSettings); });
        });
    });
}

void Form1::ConnectSendButtons() {
    device::SettingsCommands& commands = services_->Commands;
    const auto starter = [this](std::function<void()> action) {
        return [this, action = std::move(action)] { Guarded(action); };
    };
    connect(controls_.Measurements.Command5, &QPushButton::clicked, this,
            starter([&commands] { commands.Command5_Click(); }));
    connect(controls_.Settings.Button166, &Button16::Click, this,
            starter([&commands] { commands.Button166_Click(); }));
    for (int i = 0; i < 2; ++i) {
        connect(controls_.Settings.Button167[i], &Button16::Click, this,
                starter([&commands, i] { commands.Button167_Click(i); }));
    }
    connect(controls_.Event.Button168, &Button16::Click, this,
            starter([&commands] { commands.Button168_Click(); }));
    connect(controls_.Status.Command7, &QPushButton::clicked, this,
            starter([&commands] { commands.Command7_Click(); }));
}

void Form1::Form_Load() {
    // Each step runs only when the one before it succeeded, as the lists depend on each other
    // in the operator's eyes; a failure is shown and leaves the window as filled so far.
    Guarded([this] {
        controls_.Settings.DateTime1->SetLayout(DateTime::DateShort);
        controls_.Event.DateTime4->SetLayout(DateTime::DateShort);
        FillWeekdays();
        LoadPictures();
        controls_.Settings.DateTime1->SetText(DateText(QDate::currentDate()));
        controls_.Settings.DateTime2->SetLayout(DateTime::TimeLong);
        controls_.Settings.DateTime3[1]->SetLayout(DateTime::TimeShort);
        controls_.Settings.DateTime3[0]->SetLayout(DateTime::TimeShort);
        for (int i : {1, 0, 2, 3}) {
            controls_.Settings.DateTime6[i]->SetLayout(DateTime::TimeShort);
        }
        FillScheduleLists();
        controls_.Settings.DateTime2->SetText(TimeText(QTime::currentTime()));
        FillLinkLists();  // the core found the ports when it was built
        FillDayLists();
    });
}

void Form1::FillWeekdays() {
    FillUnselected(controls_.Settings.Combo2, WeekdayNames(QLocale()));
}

void Form1::LoadPictures() {
    const SettingsPageControls& s = controls_.Settings;
    const ToolbarControls& bar = controls_.Toolbar;
    const struct {
        const char* file;
        std::vector<Button16*> buttons;
    } assignments[] = {
        {"button_ok.bmp", {s.Button166, s.Button167[0], s.Button167[1], s.Button169, s.Button1610}},
        {"connect_established.bmp", {bar.Button161}},
        {"CLOCK.bmp", {bar.Button162}},
        {"configure.bmp", {bar.Button163}},
        {"kdevelop_down.bmp", {bar.Button164}},
    };
    QStringList missing;
    for (const auto& assignment : assignments) {
        const QString file = QString::fromLatin1(assignment.file);
        const QImage picture = LoadPicture(file, pictureFolders_);
        if (picture.isNull()) {
            // The button keeps its frame and still works; start-up goes on.
            missing << file;
            continue;
        }
        for (Button16* button : assignment.buttons) {
            button->SetPictureByValue(picture);
        }
    }
    if (!missing.isEmpty()) {
        // Also on stderr, where whoever started the program from a terminal or a script sees it.
        const QString text = MissingPicturesText(missing, pictureFolders_);
        qWarning().noquote() << text;
        ShowMessage(text, link::MessageIcon::Exclamation);
    }
}

void Form1::FillScheduleLists() {
    const SettingsPageControls& s = controls_.Settings;
    FillKeepingText(s.Combo4, ListOf(device::kScreenModeNames));
    FillKeepingText(s.Combo5, ListOf(device::kScreenSourceNames));
    FillKeepingText(s.Combo3, ListOf(device::kNightLightModeNames));
}

void Form1::FillLinkLists() {
    const LinkPageControls& l = controls_.Link;
    l.cboSpeed->addItems(link::SpeedEntries());
    l.cboSpeed->setCurrentIndex(link::DefaultSpeedPosition);
    l.cmbHandShake->setCurrentIndex(link::DefaultHandShakePosition);
    // No port found leaves the list empty; "Не выбран порт!" then guards every exchange.
    FillUnselected(l.cboPort, services_->Discovery.PortListEntries());
    ShowPortDevices();
    const link::PropertyLists lists = link::LinkSettingsModel::LoadPropertySettings();
    l.cboDataBits->addItems(lists.DataBits);
    l.cboDataBits->setCurrentIndex(lists.DataBitsPosition);
    l.cboParity->addItems(lists.Parity);
    l.cboParity->setCurrentIndex(lists.ParityPosition);
    l.cboStopBits->addItems(lists.StopBits);
    l.cboStopBits->setCurrentIndex(lists.StopBitsPosition);
}

// Ports plugged in or pulled since the list was filled; the chosen port stays chosen by its
// COM number, and nothing else on the page changes.
void Form1::RefreshPortList() {
    PortList* ports = controls_.Link.cboPort;
    const std::int16_t chosen =
        services_->Discovery.RefreshKeeping(static_cast<std::int16_t>(ports->currentIndex()));
    const QSignalBlocker quiet(ports);
    ports->clear();
    ports->addItems(services_->Discovery.PortListEntries());
    ShowPortDevices();
    ports->setCurrentIndex(chosen);
}

// Entries read "COM n" alone; the tooltip tells which device or network port each one opens.
void Form1::ShowPortDevices() {
    PortList* ports = controls_.Link.cboPort;
    for (int i = 0; i < ports->count(); ++i) {
        ports->setItemData(
            i, QString::fromStdString(services_->Discovery.DeviceAt(static_cast<std::int16_t>(i))),
            Qt::ToolTipRole);
    }
}

void Form1::FillDayLists() {
    for (QComboBox* days : controls_.Settings.Combo1) {
        FillUnselected(days, ListOf(device::kDaySetNames));
    }
}

void Form1::ShowPage(Page page) {
    page_ = page;
    controls_.Link.ctlLine2->setVisible(page == Page::LinkSettings);
    controls_.Measurements.ctlLine3->setVisible(page == Page::Measurements);
    controls_.Settings.ctlLine6->setVisible(page == Page::ControllerSettings);
    controls_.Event.ctlLine7->setVisible(page == Page::TimedEvent);
}

link::LinkChoices Form1::ReadLinkChoices() const {
    const LinkPageControls& l = controls_.Link;
    link::LinkChoices choices;
    choices.PortNumber =
        services_->Discovery.NumberAt(static_cast<std::int16_t>(l.cboPort->currentIndex()));
    choices.PortText = l.cboPort->currentText();
    choices.DataBits = static_cast<std::int16_t>(l.cboDataBits->currentIndex());
    choices.Parity = static_cast<std::int16_t>(l.cboParity->currentIndex());
    choices.Speed = static_cast<std::int16_t>(l.cboSpeed->currentIndex());
    choices.HandShake = static_cast<std::int16_t>(l.cmbHandShake->currentIndex());
    choices.StopBits = static_cast<std::int16_t>(l.cboStopBits->currentIndex());
    choices.AddressText = l.Text1[2]->text();
    choices.ReplyTimeoutText = l.Text1[3]->text();
    choices.AttemptsText = l.Text1[4]->text();
    return choices;
}

void Form1::Button165_Click() {
    const QDateTime now = QDateTime::currentDateTime();
    controls_.Settings.DateTime1->SetText(DateText(now.date()));
    controls_.Settings.Combo2->setCurrentIndex(WeekdayIndex(now.date()));
    controls_.Settings.DateTime2->SetLayout(DateTime::TimeLong);
    controls_.Settings.DateTime2->SetText(TimeText(now.time()));
}

void Form1::DateTime1_LostFocus() {
    // Only a move of the focus inside the window counts, not the window losing the focus
    // (to a message box, say), or a warning here would raise itself again.
    if (!isActiveWindow()) {
        return;
    }
    const QString text = controls_.Settings.DateTime1->Text();
    const QDate date = DateFromText(text);
    if (!date.isValid()) {
        ShowMessage(QStringLiteral("Неверная дата: %1").arg(text), link::MessageIcon::Exclamation);
        return;
    }
    controls_.Settings.Combo2->setCurrentIndex(WeekdayIndex(date));
}

void Form1::closeEvent(QCloseEvent* event) {
    if (services_ != nullptr) {
        // A running exchange stops at once, its wait cut short, and reads nothing from the port
        // closed below; the window does not wait out the reply time-out.
        services_->Cycle.Abort();
    }
    Guarded([this] { Form_QueryUnload(); });
    if (!rememberedPath_.isEmpty()) {
        remembered_.WindowPosition = pos();
        SaveRemembered();  // only the position is new; not worth a message on the way out
    }
    event->accept();
}

void Form1::Form_QueryUnload() {
    if (services_ != nullptr && services_->Channel.PortHandle > 0) {
        services_->Channel.ClosePort();
    }
}

void Form1::SaveMonitorLog() {
    const QString path = chooseSavePath_();
    if (path.isEmpty()) {
        return;
    }
    const QString reason =
        SaveWhole(path, MonitorLogBytes(controls_.Status.TextBox1->toPlainText()));
    if (!reason.isEmpty()) {
        ShowMessage(QStringLiteral("Журнал не сохранён в %1: %2").arg(path, reason),
                    link::MessageIcon::Exclamation);
    }
}

void Form1::Guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        ShowMessage(QString::fromUtf8(error.what()), link::MessageIcon::Exclamation);
    }
}

}  // namespace pelta::ui
