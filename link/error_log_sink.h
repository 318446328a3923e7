#pragma once
// Where the link settings put run-time errors met while the line parameters are worked out.
// Implemented by pelta::protocol::ErrorLog (errors.log).

#include <QString>
#include <cstdint>

namespace pelta::link {

class ErrorLogSink {
  public:
    virtual ~ErrorLogSink() = default;
    // Appends one line to the log; never fails towards the caller.
    virtual void WriteErrorLog(const QString& message) = 0;
    // A detailed report that shows nothing; never fails towards the caller.
    virtual void ReportDetail(std::int16_t kind, const QString& title, const QString& further,
                              const QString& detail) = 0;
};

}  // namespace pelta::link
