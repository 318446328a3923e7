#pragma once
// What pelta-des does when SIGINT, SIGTERM or SIGHUP ends it: the temporary output file, which
// may hold deciphered data, goes, and the exit status is 128 plus the signal's number.

namespace pelta::des_tool {

void RemoveTemporaryFileOnEndingSignals();

}  // namespace pelta::des_tool
