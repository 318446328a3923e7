#include "tools/ctl/watch/csv_log.h"

#include <QFile>

#include "tools/ctl/watch/number_text.h"

namespace pelta::watch {
namespace {

QByteArray IsoTimeWithOffset(const QDateTime& time) {
    return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODate).toUtf8();
}

}  // namespace

QByteArray CsvHeader() {
    return "time,port,address,ok,indoor_temperature_c,outdoor_temperature_c,"
           "indoor_humidity_percent,outdoor_pressure_mmhg,clock_drift_s,reason\n";
}

QByteArray CsvField(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    const bool plain = !bytes.contains(',') && !bytes.contains('"') && !bytes.contains('\n') &&
                       !bytes.contains('\r') && bytes == bytes.trimmed();
    if (plain) {
        return bytes;
    }
    QByteArray quoted = bytes;
    quoted.replace("\"", "\"\"");
    return '"' + quoted + '"';
}

QByteArray CsvRow(const Reading& r) {
    QByteArrayList fields = {IsoTimeWithOffset(r.timestamp), CsvField(r.port),
                             QByteArray::number(r.address), r.ok ? "1" : "0"};
    if (r.ok) {
        fields << NumberText(r.indoorTemperature) << NumberText(r.outdoorTemperature)
               << NumberText(r.indoorHumidity) << NumberText(r.outdoorPressure)
               << QByteArray::number(static_cast<qlonglong>(r.clockDrift)) << QByteArray();
    } else {
        fields << QByteArray() << QByteArray() << QByteArray() << QByteArray() << QByteArray()
               << CsvField(r.reason);
    }
    return fields.join(',') + '\n';
}

bool CsvLog::Append(const std::vector<Reading>& round, QString* error) {
    QFile file(path_);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append)) {
        *error = QStringLiteral("%1: %2").arg(path_, file.errorString());
        return false;
    }
    QByteArray text;
    const qint64 size = file.size();
    if (size == 0) {
        text += CsvHeader();
    } else {
        char last = '\n';
        if (!file.seek(size - 1) || !file.getChar(&last)) {
            *error = QStringLiteral("%1: %2").arg(path_, file.errorString());
            return false;
        }
        if (last != '\n') {
            text += '\n';
        }
    }
    for (const Reading& reading : round) {
        text += CsvRow(reading);
    }
    if (file.write(text) != text.size() || !file.flush()) {
        *error = QStringLiteral("%1: %2").arg(path_, file.errorString());
        return false;
    }
    return true;
}

}  // namespace pelta::watch
