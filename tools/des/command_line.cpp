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
    if (parsed.Overwrite && !IsFileCommand(parsed.What)) {
        return "unexpected option: --overwrite";
    }
    if (parsed.Hex && IsFileCommand(parsed.What)) {
        return "unexpected option: --hex";
    }
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
           "       pelta-des --help | --version\n"
           "Options may come before or after the command. IN or OUT - is standard input or\n"
           "output (the whole data is then held in memory); ./- names a file called -.\n"
           "KEY is one of:\n"
           "  --key-file FILE  the first line of FILE, without its line end\n"
           "  --key KEY        the key itself; other users can see it in the process list,\n"
           "                   and the shell may keep it in its history\n"
           "  (none)           asked for on the terminal without echo (twice to encrypt)\n"
           "  --overwrite      replace an existing OUT; a link there is replaced, not its target\n"
           "  --hex            TEXT to decrypt, or the encrypted result, in hexadecimal;\n"
           "                   without it, encrypt-text will not write to a terminal\n"
           "Keys and texts are UTF-8 and are used in Windows-1251; a character Windows-1251\n"
           "lacks is refused. Only the first 8 characters of a key count, and DES ignores the\n"
           "lowest bit of each: a key file of 8 random characters is best. A raw (not --hex)\n"
           "TEXT to decrypt is taken as bytes.\n"
           "Exit status: 0 done, 1 failed, 2 wrong usage, 128 + N ended by signal N.\n";
}

std::optional<Arguments> ParseArguments(const std::vector<std::string>& args, std::string& error) {
    static const std::map<std::string, Command> kCommands = {
        {"encrypt", Command::Encrypt},
        {"decrypt", Command::Decrypt},
        {"encrypt-text", Command::EncryptText},
        {"decrypt-text", Command::DecryptText}};
    Arguments parsed;
    std::optional<Command> command, shortcut;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--key" || arg == "--key-file") {
            if (!TakeValue(args, i, arg == "--key" ? parsed.Key : parsed.KeyFile, error)) {
                return std::nullopt;
            }
        } else if (arg == "--overwrite" || arg == "--hex") {
            (arg == "--hex" ? parsed.Hex : parsed.Overwrite) = true;
        } else if (arg == "--help" || arg == "-h" || arg == "--version") {
            shortcut = arg == "--version" ? Command::Version : Command::Help;
        } else if (!command && kCommands.contains(arg)) {
            command = kCommands.at(arg);
        } else if (arg.starts_with("--") || !command) {
            error = (arg.starts_with("--") ? "unexpected option: " : "unknown command: ") + arg;
            return std::nullopt;
        } else {
            parsed.Operands.push_back(arg);
        }
    }
    if (shortcut || !command) {
        parsed.What = shortcut.value_or(Command::Help);
        error = shortcut ? "" : "no command given";
        return shortcut ? std::optional(parsed) : std::nullopt;
    }
    parsed.What = *command;
    error = CheckArguments(parsed);
    return error.empty() ? std::optional(parsed) : std::nullopt;
}

}  // namespace pelta::des_tool
