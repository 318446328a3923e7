#pragma once
// Why a whole-file operation of clsDES returned false, so that a front can say what failed.

namespace pelta::cipher {

enum class FileFailure {
    None,
    InputMissing,
    InputNotRegular,  // a directory, device or FIFO
    InputUnreadable,  // it exists but cannot be opened or read; Errno says why
    InputEmpty,
    InputTooLarge,        // more than the 32-bit size descriptor can describe
    InputNotWholeBlocks,  // to decipher: shorter than 16 bytes or not whole 8-byte blocks
    InputChanged,         // it grew or shrank while it was read
    OutputExists,         // and Overwrite was not set; a link, even a dangling one, exists
    OutputNotRegular,     // a directory, device or FIFO, or a link to one
    OutputNotCreated,     // no new file can be made in OutFile's folder; Errno says why
    OutputNotWritten,     // writing, flushing or putting it in place failed; Errno says why
    WrongKeyOrDamagedHeader,
};

struct FileOutcome {
    FileFailure Failure = FileFailure::None;
    int Errno = 0;
};

}  // namespace pelta::cipher
