#pragma once
// Where pelta-des takes its key from when it is not on the command line: the first line of a
// key file, or the terminal with echo off.

#include <cstdio>
#include <string>

namespace pelta::des_tool {

struct KeyInput {
    std::string Key;    // UTF-8, without its line end
    std::string Error;  // empty when Key was read
};

KeyInput ReadKeyFile(const std::string& path);

// Asks on `prompts` and reads stdin, which must be a terminal, with echo off; echo is back on
// afterwards, also when a signal ends the program meanwhile. `confirm` asks twice and refuses
// two different answers, since a mistyped key to encrypt with would lose the data.
KeyInput PromptForKey(std::FILE* prompts, bool confirm);

}  // namespace pelta::des_tool
