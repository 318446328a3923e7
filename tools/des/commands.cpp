#include "tools/des/commands.h"

#include <unistd.h>

#include <QString>
#include <filesystem>
#include <string>

#include "cipher/des.h"
#include "protocol/code_page.h"
#include "tools/des/progress_bar.h"

namespace pelta::des_tool {

namespace {

namespace fs = std::filesystem;
using pelta::cipher::clsDES;

std::string ToCodePage(const std::string& utf8) {
    return protocol::ToWindows1251(QString::fromStdString(utf8));
}

int Fail(std::FILE* err, const std::string& message) {
    std::fprintf(err, "pelta-des: %s\n", message.c_str());
    return kExitFailure;
}

// The checks clsDES makes silently, made first so that each failure gets its own message.
std::string FileProblem(const Arguments& args) {
    const fs::path in = args.Operands[0];
    const fs::path out = args.Operands[1];
    std::error_code error;
    if (!fs::is_regular_file(in, error)) {
        return "input file not found: " + in.string();
    }
    if (fs::file_size(in, error) == 0 || error) {
        return "input file is empty: " + in.string();
    }
    if (fs::exists(out, error) && !args.Overwrite) {
        return "output file exists (use --overwrite to replace it): " + out.string();
    }
    if (fs::is_directory(out, error)) {
        return "output is a directory: " + out.string();
    }
    const fs::path folder = out.parent_path().empty() ? fs::path(".") : out.parent_path();
    if (!fs::is_directory(folder, error) || ::access(folder.c_str(), W_OK) != 0) {
        return "output folder is not writable: " + folder.string();
    }
    return {};
}

int RunFileCommand(const Arguments& args, std::FILE* err) {
    if (const std::string problem = FileProblem(args); !problem.empty()) {
        return Fail(err, problem);
    }
    clsDES des;
    ProgressBar bar(err);
    if (::isatty(::fileno(err))) {
        des.Progress = [&bar](std::int32_t percent) { bar.Show(percent); };
    }
    const std::string key = ToCodePage(args.Key);
    const fs::path in = args.Operands[0];
    const fs::path out = args.Operands[1];
    if (args.What == Command::Encrypt) {
        if (!des.EncryptFile(in, out, args.Overwrite, key)) {
            return Fail(err, "could not encrypt " + in.string() + " into " + out.string());
        }
    } else if (!des.DecryptFile(in, out, args.Overwrite, key)) {
        return Fail(err, "could not decrypt " + in.string() + ": wrong key or corrupt data (" +
                             cipher::kIncorrectSizeDescriptor + ")");
    }
    return 0;
}

int RunTextCommand(const Arguments& args, std::FILE* out, std::FILE* err) {
    clsDES des;
    const std::string key = ToCodePage(args.Key);
    const std::string& text = args.Operands[0];
    try {
        if (args.What == Command::EncryptText) {
            const std::string result = des.EncryptString(ToCodePage(text), key, args.Hex);
            std::fwrite(result.data(), 1, result.size(), out);
            if (args.Hex) {
                std::fputc('\n', out);
            }
        } else {
            // Raw enciphered bytes are no UTF-8 text: they are taken as they are.
            const std::string result = des.DecryptString(text, key, args.Hex);
            const std::string utf8 = protocol::FromWindows1251(result).toStdString();
            std::fprintf(out, "%s\n", utf8.c_str());
        }
    } catch (const cipher::DesError& error) {
        return Fail(err, std::string(error.what()) + ": wrong key or corrupt data");
    }
    return std::fflush(out) == 0 ? 0 : Fail(err, "could not write the result");
}

}  // namespace

int RunCommand(const Arguments& args, std::FILE* out, std::FILE* err) {
    switch (args.What) {
        case Command::Encrypt:
        case Command::Decrypt:
            return RunFileCommand(args, err);
        case Command::EncryptText:
        case Command::DecryptText:
            return RunTextCommand(args, out, err);
    }
    return kExitUsage;
}

}  // namespace pelta::des_tool
