// On the in-memory port: the channel's contract with the port calls and the operator, and the
// operator's choices per port, the apply step and their translation to line values.

#include "link/serial_channel.h"

#include <numeric>
#include <ranges>
#include <tuple>

#include "link/link_error.h"
#include "link/link_settings.h"
#include "link_test_support.h"
#include "tests/support/memory_port_api.h"

namespace pelta::link {
namespace {

// The channel on the in-memory port.
class Channel : public ::testing::Test {
  protected:
    MemoryPortApi api;
    testing::RecordingMessageSink messages;
    SerialChannel channel{api, messages};

    // Opens an existing port and forgets the calls that took.
    void OpenPort(std::int16_t number) {
        api.AddPort(number);
        channel.OpenPort(number);
        api.ClearLog();
    }
};

// Writes may take twelve bit times a byte and go in chunks of 2047 bytes; speed 0 is refused
// untried; a read takes what arrived up to its count and the buffer; failed transfers are
// reported with their codes, and nothing else is.
TEST_F(Channel, timesAndChunksWritesReadsWhatArrivedAndReportsFailedTransfers) {
    const std::pair<std::int32_t, std::uint32_t> multipliers[] = {
        {300, 41}, {600, 21}, {1200, 11}, {2400, 6}, {4800, 3}, {9600, 2}, {14400, 1}, {19200, 1}};
    OpenPort(3);
    for (const auto& [speed, multiplier] : multipliers) {
        channel.ConfigurePort(speed, 0, 8, 0);
        EXPECT_EQ(api.LastTimeouts->WriteTotalTimeoutMultiplier, multiplier) << speed;
    }
    api.ClearLog();
    EXPECT_THROW(channel.ConfigurePort(0, 0, 8, 0), LinkError);
    EXPECT_TRUE(api.Calls.empty());
    const std::pair<std::size_t, std::size_t> writes[] = {{0, 0}, {2047, 1}, {2048, 2}, {4095, 3}};
    for (const auto& [length, calls] : writes) {
        api.ClearLog();
        std::string frame(length, '\0');
        std::iota(frame.begin(), frame.end(), '\0');
        channel.WritePort(frame);
        EXPECT_EQ(api.Written, frame) << length;
        EXPECT_EQ(api.Calls.size(), calls) << length;
    }
    const std::tuple<std::int16_t, std::string, std::string, std::vector<std::string>> reads[] = {
        {2, "abcdef", "ab", {"ReadFile 2"}},
        {-5, "abc", "", {}},
        {32767, std::string(5000, 'x'), std::string(2048, 'x'), {"ReadFile 2048"}},
    };
    for (const auto& [count, queued, expected, made] : reads) {
        api.InboundChunks = {queued};
        api.ClearLog();
        EXPECT_EQ(channel.ReadPort(count), expected) << count;
        EXPECT_EQ(api.Calls, made) << count;
    }
    api.InboundChunks = {"abc"};
    api.FailCall("WriteFile", 5);
    api.FailCall("ReadFile", 995);
    channel.WritePort("abc");
    EXPECT_EQ(channel.ReadPort(3), "");
    EXPECT_EQ(
        messages.Shown,
        (testing::ShownMessages{
            {QString::fromUtf8("Ошибка передачи Error: 5\r\nПередано 0 байт"), MessageIcon::None},
            {QString::fromUtf8("Ошибка работы с портом Error: 995"), MessageIcon::None}}));
}

class LinkSettings : public Channel {
  protected:
    testing::RecordingErrorLog errorLog;
    LinkSettingsModel settings{channel, errorLog, messages};

