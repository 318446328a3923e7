#include "tools/sim/sim_options.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <map>

#include "link/line_rules.h"

namespace pelta::sim {

namespace {

std::optional<int> ParseNumber(std::string_view text, int low, int high) {
    return link::WholeNumberIn(text, {low, high});
}

std::optional<double> ParseNumber(std::string_view text, double low, double high) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || text.empty() || !std::isfinite(value) || value < low ||
        value > high) {
        return std::nullopt;
    }
    return value;
}

using ValueSetter = std::function<bool(SimOptions&, std::string_view)>;
using FlagSetter = std::function<void(SimOptions&)>;

template <typename Number, typename Apply>
ValueSetter NumberOption(Number low, Number high, Apply apply) {
    return [=](SimOptions& o, std::string_view text) {
        const std::optional<Number> v = ParseNumber(text, low, high);
        if (v) {
            apply(o, *v);
        }
        return v.has_value();
    };
}

template <typename Apply>
ValueSetter NumberOption(link::WholeRange range, Apply apply) {
    return NumberOption(range.Lowest, range.Highest, apply);
}

const std::map<std::string_view, ValueSetter>& ValueOptions() {
    static const std::map<std::string_view, ValueSetter> kOptions{
        {"--com", NumberOption(link::ComNumbers, [](SimOptions& o, int v) { o.com = v; })},
        {"--address",
         NumberOption(link::ControllerAddresses,
                      [](SimOptions& o, int v) { o.address = static_cast<std::uint8_t>(v); })},
        {"--late",
         NumberOption(0, 600000,
                      [](SimOptions& o, int v) { o.faults.late = std::chrono::milliseconds(v); })},
        {"--late-first", NumberOption(0, 600000,
                                      [](SimOptions& o, int v) {
                                          o.faults.lateFirst = std::chrono::milliseconds(v);
                                      })},
        {"--hangup-after", NumberOption(1, 1000000,
                                        [](SimOptions& o, int v) {
                                            o.faults.hangupAfter = static_cast<unsigned>(v);
                                        })},
        {"--gap", NumberOption(1, 10000,
                               [](SimOptions& o, int v) { o.gap = std::chrono::milliseconds(v); })},
        // Raw readings start at -10 C and hold 16 bits of tenths.
        {"--indoor",
         NumberOption(-10.0, 6543.5, [](SimOptions& o, double v) { o.climate.indoorCelsius = v; })},
        {"--outdoor", NumberOption(-10.0, 6543.5,
                                   [](SimOptions& o, double v) { o.climate.outdoorCelsius = v; })},
        {"--humidity",
         NumberOption(0, 100, [](SimOptions& o, int v) { o.climate.humidityPercent = v; })},
        {"--pressure",
         NumberOption(0.0, 21474836.47, [](SimOptions& o, double v) { o.climate.pressureMm = v; })},
    };
    return kOptions;
}

const std::map<std::string_view, FlagSetter>& FlagOptions() {
    static const std::map<std::string_view, FlagSetter> kFlags{
        {"--silent", [](SimOptions& o) { o.faults.silent = true; }},
        {"--bad-crc", [](SimOptions& o) { o.faults.badCrc = true; }},
        {"--short", [](SimOptions& o) { o.faults.shortReply = true; }},
        {"--help", [](SimOptions& o) { o.help = true; }},
        {"-h", [](SimOptions& o) { o.help = true; }},
    };
    return kFlags;
}

ParsedOptions Failure(std::string text) {
    return {std::nullopt, std::move(text)};
}

}  // namespace

ParsedOptions ParseOptions(std::span<const std::string_view> args) {
    SimOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view name = args[i];
        std::optional<std::string_view> inlineValue;
        if (const std::size_t eq = name.find('='); eq != std::string_view::npos) {
            inlineValue = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        if (const auto flag = FlagOptions().find(name); flag != FlagOptions().end()) {
            if (inlineValue) {
                return Failure("pelta-sim: option " + std::string(name) + " takes no value");
            }
            flag->second(options);
            continue;
        }
        const auto setter = ValueOptions().find(name);
        if (setter == ValueOptions().end()) {
            return Failure("pelta-sim: unknown option '" + std::string(args[i]) + "' (try --help)");
        }
        if (!inlineValue && i + 1 >= args.size()) {
            return Failure("pelta-sim: option " + std::string(name) + " needs a value");
        }
        const std::string_view value = inlineValue ? *inlineValue : args[++i];
        if (!setter->second(options, value)) {
            return Failure("pelta-sim: bad value '" + std::string(value) + "' for " +
                           std::string(name));
        }
    }
    return {options, {}};
}

std::string UsageText() {
    return "Usage: pelta-sim [options]\n"
           "Plays the display controller on a pseudo-terminal registered as COM<n>.\n"
           "Prints 'pelta-sim: COM<n> -> <device>' first, then one line per frame.\n"
           "\n"
           "  --com N           register as COM<N> (default: lowest number without a link)\n"
           "  --address A       answer controller address A, 0-255 (default 1)\n"
           "  --indoor C        indoor temperature in C, from -10 (default 21.5)\n"
           "  --outdoor C       outdoor temperature in C, from -10 (default -3.0)\n"
           "  --humidity P      indoor humidity in percent (default 45)\n"
           "  --pressure MM     pressure in mm of mercury (default 750.50)\n"
           "  --gap MS          quiet time that ends an incomplete request (default 50)\n"
           "  --silent          never answer\n"
           "  --bad-crc         answer with a corrupted CRC\n"
           "  --short           answer only the first half of each reply\n"
           "  --late MS         answer MS milliseconds late\n"
           "  --late-first MS   answer only the first request MS milliseconds late\n"
           "  --hangup-after N  on receiving the N-th request, leave it unanswered, close the\n"
           "                    line, remove the COM link and exit\n"
           "  --help            show this text\n";
}

}  // namespace pelta::sim
