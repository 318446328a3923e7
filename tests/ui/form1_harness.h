#pragma once
// The real main window with the real core, on an in-memory serial port, a scratch
// serial-device map and scratch pictures. Message boxes are recorded, never shown.

#include <QImage>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "link/memory_port_api.h"
#include "link/message_sink.h"
#include "ui/window_app.h"

namespace pelta::ui::testing {

struct RecordedMessage {
    QString text;
    link::MessageIcon icon;
};

struct HarnessSetup {
    std::vector<int> ports = {3, 1, 12};  // registered as COM<n>, in this order
    QStringList missingPictures;          // picture files left out
    bool start = true;                    // run Form_Load
};

inline HarnessSetup WithPorts(std::vector<int> ports) {
    HarnessSetup setup;
    setup.ports = std::move(ports);
    return setup;
}

inline HarnessSetup WithoutPictures(QStringList missing, bool start = true) {
    HarnessSetup setup;
    setup.missingPictures = std::move(missing);
    setup.start = start;
    return setup;
}

inline HarnessSetup NotStarted() {
    HarnessSetup setup;
    setup.start = false;
    return setup;
}

inline const QStringList kPictureFiles = {"button_ok.bmp", "connect_established.bmp", "CLOCK.bmp",
                                          "configure.bmp", "kdevelop_down.bmp"};

class Form1Harness {
  public:
    explicit Form1Harness(HarnessSetup setup = {});

    WindowApp& App() { return *app_; }
    Form1& Window() { return app_->Window(); }
    link::MemoryPortApi& Port() { return *port_; }
    const std::vector<RecordedMessage>& Messages() const { return messages_; }
    void ClearMessages() { messages_.clear(); }
    QString Folder() const { return dir_.path(); }

    template <typename Widget>
    Widget* Find(const char* name) {
        return Window().findChild<Widget*>(QString::fromLatin1(name));
    }

    // Chooses the port list entry with this text; its position otherwise.
    int ChoosePort(const QString& entry);

  private:
    QTemporaryDir dir_;
    link::MemoryPortApi* port_ = nullptr;
    std::unique_ptr<WindowApp> app_;
    std::vector<RecordedMessage> messages_;
};

// A 16x16 picture: white with a coloured diagonal, so that it is not all transparent.
QImage SamplePicture();

}  // namespace pelta::ui::testing
