#include <gtest/gtest.h>

#include <QStringList>

#include "tools/ctl/address_list.h"

namespace pelta::ctl {
namespace {

TEST(AddressList, acceptsAddressesAndRangesAndRefusesTheWholeListOnAnyBadItem) {
    const struct {
        const char* text;
        const char* addresses;  // empty: refused
    } cases[] = {{"0", "0"},      {"255", "255"},     {"1,3,5-9", "1 3 5 6 7 8 9"},
                 {"5-5", "5"},    {" 4 , 2 ", "4 2"}, {"2,1-3,2", "2 1 3"},
                 {"3-1", ""},     {"1,,2", ""},       {"256", ""},
                 {"250-256", ""}, {"", ""},           {"-1", ""},
                 {"1-2-3", ""},   {"+7", ""}};
    for (const auto& c : cases) {
        const AddressList list = ParseAddressList(QString::fromLatin1(c.text));
        QStringList addresses;
        for (const int address : list.Addresses) {
            addresses << QString::number(address);
        }
        EXPECT_EQ(addresses.join(' '), c.addresses) << c.text;
        EXPECT_EQ(list.Error.isEmpty(), *c.addresses != '\0') << c.text;
    }
    EXPECT_EQ(ParseAddressList(QStringLiteral("0-255")).Addresses.size(), 256U);
}

TEST(PortText, takesTheListTextOrItsNumber) {
    const struct {
        const char* text;
        int number;  // 0: refused
    } cases[] = {{"COM 7", 7}, {"COM7", 7},          {"com7", 7},      {"7", 7},
                 {" 12 ", 12}, {"COM 32767", 32767}, {"COM 32768", 0}, {"0", 0},
                 {"COM", 0},   {"COM 7x", 0},        {"/dev/ttyS0", 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(ParsePortNumber(QString::fromLatin1(c.text)).value_or(0), c.number) << c.text;
    }
}

}  // namespace
}  // namespace pelta::ctl
