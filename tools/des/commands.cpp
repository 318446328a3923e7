#include "tools/des/commands.h"

#include <unistd.h>

#include <QString>
#include <QStringDecoder>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "cipher/des.h"
#include "cipher/layout.h"
#include "protocol/code_page.h"
#include "tools/des/failure_text.h"
#include "tools/des/key_input.h"
#include "tools/des/progress_bar.h"
#include "tools/des/whole_data.h"

namespace pelta::des_tool {

namespace {

using pelta::cipher::clsDES;

// DES takes eight key bytes; clsDES ignores the rest of a longer key.
constexpr std::size_t kDesKeySize = 8;

int Fail(std::FILE* err, const std::string& message) {
    std::fprintf(err, "pelta-des: %s\n", message.c_str());
    return kExitFailure;
}

// The text in Windows-1251, or nothing with `error` naming the first character that cannot
// be: a '?' in its place would make different keys (or texts) the same.
std::optional<std::string> ToCodePage(const std::string& utf8, const char* what,
                                      std::string& error) {
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(QByteArrayView(utf8.data(), qsizetype(utf8.size())));
    if (decoder.hasError()) {
        error = std::string(what) + " is not valid UTF-8";
        return std::nullopt;
    }
    if (const auto missing = protocol::FirstCharacterOutsideWindows1251(text)) {
        const QString shown = QString::fromUcs4(&*missing, 1);
        error =
            std::string(what) + " holds \"" + shown.toStdString() + "\" (" +
            QStringLiteral("U+%1").arg(uint(*missing), 4, 16, QChar('0')).toUpper().toStdString() +
            "), which Windows-1251 lacks";
        return std::nullopt;
    }
    return protocol::ToWindows1251(text);
}

struct Key {
    std::string Bytes;  // in Windows-1251
    int ExitCode = 0;   // not 0: no usable key, already reported
};

Key ObtainKey(const Arguments& args, std::FILE* err) {
    KeyInput input;
    if (args.Key) {
        input.Key = *args.Key;
    } else if (args.KeyFile) {
        input = ReadKeyFile(*args.KeyFile);
    } else if (::isatty(STDIN_FILENO)) {
        input = PromptForKey(err, IsEncryptCommand(args.What));
    } else {
        std::fprintf(err, "pelta-des: no key given: use --key-file FILE, or run on a terminal\n");
        return {{}, kExitUsage};
    }
    std::string error = input.Error;
    const auto bytes = error.empty() ? ToCodePage(input.Key, "the key", error) : std::nullopt;
    if (!bytes) {
        return {{}, Fail(err, error)};
    }
    if (bytes->size() > kDesKeySize) {
        std::fprintf(err,
                     "pelta-des: warning: the key has %zu characters; only the first %zu count\n",
                     bytes->size(), kDesKeySize);
    }
    return {*bytes, 0};
}

// clsDES streams a file of any size through a bounded buffer; standard input or output, and
// an empty input (which clsDES refuses), go through memory instead.
int RunFileCommand(const Arguments& args, const std::string& key, std::FILE* out, std::FILE* err) {
    clsDES des;
    ProgressBar bar(err);
    if (::isatty(::fileno(err))) {
        des.Progress = [&bar](std::int32_t percent) { bar.Show(percent); };
    }
    const std::string& in = args.Operands[0];
    const std::string& to = args.Operands[1];
    const bool decipher = args.What == Command::Decrypt;
    const bool standardStream = in == "-" || to == "-";
    if (!standardStream) {
        decipher ? des.DecryptFile(in, to, args.Overwrite, key)
                 : des.EncryptFile(in, to, args.Overwrite, key);
    }
    cipher::FileOutcome outcome = des.LastFileOutcome();
    if (standardStream || (outcome.Failure == cipher::FileFailure::InputEmpty && !decipher)) {
        outcome = CipherWholeData(des, key, decipher, in, to, args.Overwrite, stdin, out);
    }
    bar.EndLine();
    return outcome.Failure == cipher::FileFailure::None
               ? 0
               : Fail(err,
                      FileFailureText(outcome, decipher, in == "-" ? "standard input" : in, to));
}

// Enciphered bytes would garble a terminal; refused before a key is asked for.
std::string BinaryToTerminal(const Arguments& args, std::FILE* out) {
    const bool binary = (args.What == Command::EncryptText && !args.Hex) ||
                        (args.What == Command::Encrypt && args.Operands[1] == "-");
    if (!binary || !::isatty(::fileno(out))) {
        return {};
    }
    return args.What == Command::Encrypt
               ? "will not write encrypted bytes to a terminal: redirect the output"
               : "will not write encrypted bytes to a terminal: use --hex, or redirect the output";
}

// Raw or hexadecimal text that cannot be enciphered data, told apart from a wrong key.
bool HasWholeBlocks(const std::string& text, bool hex) {
    const std::size_t bytes = hex ? (text.size() + 1) / 2 : text.size();
    return bytes == 0 || cipher::layout::IsPlausibleTotal(bytes);
}

int DecryptText(const Arguments& args, const std::string& key, std::FILE* out, std::FILE* err) {
    std::string error;
    // Raw enciphered bytes are no UTF-8 text: they are taken as they are.
    const auto text = args.Hex ? ToCodePage(args.Operands[0], "the text", error)
                               : std::optional(args.Operands[0]);
    if (!text) {
        return Fail(err, error);
    }
    if (!HasWholeBlocks(*text, args.Hex)) {
        return Fail(err, "the text is not encrypted data, or cut short (not whole 8-byte blocks)");
    }
    clsDES des;
    try {
        // Every byte is written, NULs included.
        const std::string result =
            protocol::FromWindows1251(des.DecryptString(*text, key, args.Hex)).toStdString();
        std::fwrite(result.data(), 1, result.size(), out);
        std::fputc('\n', out);
    } catch (const cipher::DesError&) {
        return Fail(err, "could not decrypt the text: wrong key, or its header is damaged");
    }
    return 0;
}

int EncryptText(const Arguments& args, const std::string& key, std::FILE* out, std::FILE* err) {
    std::string error;
    const auto text = ToCodePage(args.Operands[0], "the text", error);
    if (!text) {
        return Fail(err, error);
    }
    clsDES des;
    const std::string result = des.EncryptString(*text, key, args.Hex);
    std::fwrite(result.data(), 1, result.size(), out);
    if (args.Hex) {
        std::fputc('\n', out);
    }
    return 0;
}

int RunWithKey(const Arguments& args, const std::string& key, std::FILE* out, std::FILE* err) {
    switch (args.What) {
        case Command::Encrypt:
        case Command::Decrypt:
            return RunFileCommand(args, key, out, err);
        case Command::EncryptText:
            return EncryptText(args, key, out, err);
        case Command::DecryptText:
            return DecryptText(args, key, out, err);
        case Command::Help:
        case Command::Version:
            break;
    }
    return kExitUsage;
}

}  // namespace

int RunCommand(const Arguments& args, std::FILE* out, std::FILE* err) {
    if (args.What == Command::Help) {
        std::fputs(UsageText(), out);
        return std::fflush(out) == 0 ? 0 : kExitFailure;
    }
    if (args.What == Command::Version) {
        std::fprintf(out, "pelta-des %s\n", PELTA_VERSION);
        return std::fflush(out) == 0 ? 0 : kExitFailure;
    }
    if (const std::string refused = BinaryToTerminal(args, out); !refused.empty()) {
        Fail(err, refused);
        return kExitUsage;
    }
    const Key key = ObtainKey(args, err);
    if (key.ExitCode != 0) {
        return key.ExitCode;
    }
    const int result = RunWithKey(args, key.Bytes, out, err);
    if (std::fflush(out) != 0 || std::ferror(out)) {
        return Fail(err, std::string("could not write the result: ") + std::strerror(errno));
    }
    return result;
}

}  // namespace pelta::des_tool
