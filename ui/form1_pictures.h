#pragma once
// The bitmaps of the image buttons are looked for by bare file name: in the current directory
// first, then beside the program (a build tree, a portable copy), then in the install's data
// folder.

#include <QImage>
#include <QString>
#include <QStringList>

namespace pelta::ui {

// The current directory, the program's own folder, and ../share/pelta from there. All three
// are kept, even when two are the same, so that a warning names every place looked in.
QStringList DefaultPictureFolders();

// The path of the first readable picture of that name in `folders`; empty when there is none.
QString FindPicture(const QString& fileName, const QStringList& folders);

// The picture, or a null image when no folder holds a loadable file of that name.
QImage LoadPicture(const QString& fileName, const QStringList& folders);

// The warning shown when pictures could not be loaded, naming each file and where it was
// looked for.
QString MissingPicturesText(const QStringList& fileNames, const QStringList& folders);

}  // namespace pelta::ui
