#pragma once
// encrypt and decrypt where clsDES's file operations cannot serve: standard input or output
// as IN or OUT, or an empty input file. The whole data passes through memory; an output file
// is still checked, made 0600 under a temporary name and put in place only when complete.

#include <cstdio>
#include <string>

#include "cipher/des.h"

namespace pelta::des_tool {

// "-" for `in` or `out` is `standardInput` or `standardOutput`. Fails as the file operations
// do; nothing is written to `standardOutput` before the whole result is ready.
cipher::FileOutcome CipherWholeData(cipher::clsDES& des, const std::string& key, bool decipher,
                                    const std::string& in, const std::string& out, bool overwrite,
                                    std::FILE* standardInput, std::FILE* standardOutput);

}  // namespace pelta::des_tool
