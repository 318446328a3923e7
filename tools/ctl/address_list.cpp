#include "tools/ctl/address_list.h"

#include <QRegularExpression>
#include <set>

namespace pelta::ctl {
namespace {

constexpr int kHighestAddress = 255;
constexpr int kHighestPort = 32767;

// A decimal number 0-255 written with digits only.
std::optional<int> AddressNumber(const QString& text) {
    static const QRegularExpression digits(QStringLiteral("^\\d{1,3}$"));
    if (!digits.match(text).hasMatch()) {
        return std::nullopt;
    }
    const int value = text.toInt();
    return value <= kHighestAddress ? std::optional<int>(value) : std::nullopt;
}

AddressList Refused(const QString& why) {
    return {{}, why};
}

}  // namespace

AddressList ParseAddressList(const QString& text) {
    AddressList list;
    std::set<int> seen;
    for (const QString& rawItem : text.split(QLatin1Char(','))) {
        const QString item = rawItem.trimmed();
        if (item.isEmpty()) {
            return Refused(QStringLiteral("пустой элемент в списке адресов \"%1\"").arg(text));
        }
        const QStringList ends = item.split(QLatin1Char('-'));
        const auto first = AddressNumber(ends.front().trimmed());
        const auto last = ends.size() == 2 ? AddressNumber(ends.back().trimmed()) : first;
        if (ends.size() > 2 || !first || !last) {
            return Refused(QStringLiteral("адрес \"%1\" не число от 0 до 255").arg(item));
        }
        if (*first > *last) {
            return Refused(
                QStringLiteral("диапазон адресов \"%1\" идёт в обратную сторону").arg(item));
        }
        for (int address = *first; address <= *last; ++address) {
            if (seen.insert(address).second) {
                list.Addresses.push_back(address);
            }
        }
    }
    return list;
}

std::optional<int> ParsePortNumber(const QString& text) {
    static const QRegularExpression port(QStringLiteral("^(?:COM\\s*)?(\\d{1,5})$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = port.match(text.trimmed());
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    const int number = match.captured(1).toInt();
    if (number < 1 || number > kHighestPort) {
        return std::nullopt;
    }
    return number;
}

}  // namespace pelta::ctl
