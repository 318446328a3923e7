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

}  // namespace

std::string ToWindows1251(const QString& text) {
    const auto& table = EncodeTable();
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i;  // one character outside the code page, one '?'
            out.push_back('?');
            continue;
        }
        const auto it = table.constFind(c.unicode());
        out.push_back(it == table.constEnd() ? '?' : it.value());
    }
    return out;
}

QString FromWindows1251(std::string_view bytes) {
    QStringDecoder decoder(kCodePage, QStringConverter::Flag::Stateless);
    return decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

}  // namespace pelta::protocol
