#include "tools/ctl/address_list.h"

#include <QRegularExpression>
#include <set>

#include "link/link_settings.h"

namespace pelta::ctl {
namespace {

std::optional<int> AddressNumber(const QString& text) {
    return link::WholeNumberIn(text, link::ControllerAddresses);
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
            return Refused(QStringLiteral("адрес \"%1\" не число от %2 до %3")
                               .arg(item)
                               .arg(link::ControllerAddresses.Lowest)
                               .arg(link::ControllerAddresses.Highest));
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
    static const QRegularExpression port(QStringLiteral("^(?:COM\\s*)?(\\d+)$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = port.match(text.trimmed());
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    return link::WholeNumberIn(match.captured(1), link::ComNumbers);
}

}  // namespace pelta::ctl
