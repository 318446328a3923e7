#include "protocol/error_log.h"

#include <unistd.h>

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <array>

namespace pelta::protocol {

ErrorLog::ErrorLog() : ErrorLog(ProgramFolder()) {}

ErrorLog::ErrorLog(QString folder, Clock clock)
    : folder_(std::move(folder)), clock_(std::move(clock)) {}

QString ErrorLog::ProgramFolder() {
    std::array<char, 4096> target{};
    const ssize_t length = ::readlink("/proc/self/exe", target.data(), target.size() - 1);
    if (length <= 0) {
        return QDir::currentPath();
    }
    return QFileInfo(QString::fromLocal8Bit(target.data(), length)).absolutePath();
}

QString ErrorLog::FilePath() const {
    return QDir(folder_).filePath(QStringLiteral("errors.log"));
}

void ErrorLog::WriteErrorLog(const QString& message) {
    const QString stamp = QLocale().toString(clock_(), QLocale::ShortFormat);
    const QByteArray line = (stamp + QStringLiteral(":  --> ") + message).toUtf8() + "\r\n";
    QFile file(FilePath());
    // The line is lost when the folder or file cannot be written; the caller goes on regardless.
    if (file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        file.write(line);
        file.close();
    }
}

void ErrorLog::ReportDetail(std::int16_t kind, const QString& title, const QString& further,
                            const QString& detail) {
    qDebug().noquote() << "error detail" << kind << title << further << detail;
}

}  // namespace pelta::protocol
