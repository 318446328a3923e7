#pragma once
// Which characters the controller's screen can show: the printable ASCII signs, sent as they
// are, and the Russian letters of the display map. The window sends anything else as "?" or as
// a byte that shows some other letter; pelta-ctl refuses such a text before anything is sent.

#include <QString>

namespace pelta::ctl {

// The first character of the text that the screen cannot show (a surrogate pair whole);
// empty when the screen shows every one.
QString FirstCharacterNotShown(const QString& text);

// How a message names that character: "ü" (U+00FC), or U+0009 alone for a control character.
QString CharacterName(const QString& character);

}  // namespace pelta::ctl