    // Configures the open port from the port's entry; gives the text and the line call.
    std::pair<QString, std::string> Init(std::int16_t portNumber) {
        OpenPort(1);
        const QString text = settings.ComPortInit(portNumber);
        channel.ClosePort();
        return {text, api.Calls.size() > 1 ? api.Calls[1] : ""};
    }
};

TEST_F(LinkSettings, turnEachPortsChoicesIntoLineValuesAndLogOneOutsideItsList) {
    const PropertyLists lists = LinkSettingsModel::LoadPropertySettings();
    // Each port keeps its own entry, by COM number; 40 lies beyond 33 ports.
    const struct {
        std::int16_t Port, Speed, DataBits, Parity, StopBits;
        const char *Text, *State;  // State: "SetCommState speed bits parity-code stop-code"
    } cases[] = {
        {1, DefaultSpeedPosition, lists.DataBitsPosition, lists.ParityPosition,
         lists.StopBitsPosition, "9600,n,8,1", "SetCommState 9600 8 0 0"},
        {5, 5, 4, 0, 0, "9600,e,8,1", "SetCommState 9600 8 2 0"},
        {40, 7, 3, 1, 2, "19200,o,7,2", "SetCommState 19200 7 1 2"},
        {3, 0, 4, 3, 0, "300,m,8,1", "SetCommState 300 8 3 0"},
        {2, 3, 2, 4, 0, "2400,s,6,1", "SetCommState 2400 6 4 0"},
        {7, 5, 1, 2, 1, "9600,n,5,1.5", "SetCommState 9600 5 0 1"},
        {42, 9, 0, 0, 0, "", ""},  // outside the speed list: logged, the port left alone
        {41, 0, 0, 0, 0, "9600,n,8,1", "SetCommState 9600 8 0 0"},  // never applied: defaults
    };
    for (const auto& c : cases | std::views::take(7)) {
        LinkChoices choices;
        std::tie(choices.PortNumber, choices.Speed, choices.DataBits, choices.Parity,
                 choices.StopBits) = std::tie(c.Port, c.Speed, c.DataBits, c.Parity, c.StopBits);
        ASSERT_TRUE(settings.Apply(choices)) << c.Text;
    }
    for (const auto& c : cases) {
        EXPECT_EQ(Init(c.Port), std::make_pair(QString::fromLatin1(c.Text), std::string(c.State)));
    }
    EXPECT_TRUE(messages.Shown.empty());
    const QString description = QString::fromUtf8("Позиция 9 вне списка скоростей");
    EXPECT_EQ(
        errorLog.Entries,
        (std::vector<QString>{
            QString::fromUtf8("log:Ошибка: Дривел1.Form2.ComPortInit =  ") + description + ": ",
            QString::fromUtf8("detail:1|Ошибка данных||err.Description=") + description +
                QString::fromUtf8(" module = Дривел1.Form2.ComPortInit")}));
}

// Address and attempts are taken on apply, all three fields in range or nothing; a refusal
// changes nothing.
TEST_F(LinkSettings, takeTheAddressAndAttemptsOnlyWhenAllThreeFieldsAreInRange) {
    const char* badAddress = "Адрес контроллера должен быть целым числом от 0 до 255";
    const char* badTimeout =
        "Таймаут ожидания ответа должен быть целым числом миллисекунд от 1 до 60000";
    const char* badAttempts = "Количество попыток должно быть целым числом от 1 до 10";
    const struct {
        const char *Address, *Timeout, *Attempts, *Refusal;
        std::int32_t TakenAttempts = 0, TakenAddress = 0;
    } cases[] = {
        {"5", "1000", "3", nullptr, 3, 5}, {"255", " 60000 ", " 10 ", nullptr, 10, 255},
        {"0", "1", "1", nullptr, 1, 0},    {"", "1000", "1", badAddress},
        {"256", "1000", "1", badAddress},  {"12a", "1000", "1", badAddress},
        {"5", "0", "1", badTimeout},       {"5", "60001", "1", badTimeout},
        {"5", "1000", "0", badAttempts},   {"5", "1000", "11", badAttempts},
    };
    for (const auto& c : cases) {
        messages.Shown.clear();
        settings.PortTable.clear();
        std::tie(settings.Attempts, settings.ControllerAddress) = std::pair(7, 9);
        LinkChoices choices;
        choices.PortNumber = 1;
        std::tie(choices.AddressText, choices.ReplyTimeoutText, choices.AttemptsText) =
            std::tuple(QString::fromUtf8(c.Address), QString(c.Timeout), QString(c.Attempts));
        const bool taken = c.Refusal == nullptr;
        EXPECT_EQ(settings.Apply(choices), taken) << c.Address << "/" << c.Timeout;
        const testing::ShownMessages shown{
            {QString::fromUtf8(c.Refusal), MessageIcon::Exclamation}};
        // A refusal changes nothing.
        EXPECT_EQ(std::tuple(settings.Attempts, settings.ControllerAddress,
                             settings.PortTable.size(), messages.Shown),
                  taken ? std::tuple(c.TakenAttempts, c.TakenAddress, 1UL, testing::ShownMessages{})
                        : std::tuple(7, 9, 0UL, shown))
            << c.Address << "/" << c.Timeout << "/" << c.Attempts;
    }
}

}  // namespace
}  // namespace pelta::link
