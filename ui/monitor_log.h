#pragma once
// The traffic monitor's context menu and its log file: copy, select all, and saving the text as
// it stands to a file the operator picks.

#include <QByteArray>
#include <QString>
#include <functional>

class QPlainTextEdit;

namespace pelta::ui {

// The monitor's text as a file: UTF-8, each line ended with the CR LF it was shown with.
QByteArray MonitorLogBytes(const QString& plainText);

// Replaces the file at `path` whole with `bytes`, or leaves it as it was. Returns why it could
// not, or an empty text when it is written.
QString SaveWhole(const QString& path, const QByteArray& bytes);

// Gives the monitor its own context menu, in Russian: "Копировать", "Выделить всё" and
// "Сохранить журнал…", which calls `saveLog`. It opens with the right mouse button, the Menu
// key and Shift+F10.
void InstallMonitorMenu(QPlainTextEdit* monitor, std::function<void()> saveLog);

}  // namespace pelta::ui
