#pragma once
// errors.log: one line per run-time error met while the port's line parameters are worked
// out, "<general date and time>:  --> <message>" ended by CR LF, in UTF-8. It lies beside the
// program, so that a portable copy keeps its log with it; an installed program, or one whose
// folder cannot be written, keeps it in the user's state folder instead. The file is opened
// and closed per line; a line that cannot be written anywhere is lost silently, since the
// caller must go on either way.

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <functional>

#include "link/error_log_sink.h"

namespace pelta::protocol {

class ErrorLog : public link::ErrorLogSink {
  public:
    using Clock = std::function<QDateTime()>;

    // Beside the running program unless it is installed, else (or when that folder cannot be
    // written) in StateFolder().
    ErrorLog();
    // In `folder`; a line that cannot be appended there goes to `fallback`, which is made
    // when needed, if one is given. Tests give their own folders and clock.
    explicit ErrorLog(QString folder, Clock clock = &QDateTime::currentDateTime,
                      QString fallback = {});

    static QString ProgramFolder();
    // $XDG_STATE_HOME/pelta, or ~/.local/state/pelta when that is unset or not absolute; empty
    // without a home.
    static QString StateFolder();
    // True when the program lies in an install: its data folder ../share/pelta is there.
    // Nothing is written beside an installed program.
    static bool IsInstalled(const QString& programFolder);
    // The locale's general date and time: the short date and the time with seconds.
    static QString Stamp(const QDateTime& when, const QLocale& locale);

    // The file in the first folder.
    QString FilePath() const;

    void WriteErrorLog(const QString& message) override;
    // Shows nothing: the detail goes to the debug output only.
    void ReportDetail(std::int16_t kind, const QString& title, const QString& further,
                      const QString& detail) override;

  private:
    QString folder_;
    Clock clock_;
    QString fallback_;
};

}  // namespace pelta::protocol
