#pragma once
// What pelta-ctl prints for each address: aligned text with the window's Russian captions, or
// one JSON object per line. Failures print nothing here: they go to standard error.

#include <QJsonObject>
#include <QString>
#include <cstdio>

#include "tools/ctl/actions.h"
#include "tools/ctl/command_line.h"

namespace pelta::ctl {

// The text block (or the scan's table row) for a good outcome.
QString OutcomeText(CommandKind command, const AddressOutcome& outcome);
// The JSON object for any outcome: "ok", "reason" on failure, the values, the reply in hex.
QJsonObject OutcomeJson(CommandKind command, const AddressOutcome& outcome);

class Report {
  public:
    Report(CommandKind command, bool json, std::FILE* out)
        : command_(command), json_(json), out_(out) {}

    // Prints the outcome at once, so a long run shows its results as they come.
    void Add(const AddressOutcome& outcome);

  private:
    void Write(const QString& text);

    CommandKind command_;
    bool json_;
    std::FILE* out_;
    bool tableStarted_ = false;
};

}  // namespace pelta::ctl
