#pragma once
// The real main window with the real core, on an in-memory serial port, a scratch
// serial-device map, or on the real ports of a given map; with copies of the real pictures.
// Message boxes are recorded, never shown.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

#include "link/message_sink.h"
#include "link/routing_port_api.h"
#include "tests/support/memory_port_api.h"
#include "ui/button16.h"
#include "ui/date_time.h"
#include "ui/window_app.h"

namespace pelta::ui::testing {

struct HarnessSetup {
    std::vector<int> ports = {3, 1, 12};  // registered as COM<n>, in this order
    QStringList missingPictures = {};     // left out
    QStringList brokenPictures = {};      // written as text, not as pictures
    QString rememberedPath = {};          // empty: a scratch file of the harness's own
    std::optional<link::SerialMapRoots> realPorts = {};
};

inline const QStringList kPictureFiles = {"button_ok.bmp", "connect_established.bmp", "CLOCK.bmp",
                                          "configure.bmp", "kdevelop_down.bmp"};

// A file's bytes, or "(absent)".
inline QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(absent)");
}

inline bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

class Form1Harness {
  public:
    explicit Form1Harness(const HarnessSetup& setup = {}) {
        const QDir root(dir_.path());
        root.mkpath(QStringLiteral("map"));  // the only folder that must exist
        WindowAppOptions options;
        options.ErrorLogFolder = root.filePath("log");
        options.RememberedSettingsPath = setup.rememberedPath.isEmpty()
                                             ? root.filePath("config/pelta.conf")
                                             : setup.rememberedPath;
        auto port = std::make_unique<link::MemoryPortApi>();
        port_ = port.get();
        for (int number : setup.ports) {
            QFile::link(Terminal(), root.filePath(QStringLiteral("map/COM%1").arg(number)));
            port_->AddPort(static_cast<std::int16_t>(number));
        }
        port_->ExistingDevices.insert(Terminal().toStdString());  // the list opens link targets
        for (const QString& file : kPictureFiles) {
            if (setup.brokenPictures.contains(file)) {
                WriteFile(root.filePath(file), "not a bitmap");
            } else if (!setup.missingPictures.contains(file)) {
                QFile::copy(PELTA_ASSETS_DIR "/" + file, root.filePath(file));
            }
        }
        options.PortApi = std::move(port);
        options.MapRoots = {root.filePath("map").toStdString(), root.filePath("sys").toStdString(),
                            root.filePath("dev").toStdString()};
        options.MapRoots->PortsFile = PortsFile().toStdString();
        options.PictureFolders = {root.path()};
        if (setup.realPorts) {
            options.PortApi = std::make_unique<link::RoutingPortApi>(*setup.realPorts);
            options.MapRoots = setup.realPorts;
            port_ = nullptr;
        }
        app_ = std::make_unique<WindowApp>(std::move(options));
        Window().SetMessagePresenter([this](const QString& text, link::MessageIcon icon) {
            messages.emplace_back(text, icon);
        });
        app_->Start();
    }

    WindowApp& App() { return *app_; }
    Form1& Window() { return app_->Window(); }
    link::MemoryPortApi& Port() { return *port_; }
    QString MapFolder() const { return QDir(dir_.path()).filePath(QStringLiteral("map")); }
    // The device every scratch COM entry names: a pseudo-terminal of the harness's own (the
    // port list takes character devices only); the in-memory port is what opens.
    QString Terminal() const { return QString::fromLatin1(::ptsname(terminal_.fd)); }
    QString PortsFile() const { return QDir(dir_.path()).filePath(QStringLiteral("ports.conf")); }
    std::vector<std::pair<QString, link::MessageIcon>> messages;  // text and icon

    template <typename Widget>
    Widget* Find(const char* name) {
        return Window().findChild<Widget*>(QString::fromLatin1(name));
    }

    void Click(const char* imageButton) {
        QTest::mouseClick(Find<Button16>(imageButton), Qt::LeftButton, {}, QPoint(8, 8));
    }

    // Shows the window as the active one, so that the focus really moves.
    bool ShowActive() {
        Window().show();
        QApplication::setActiveWindow(&Window());
        return QTest::qWaitForWindowActive(&Window());
    }

    // Fills fields from "name=value, ..." texts (lists by their item text).
    void Fill(const QString& fields) {
        for (const QString& field : fields.split(", ", Qt::SkipEmptyParts)) {
            const QString name = field.section('=', 0, 0);
            const QString value = field.section('=', 1);
            if (auto* list = Find<QComboBox>(qPrintable(name))) {
                list->setCurrentIndex(list->findText(value));
                EXPECT_EQ(list->currentText(), value);
            } else if (auto* text = Find<QLineEdit>(qPrintable(name))) {
                text->setText(value);
            } else {
                ADD_FAILURE() << "no field " << name.toStdString();
            }
        }
    }

    // What the named controls show, as "name=value, ..." (lists by item text, check boxes as
    // true or false).
    std::string Shown(const QString& names) {
        QStringList shown;
        for (const QString& name : names.split(' ')) {
            const QObject* c = Window().findChild<QObject*>(name);
            const auto* field = qobject_cast<const DateTime*>(c);
            const char* value = !c || c->inherits("QCheckBox") ? "checked"
                                : c->inherits("QComboBox")     ? "currentText"
                                                               : "text";
            shown << name + '=' + (field ? field->Text() : c ? c->property(value).toString() : "?");
        }
        return shown.join(", ").toStdString();
    }

  private:
    struct OwnTerminal {
        int fd = ::posix_openpt(O_RDWR | O_NOCTTY);
        ~OwnTerminal() { ::close(fd); }
    } terminal_;
    QTemporaryDir dir_;
    link::MemoryPortApi* port_ = nullptr;
    std::unique_ptr<WindowApp> app_;
};

}  // namespace pelta::ui::testing
