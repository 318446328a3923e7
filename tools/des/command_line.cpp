#include "tools/des/command_line.h"

#include <map>

namespace pelta::des_tool {

namespace {

bool IsFileCommand(Command command) {
    return command == Command::Encrypt || command == Command::Decrypt;
}

// The value of the option at args[i], which must follow it.
bool TakeValue(const std::vector<std::string>& args, std::size_t& i,
               std::optional<std::string>& into, std::string& error) {
    if (into || i + 1 >= args.size()) {
        error = into ? args[i] + " given twice" : args[i] + " needs a value";
        return false;
    }
    into = args[++i];
    return true;
}

std::string CheckArguments(const Arguments& parsed) {
    if (parsed.Key && parsed.KeyFile) {
        return "give the key once: --key or --key-file";
    }
    if (parsed.Key && parsed.Key->empty()) {
        return "the key must not be empty";
    }
    const std::size_t wanted = IsFileCommand(parsed.What) ? 2 : 1;
    if (parsed.Operands.size() != wanted) {
        return IsFileCommand(parsed.What) ? "expected IN and OUT" : "expected one TEXT";
    }
    return {};
}

}  // namespace

bool IsEncryptCommand(Command command) {
    return command == Command::Encrypt || command == Command::EncryptText;
}

const char* UsageText() {
    return "usage: pelta-des encrypt      [KEY] [--overwrite] IN OUT\n"
           "       pelta-des decrypt      [KEY] [--overwrite] IN OUT\n"
           "       pelta-des encrypt-text [KEY] [--hex] TEXT\n"
           "       pelta-des decrypt-text [KEY] [--hex] TEXT\n"
           "       pelta-des --help\n"
           "KEY is one of:\n"
           "  --key-file FILE  the first line of FILE, without its line end\n"
           "  --key KEY        the key itself; other users can see it in the process list,\n"
           "                   and the shell may keep it in its history\n"
           "  (none)           asked for on the terminal without echo (twice to encrypt)\n"
           "  --overwrite      replace an existing OUT; a link there is replaced, not its target\n"
           "  --hex            TEXT to decrypt, or the encrypted result, in hexadecimal\n"
           "Keys and texts are UTF-8 and are used in Windows-1251; a character Windows-1251\n"
           "lacks is refused. A raw (not --hex) TEXT to decrypt is taken as bytes.\n"
           "Exit status: 0 done, 1 failed, 2 wrong usage.\n";
}

std::optional<Arguments> ParseArguments(const std::vector<std::string>& args, std::string& error) {
    static const std::map<std::string, Command> kCommands = {
        {"--help", Command::Help},
        {"-h", Command::Help},
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
    if (parsed.What == Command::Help) {
        return parsed;
    }
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--key" || arg == "--key-file") {
            if (!TakeValue(args, i, arg == "--key" ? parsed.Key : parsed.KeyFile, error)) {
                return std::nullopt;
            }
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
    error = CheckArguments(parsed);
    return error.empty() ? std::optional(parsed) : std::nullopt;
}

}  // namespace pelta::des_tool
