#pragma once
// The arguments of pelta-des.

#include <optional>
#include <string>
#include <vector>

namespace pelta::des_tool {

enum class Command { Help, Version, Encrypt, Decrypt, EncryptText, DecryptText };

struct Arguments {
    Command What = Command::Help;
    std::optional<std::string> Key;      // --key, as given (UTF-8)
    std::optional<std::string> KeyFile;  // --key-file
    bool Overwrite = false;
    bool Hex = false;
    std::vector<std::string> Operands;  // IN OUT ("-": standard input or output), or TEXT
};

// Empty with `error` set when the arguments do not fit the usage.
std::optional<Arguments> ParseArguments(const std::vector<std::string>& args, std::string& error);

bool IsEncryptCommand(Command command);

const char* UsageText();

}  // namespace pelta::des_tool
