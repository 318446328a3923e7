#include <gtest/gtest.h>

#include "tools/ctl/address_list.h"

namespace pelta::ctl {
namespace {

TEST(AddressList, acceptsAddressesAndRangesAndRefusesTheWholeListOnAnyBadItem) {
    const struct {
        const char* text;
        std::vector<int> addresses;  // empty: refused
    } cases[] = {
        {"0", {0}},
        {"255", {255}},
        {"1,3,5-9", {1, 3, 5, 6, 7, 8, 9}},
        {"5-5", {5}},
        {" 4 , 2 ", {4, 2}},
        {"2,1-3,2", {2, 1, 3}},
        {"3-1", {}},
        {"1,,2", {}},
        {"256", {}},
        {"250-256", {}},
        {"", {}},
        {"-1", {}},
        {"1-2-3", {}},
        {"+7", {}},
    };
    for (const auto& c : cases) {
        const AddressList list = ParseAddressList(QString::fromLatin1(c.text));
        EXPECT_EQ(list.Addresses, c.addresses) << c.text;
        EXPECT_EQ(list.Error.isEmpty(), !c.addresses.empty()) << c.text;
    }
    EXPECT_EQ(ParseAddressList(QStringLiteral("0-255")).Addresses.size(), 256U);
}

TEST(PortText, takesTheListTextOrItsNumber) {
    const struct {
        const char* text;
        std::optional<int> number;
    } cases[] = {
        {"COM 7", 7},
        {"COM7", 7},
        {"com7", 7},
        {"7", 7},
        {" 12 ", 12},
        {"COM 32767", 32767},
        {"COM 32768", std::nullopt},
        {"0", std::nullopt},
        {"COM", std::nullopt},
        {"COM 7x", std::nullopt},
        {"/dev/ttyS0", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParsePortNumber(QString::fromLatin1(c.text)), c.number) << c.text;
    }
}

}  // namespace
}  // namespace pelta::ctl
