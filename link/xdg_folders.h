#pragma once
// Where the program keeps its files, by the XDG base-directory rules: the variable when it holds
// an absolute path (a relative one is ignored, as the rules say), else the folder below the
// user's home. Standard library and POSIX only: every front and the simulator look them up here.

#include <string>
#include <string_view>

namespace pelta::link {

// e.g. ("XDG_CONFIG_HOME", "/.config"). The home is $HOME when absolute, else the user's entry in
// the password database; empty when there is no home either.
std::string XdgBaseFolder(const char* variable, std::string_view belowHome);

// $XDG_CONFIG_HOME/pelta/<name>, ~/.config/pelta/<name> without it; empty without a home.
std::string ConfigFilePath(std::string_view name);

}  // namespace pelta::link
