#include "link/com_numbering.h"

#include "link/line_rules.h"

namespace pelta::link {

ComNumbering NumberDevices(const std::vector<std::string>& identities,
                           const std::set<int>& linkNumbers, const RememberedPorts& remembered) {
    ComNumbering result{std::vector<int>(identities.size(), 0), remembered, false};
    std::set<int> held = linkNumbers;
    for (const auto& [identity, number] : remembered) {
        held.insert(number);
    }
    std::set<int> given;
    for (std::size_t i = 0; i < identities.size(); ++i) {
        const auto found = remembered.find(identities[i]);
        if (found != remembered.end() && linkNumbers.count(found->second) == 0 &&
            given.insert(found->second).second) {
            result.Numbers[i] = found->second;
        }
    }
    int next = ComNumbers.Lowest;
    for (std::size_t i = 0; i < identities.size(); ++i) {
        if (result.Numbers[i] != 0) {
            continue;
        }
        while (next <= ComNumbers.Highest && held.count(next) != 0) {
            ++next;
        }
        if (next > ComNumbers.Highest) {
            break;
        }
        result.Numbers[i] = next;
        held.insert(next);
        if (result.Remembered.emplace(identities[i], next).second) {
            result.RememberedChanged = true;
        }
    }
    return result;
}

}  // namespace pelta::link
