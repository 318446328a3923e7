#pragma once
// Where a round of `pelta-ctl watch` goes: the outputs asked for on the command line, each
// written whole per round. A file that cannot be written is said on stderr and tried again next
// round; it never stops the readings.

#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "tools/ctl/watch/csv_log.h"
#include "tools/ctl/watch/mqtt_publisher.h"
#include "tools/ctl/watch/prom_textfile.h"
#include "tools/ctl/watch/reading.h"
#include "tools/ctl/watch_options.h"

namespace pelta::ctl {

class WatchOutputs {
  public:
    // `error` gets why the MQTT target is refused; nothing is set up then.
    WatchOutputs(const WatchOrder& order, bool json, const QString& port, QString* error);

    void Write(const std::vector<watch::Reading>& round);

  private:
    bool json_;
    std::optional<watch::PromTextfile> prom_;
    std::optional<watch::CsvLog> csv_;
    std::unique_ptr<watch::MqttPublisher> mqtt_;
};

// One --json line: the reading as an object, without a line end.
QByteArray ReadingJson(const watch::Reading& reading);

}  // namespace pelta::ctl
