#include "form1_harness.h"

#include <QComboBox>
#include <QDir>
#include <QFile>

namespace pelta::ui::testing {

QImage SamplePicture() {
    QImage picture(16, 16, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (int i = 0; i < 16; ++i) {
        picture.setPixelColor(i, i, QColor(0, 0, 160));
    }
    return picture;
}

Form1Harness::Form1Harness(HarnessSetup setup) {
    const QDir root(dir_.path());
    for (const char* folder : {"map", "sys", "dev", "pictures", "log"}) {
        root.mkpath(QString::fromLatin1(folder));
    }
    auto port = std::make_unique<link::MemoryPortApi>();
    port_ = port.get();
    for (int number : setup.ports) {
        QFile::link(QStringLiteral("/dev/null"),
                    root.filePath(QStringLiteral("map/COM%1").arg(number)));
        port_->AddPort(static_cast<std::int16_t>(number));
    }
    for (const QString& file : kPictureFiles) {
        if (!setup.missingPictures.contains(file)) {
            SamplePicture().save(root.filePath(QStringLiteral("pictures/") + file), "BMP");
        }
    }

    WindowAppOptions options;
    options.PortApi = std::move(port);
    options.MapRoots = link::SerialMapRoots{root.filePath(QStringLiteral("map")).toStdString(),
                                            root.filePath(QStringLiteral("sys")).toStdString(),
                                            root.filePath(QStringLiteral("dev")).toStdString()};
    options.ErrorLogFolder = root.filePath(QStringLiteral("log"));
    options.PictureFolders = {root.filePath(QStringLiteral("pictures"))};
    app_ = std::make_unique<WindowApp>(std::move(options));
    Window().SetMessagePresenter([this](const QString& text, link::MessageIcon icon) {
        messages_.push_back({text, icon});
    });
    if (setup.start) {
        app_->Start();
    }
}

int Form1Harness::ChoosePort(const QString& entry) {
    auto* ports = Find<QComboBox>("cboPort");
    const int position = ports->findText(entry);
    ports->setCurrentIndex(position);
    return position;
}

}  // namespace pelta::ui::testing
