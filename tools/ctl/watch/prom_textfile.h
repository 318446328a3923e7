#pragma once
// The Prometheus text file for node_exporter's textfile collector: every address's readings in
// base units under `pelta_` names, labelled by port and address, and counters that add up over
// the rounds. An address that did not answer this round shows `pelta_up 0` and its counters but
// no readings, so a graph shows a gap rather than a stale value.

#include <QByteArray>
#include <QString>
#include <map>
#include <utility>
#include <vector>

#include "tools/ctl/watch/reading.h"

namespace pelta::watch {

// What the file shows of one address: its counters over all rounds and its last reading.
struct PromAddress {
    double replies = 0;
    double badReplies = 0;
    double missingReplies = 0;
    double clockSyncs = 0;
    bool up = false;
    Reading last;  // its values count only when up
};

class PromMetrics {
  public:
    // Adds the round's exchanges to the counters and keeps its readings for Render.
    void Add(const std::vector<Reading>& round);
    // The whole file: HELP and TYPE before each metric, every address seen so far.
    QByteArray Render() const;

  private:
    using Key = std::pair<QString, int>;  // port, address
    std::map<Key, PromAddress> addresses_;
};

// Writes the metrics after each round, replacing the file whole: a reader sees the last round or
// the one before, never half of one.
class PromTextfile {
  public:
    explicit PromTextfile(QString path) : path_(std::move(path)) {}

    // False, with the reason, when the file could not be replaced; the counters still advance.
    bool WriteRound(const std::vector<Reading>& round, QString* error);

  private:
    QString path_;
    PromMetrics metrics_;
};

// A label value with backslash, double quote and line feed escaped.
QByteArray PromLabelValue(const QString& value);

}  // namespace pelta::watch
