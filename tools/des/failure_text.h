#pragma once
// What pelta-des says when a file operation fails.

#include <string>

#include "cipher/file_failure.h"

namespace pelta::des_tool {

// One line naming what failed and, where the system told, why.
std::string FileFailureText(const cipher::FileOutcome& outcome, bool decipher,
                            const std::string& in, const std::string& out);

}  // namespace pelta::des_tool
