#pragma once
// errors.log beside the program file: one line per run-time error met while the port's line
// parameters are worked out, "<short local date and time>:  --> <message>" ended by CR LF,
// in UTF-8. The file is opened and closed per line; a line that cannot be written is lost
// silently, since the caller must go on either way.

#include <QDateTime>
#include <QString>
#include <functional>

#include "link/error_log_sink.h"

namespace pelta::protocol {

class ErrorLog : public link::ErrorLogSink {
  public:
    using Clock = std::function<QDateTime()>;

    // The log in the folder of the running program file.
    ErrorLog();
    // The log in the given folder, stamped by the given clock (tests).
    explicit ErrorLog(QString folder, Clock clock = &QDateTime::currentDateTime);

    static QString ProgramFolder();
    QString FilePath() const;

    void WriteErrorLog(const QString& message) override;
    // Shows nothing: the detail goes to the debug output only.
    void ReportDetail(std::int16_t kind, const QString& title, const QString& further,
                      const QString& detail) override;

  private:
    QString folder_;
    Clock clock_;
};

}  // namespace pelta::protocol
