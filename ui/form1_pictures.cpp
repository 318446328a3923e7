#include "ui/form1_pictures.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace pelta::ui {

QStringList DefaultPictureFolders() {
    const QString programFolder = QCoreApplication::applicationDirPath();
    return {QDir::currentPath(), programFolder,
            QDir::cleanPath(programFolder + QStringLiteral("/../share/pelta"))};
}

QString FindPicture(const QString& fileName, const QStringList& folders) {
    for (const QString& folder : folders) {
        const QFileInfo file(QDir(folder), fileName);
        if (file.isFile() && file.isReadable()) {
            return file.filePath();
        }
    }
    return {};
}

QImage LoadPicture(const QString& fileName, const QStringList& folders) {
    // A file that is found but does not decode counts as missing; later folders are not
    // tried, since the first file found is the one that was meant.
    const QString path = FindPicture(fileName, folders);
    return path.isEmpty() ? QImage() : QImage(path);
}

QString MissingPicturesText(const QStringList& fileNames, const QStringList& folders) {
    const QString files = fileNames.join(QStringLiteral(", "));
    const QString where = folders.join(QStringLiteral("; "));
    if (fileNames.size() == 1) {
        return QStringLiteral("Не удалось загрузить рисунок %1 (искали в: %2).").arg(files, where);
    }
    return QStringLiteral("Не удалось загрузить рисунки %1 (искали в: %2).").arg(files, where);
}

}  // namespace pelta::ui
