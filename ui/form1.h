#pragma once
// `Form1`, the one window of the program: a toolbar of page buttons, four pages on the same
// rectangle, the port state, the traffic monitor and two status lines. The window wires its
// controls to the core; what the buttons do lives in the core's handlers.

#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>

#include "link/message_sink.h"
#include "link/remembered_settings.h"
#include "ui/form1_controls.h"
#include "ui/form1_views.h"

namespace pelta::link {
class LinkSettingsModel;
class PortDiscovery;
class SerialChannel;
struct LinkChoices;
}  // namespace pelta::link
namespace pelta::protocol {
class PollCycle;
}
namespace pelta::device {
class SettingsCommands;
}

namespace pelta::ui {

// The core objects the window's handlers call.
struct Form1Services {
    link::PortDiscovery& Discovery;
    link::LinkSettingsModel& LinkSettings;
    link::SerialChannel& Channel;
    protocol::PollCycle& Cycle;
    device::SettingsCommands& Commands;
};

enum class Page { LinkSettings, Measurements, ControllerSettings, TimedEvent };

class Form1 : public QWidget, public link::MessageSink {
    Q_OBJECT

  public:
    // Shows a message to the operator; the default is a modal box titled "Пелта".
    using MessagePresenter = std::function<void(const QString& text, link::MessageIcon icon)>;

    static constexpr const char* kTitle = "Пелта";

    explicit Form1(QStringList pictureFolders, QWidget* parent = nullptr);
    ~Form1() override;

    const Form1Controls& Controls() const { return controls_; }

    protocol::PollHost& PollHostView() { return pollHost_; }
    protocol::MonitorView& MonitorView() { return monitor_; }
    device::MeasurementsView& MeasurementsView() { return measurements_; }
    device::SettingsView& SettingsView() { return settingsView_; }
    device::SettingsControls& SettingsControls() { return settingsControls_; }

    void SetMessagePresenter(MessagePresenter presenter) { presenter_ = std::move(presenter); }
    // Asks where to save the monitor's log; an empty path means the operator cancelled. The
    // default is a save dialog.
    using SavePathChooser = std::function<QString()>;
    void SetSavePathChooser(SavePathChooser chooser) { chooseSavePath_ = std::move(chooser); }
    void ShowMessage(const QString& text, link::MessageIcon icon) override;

    // Connects the controls to the core's handlers. Call once, before Form_Load.
    void Bind(const Form1Services& services);
    // Fills every list and default. Call once, after Bind and before the window is shown.
    void Form_Load();

    void ShowPage(Page page);
    Page CurrentPage() const { return page_; }

    // The link settings page's current choices, as "Применить" hands them on.
    link::LinkChoices ReadLinkChoices() const;

    // Shows the link settings and takes the window position remembered in the file at `path`
    // as if "Применить" had been pressed for them, and remembers there from now on (on
    // "Применить" and on closing). Call once, after Form_Load.
    void RestoreRemembered(const QString& path);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void ConnectPageButtons();
    void ConnectSendButtons();
    void LoadPictures();
    void FillWeekdays();
    void FillScheduleLists();
    void FillLinkLists();
    void RefreshPortList();
    void ShowPortDevices();
    void FillDayLists();
    void Button165_Click();
    void DateTime1_LostFocus();
    // "Применить": applies the page and remembers it.
    void Command6_Click();
    // "По умолчанию": the page's fields back to their start-up defaults, nothing applied.
    void CmdDefault_Click();
    void ShowLinkFields(const link::RememberedSettings& settings, const link::LineValues& port);
    // Applies the remembered ports found in the port list, and chooses the last one applied.
    void ApplyRememberedPorts();
    int PortListPosition(int comNumber) const;
    bool SaveRemembered();
    void Form_QueryUnload();
    // "Сохранить журнал…": the monitor's text to a file the operator picks.
    void SaveMonitorLog();
    // Runs a handler of the window; a failure ends it with a warning box.
    void Guarded(const std::function<void()>& handler);

    Form1Controls controls_;
    Form1PollHost pollHost_;
    Form1MonitorView monitor_;
    Form1MeasurementsView measurements_;
    Form1SettingsView settingsView_;
    Form1SettingsControls settingsControls_;
    QStringList pictureFolders_;
    MessagePresenter presenter_;
    SavePathChooser chooseSavePath_;
    std::unique_ptr<Form1Services> services_;
    Page page_ = Page::LinkSettings;
    QString rememberedPath_;  // empty: nothing is remembered
    link::RememberedSettings remembered_;
};

}  // namespace pelta::ui
