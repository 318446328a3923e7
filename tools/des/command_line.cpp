#include "tools/des/command_line.h"

#include <map>

namespace pelta::des_tool {

namespace {

bool IsFileCommand(Command command) {
    return command == Command::Encrypt || command == Command::Decrypt;
}

}  // namespace

const char* UsageText() {
    return "usage: pelta-des encrypt --key KEY [--overwrite] IN OUT\n"
           "       pelta-des decrypt --key KEY [--overwrite] IN OUT\n"
           "       pelta-des encrypt-text --key KEY [--hex] TEXT\n"
           "       pelta-des decrypt-text --key KEY [--hex] TEXT\n"
           "KEY and TEXT are UTF-8; a raw (not --hex) TEXT to decrypt is taken as bytes.\n";
}

std::optional<Arguments> ParseArguments(const std::vector<std::string>& args, std::string& error) {
    static const std::map<std::string, Command> kCommands = {
        {"encrypt", Command::Encrypt},
        {"decrypt", Command::Decrypt},
        {"encrypt-text", Command::EncryptText},
        {"decrypt-text", Command::DecryptText}};
    if (args.empty() || !kCommands.contains(args[0])) {
        error = args.empty() ? "no command given" : "unknown command: " + args[0];
        return std::nullopt;
    }
    Arguments parsed;
    parsed.What = kCommands.at(args[0]);
    bool haveKey = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--key" && i + 1 < args.size()) {
            parsed.Key = args[++i];
            haveKey = true;
        } else if (arg == "--overwrite" && IsFileCommand(parsed.What)) {
            parsed.Overwrite = true;
        } else if (arg == "--hex" && !IsFileCommand(parsed.What)) {
            parsed.Hex = true;
        } else if (arg.starts_with("--")) {
            error = "unexpected option: " + arg;
            return std::nullopt;
        } else {
            parsed.Operands.push_back(arg);
        }
    }
    const std::size_t wanted = IsFileCommand(parsed.What) ? 2 : 1;
    if (!haveKey || parsed.Key.empty()) {
        error = "a non-empty --key is required";
        return std::nullopt;
    }
    if (parsed.Operands.size() != wanted) {
        error = IsFileCommand(parsed.What) ? "expected IN and OUT" : "expected one TEXT";
        return std::nullopt;
    }
    return parsed;
}

}  // namespace pelta::des_tool
