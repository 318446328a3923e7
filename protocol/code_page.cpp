#include "protocol/code_page.h"

#include <QHash>
#include <QStringDecoder>

namespace pelta::protocol {

namespace {

constexpr const char* kCodePage = "windows-1251";

// Unicode -> byte, built once from the decoder's own view of the 256 byte values, so that the
// two directions agree exactly and encoding is a lookup.
const QHash<char16_t, char>& EncodeTable() {
    static const QHash<char16_t, char> table = [] {
        QHash<char16_t, char> t;
        QByteArray all(256, '\0');
        for (int b = 0; b < 256; ++b) {
            all[b] = static_cast<char>(b);
        }
        const QString decoded =
            QStringDecoder(kCodePage, QStringConverter::Flag::Stateless).decode(all);
        for (qsizetype b = 0; b < decoded.size() && b < 256; ++b) {
            if (decoded.at(b) != QChar::ReplacementCharacter) {
                t.insert(decoded.at(b).unicode(), static_cast<char>(b));
            }
        }
        return t;
    }();
    return table;
}

// Calls `visit` with each code point of `text` and its byte, or nullopt when the code page
// lacks it; a surrogate pair is one code point. Stops when `visit` returns false.
template <typename Visit>
void ForEachCharacter(const QString& text, Visit visit) {
    const auto& table = EncodeTable();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i;
            if (!visit(QChar::surrogateToUcs4(c, text.at(i)), std::optional<char>())) {
                return;
            }
            continue;
        }
        const auto it = table.constFind(c.unicode());
        const auto byte = it == table.constEnd() ? std::optional<char>() : it.value();
        if (!visit(char32_t{c.unicode()}, byte)) {
            return;
        }
    }
}

}  // namespace

std::string ToWindows1251(const QString& text) {
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    ForEachCharacter(text, [&out](char32_t, std::optional<char> byte) {
        out.push_back(byte.value_or('?'));
        return true;
    });
    return out;
}

std::optional<char32_t> FirstCharacterOutsideWindows1251(const QString& text) {
    std::optional<char32_t> missing;
    ForEachCharacter(text, [&missing](char32_t character, std::optional<char> byte) {
        if (!byte) {
            missing = character;
        }
        return byte.has_value();
    });
    return missing;
}

QString FromWindows1251(std::string_view bytes) {
    QStringDecoder decoder(kCodePage, QStringConverter::Flag::Stateless);
    return decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

}  // namespace pelta::protocol
