#pragma once
// What the program remembers between runs: the link settings last applied in the window, per
// port by its COM number, and the window's position. Kept as an INI file that an operator may
// also edit by hand, so line values are kept as the lists' texts and every value is read back
// and checked: a value that makes no
// sense falls back to its default, and a missing or damaged file simply remembers nothing.
// The window writes it on "Применить"; pelta-ctl only reads it.

#include <QPoint>
#include <QString>
#include <map>
#include <optional>

#include "link/link_settings.h"

namespace pelta::link {

struct RememberedSettings {
    std::optional<int> ChosenPort;    // COM number of the port last applied
    std::map<int, LineValues> Ports;  // applied line values per COM number
    QString Address = QStringLiteral("1");
    QString ReplyTimeout = QStringLiteral("1000");
    QString Attempts = QStringLiteral("1");
    std::optional<QPoint> WindowPosition;

    friend bool operator==(const RememberedSettings&, const RememberedSettings&) = default;
};

// $XDG_CONFIG_HOME/pelta/pelta.conf, ~/.config/pelta/pelta.conf without it; empty without a
// home, when nothing is remembered.
QString RememberedSettingsPath();

// Never fails: a missing or unreadable file gives the defaults, each nonsense value its default.
RememberedSettings LoadRememberedSettings(const QString& path);

// Replaces the file whole (its folder is created when needed); false when it could not be written.
bool SaveRememberedSettings(const QString& path, const RememberedSettings& settings);

}  // namespace pelta::link
