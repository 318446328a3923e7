#pragma once
// The readings as CSV, one row per address per round, appended to a file that grows over days.
// Fields are quoted as RFC 4180 asks (a port named "COM 7, east" stays one field); numbers use a
// point whatever the locale, so a spreadsheet in any language reads them alike.

#include <QByteArray>
#include <QString>
#include <utility>
#include <vector>

#include "tools/ctl/watch/reading.h"

namespace pelta::watch {

QByteArray CsvHeader();
QByteArray CsvRow(const Reading& reading);
// A field as it is written: in double quotes, quotes doubled, when it holds a comma, a quote,
// a line break or leading or trailing blanks; as it is otherwise.
QByteArray CsvField(const QString& text);

class CsvLog {
  public:
    explicit CsvLog(QString path) : path_(std::move(path)) {}

    // Appends the round's rows in one write. A new or empty file gets the header first; a last
    // line left without its line end (the power failed mid-write) is ended first, so the new
    // rows never run on from it. False, with the reason, when the file cannot be written.
    bool Append(const std::vector<Reading>& round, QString* error);

  private:
    QString path_;
};

}  // namespace pelta::watch
