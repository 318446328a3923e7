#include "protocol/error_log.h"

#include <unistd.h>

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <array>

#include "link/xdg_folders.h"

namespace pelta::protocol {

namespace {

const QString kFileName = QStringLiteral("errors.log");

QString DefaultFolder() {
    const QString program = ErrorLog::ProgramFolder();
    return ErrorLog::IsInstalled(program) ? QString() : program;
}

// The locale's long time without its time zone, which a general date leaves out.
QString TimeWithSecondsFormat(const QLocale& locale) {
    const QString pattern = locale.timeFormat(QLocale::LongFormat);
    QString format;
    bool quoted = false;
    for (const QChar c : pattern) {
        quoted ^= (c == u'\'');
        if (quoted || c != u't') {
            format += c;
        }
    }
    return format.remove(QStringLiteral("()")).trimmed();
}

// The folder and any missing parents, private to the user as XDG asks.
bool MakeFolder(const QString& folder) {
    const QFileInfo info(folder);
    if (info.isDir()) {
        return true;
    }
    const QString parent = info.absolutePath();
    return parent != info.absoluteFilePath() && MakeFolder(parent) &&
           QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

bool AppendTo(const QString& folder, const QByteArray& line) {
    QFile file(QDir(folder).filePath(kFileName));
    if (folder.isEmpty() || !file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        return false;
    }
    const bool written = file.write(line) == line.size();
    file.close();
    return written;
}

}  // namespace

ErrorLog::ErrorLog() : ErrorLog(DefaultFolder(), &QDateTime::currentDateTime, StateFolder()) {}

ErrorLog::ErrorLog(QString folder, Clock clock, QString fallback)
    : folder_(std::move(folder)), clock_(std::move(clock)), fallback_(std::move(fallback)) {}

QString ErrorLog::ProgramFolder() {
    std::array<char, 4096> target{};
    const ssize_t length = ::readlink("/proc/self/exe", target.data(), target.size() - 1);
    if (length <= 0) {
        return QDir::currentPath();
    }
    return QFileInfo(QString::fromLocal8Bit(target.data(), length)).absolutePath();
}

QString ErrorLog::StateFolder() {
    const std::string base = link::XdgBaseFolder("XDG_STATE_HOME", "/.local/state");
    return base.empty() ? QString() : QDir::cleanPath(QString::fromStdString(base + "/pelta"));
}

bool ErrorLog::IsInstalled(const QString& programFolder) {
    return QFileInfo(programFolder + QStringLiteral("/../share/pelta")).isDir();
}

QString ErrorLog::Stamp(const QDateTime& when, const QLocale& locale) {
    return locale.toString(when.date(), QLocale::ShortFormat) + u' ' +
           locale.toString(when.time(), TimeWithSecondsFormat(locale));
}

QString ErrorLog::FilePath() const {
    return QDir(folder_.isEmpty() ? fallback_ : folder_).filePath(kFileName);
}

void ErrorLog::WriteErrorLog(const QString& message) {
    const QString text = Stamp(clock_(), QLocale()) + QStringLiteral(":  --> ") + message;
    const QByteArray line = text.toUtf8() + "\r\n";
    // The line is lost when no folder takes it; the caller goes on regardless.
    if (!AppendTo(folder_, line) && !fallback_.isEmpty() && MakeFolder(fallback_)) {
        AppendTo(fallback_, line);
    }
}

void ErrorLog::ReportDetail(std::int16_t kind, const QString& title, const QString& further,
                            const QString& detail) {
    qDebug().noquote() << "error detail" << kind << title << further << detail;
}

}  // namespace pelta::protocol
