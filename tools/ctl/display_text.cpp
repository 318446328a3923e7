#include "tools/ctl/display_text.h"

namespace pelta::ctl {
namespace {

constexpr char32_t kFirstSign = 0x20;  // the blank
constexpr char32_t kLastSign = 0x7E;   // the tilde
constexpr char32_t kCapitalA = 0x410;  // А
constexpr char32_t kSmallYa = 0x44F;   // я
constexpr char32_t kCapitalYo = 0x401;
constexpr char32_t kSmallYo = 0x451;

bool Shown(char32_t code) {
    return (code >= kFirstSign && code <= kLastSign) || (code >= kCapitalA && code <= kSmallYa) ||
           code == kCapitalYo || code == kSmallYo;
}

char32_t CodeOf(const QString& character) {
    if (character.size() == 2 && character[0].isHighSurrogate()) {
        return QChar::surrogateToUcs4(character[0], character[1]);
    }
    return character.isEmpty() ? 0 : character[0].unicode();
}

}  // namespace

QString FirstCharacterNotShown(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool pair =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const QString character = text.mid(i, pair ? 2 : 1);
        if (!Shown(CodeOf(character))) {
            return character;
        }
        i += pair ? 1 : 0;
    }
    return {};
}

QString CharacterName(const QString& character) {
    const char32_t code = CodeOf(character);
    const QString number = QStringLiteral("U+%1")
                               .arg(static_cast<qulonglong>(code), 4, 16, QLatin1Char('0'))
                               .toUpper();
    if (QChar::isPrint(code)) {
        return QStringLiteral("\"%1\" (%2)").arg(character, number);
    }
    return number;
}

}  // namespace pelta::ctl
