#include <gtest/gtest.h>

#include <QLocale>

#include "device/settings_commands.h"
#include "tools/ctl/command_line.h"

namespace pelta::ctl {
namespace {

ParsedCommandLine Parse(const QStringList& args) {
    return ParseCommandLine(
        QStringList{QStringLiteral("pelta-ctl"), QStringLiteral("--port"), QStringLiteral("7")} +
        args);
}

TEST(CtlCommandLine, eventTextsTheScreenCannotShowAreRefusedNamingTheFirstCharacter) {
    const QStringList event{"event", "--date", "01.02.26", "--hour", "5"};
    const struct {
        const char* option;
        const char* text;
        const char* refusal;  // empty: accepted
    } cases[] = {
        {"--line1", "Grüße €", "--line1: символ \"ü\" (U+00FC)"},
        {"--line1", "a\tb", "--line1: символ U+0009 "},
        {"--line2", "первая\nвторая", "--line2: символ U+000A "},
        {"--line1", "«Ёлка»", "символ \"«\" (U+00AB)"},
        {"--line1", "№1", "символ \"№\" (U+2116)"},
        {"--line1", "ok \xF0\x9F\x98\x80", "символ \"\xF0\x9F\x98\x80\" (U+1F600)"},
        {"--line1", "Ёлка, ёж & Щука!", ""},
        {"--line2", " ~{}[]|\\^_`@#$%", ""},
    };
    for (const auto& c : cases) {
        const QString text = QString::fromUtf8(c.text);
        const ParsedCommandLine parsed = Parse(event + QStringList{c.option, text});
        const bool accepted = *c.refusal == '\0';
        EXPECT_EQ(parsed.What == ParsedCommandLine::Kind::Run, accepted) << c.text;
        EXPECT_TRUE(parsed.Text.contains(QString::fromUtf8(c.refusal)))
            << c.text << ": " << parsed.Text.toStdString();
        if (accepted) {
            const EventOrder& order = parsed.Options.Event;
            EXPECT_EQ(QStringLiteral("--line1") == c.option ? order.Line1 : order.Line2, text);
        }
    }
}

TEST(CtlCommandLine, aCorrectionIsWholeSecondsWithinTheFieldsRangeAndBecomesTheWindowsByte) {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    const struct {
        const char* text;
        int byte;  // -1: refused
    } cases[] = {
        {"-1", 1},  {"0", 40},   {"30", 10},  {"-30", 30}, {"+5", 35}, {" -7 ", 7}, {"31", -1},
        {"41", -1}, {"-31", -1}, {"0.5", -1}, {"2,5", -1}, {"x", -1},  {"", -1},
    };
    for (const auto& c : cases) {
        const ParsedCommandLine parsed =
            Parse({"sync-clock", "--correction", QString::fromLatin1(c.text)});
        if (c.byte < 0) {
            EXPECT_EQ(parsed.What, ParsedCommandLine::Kind::UsageError) << c.text;
            EXPECT_TRUE(parsed.Text.contains(QStringLiteral("от -30 до 30"))) << c.text;
            continue;
        }
        ASSERT_EQ(parsed.What, ParsedCommandLine::Kind::Run) << parsed.Text.toStdString();
        EXPECT_EQ(device::ClockCorrectionFrom(parsed.Options.Clock.Correction), c.byte) << c.text;
    }
    QLocale::setDefault(QLocale::c());
}

}  // namespace
}  // namespace pelta::ctl
