#pragma once
// Plain fakes of the window's pages for the device tests: they record what the core writes.

#include <QString>
#include <QStringList>
#include <map>
#include <vector>

#include "device/measurements_view.h"
#include "device/settings_view.h"
#include "link/message_sink.h"

namespace pelta::device::testing {

class FakeMeasurements : public MeasurementsView {
  public:
    std::map<QString, QString> Labels;
    void SetLabel3(const QString& c) override { Labels[QStringLiteral("Label3")] = c; }
    void SetLabel7(const QString& c) override { Labels[QStringLiteral("Label7")] = c; }
    void SetLabel4(const QString& c) override { Labels[QStringLiteral("Label4")] = c; }
    void SetLabel5(const QString& c) override { Labels[QStringLiteral("Label5")] = c; }
    void SetLabel6(const QString& c) override { Labels[QStringLiteral("Label6")] = c; }
    void SetLabel15_0(const QString& c) override { Labels[QStringLiteral("Label15(0)")] = c; }
    void SetLabel14_0(const QString& c) override { Labels[QStringLiteral("Label14(0)")] = c; }
};

// Records every write as "Control=value", in order.
class FakeSettings : public SettingsView {
  public:
    QStringList Writes;
    void SetDateTime3Text(int i, const QString& t) override { Add("DateTime3", i, t); }
    void SetCombo1ListIndex(int i, std::int16_t p) override {
        Add("Combo1", i, QString::number(p));
    }
    void SetCheck1(int i, bool c) override { Add("Check1", i, Bool(c)); }
    void SetCombo4ListIndex(std::int16_t p) override { Add("Combo4", QString::number(p)); }
    void SetCombo5ListIndex(std::int16_t p) override { Add("Combo5", QString::number(p)); }
    void SetCombo3ListIndex(std::int16_t p) override { Add("Combo3", QString::number(p)); }
    void SetDateTime6Text(int i, const QString& t) override { Add("DateTime6", i, t); }
    void SetCheck3(bool c) override { Add("Check3", Bool(c)); }

  private:
    static QString Bool(bool b) { return b ? QStringLiteral("on") : QStringLiteral("off"); }
    void Add(const char* control, int i, const QString& v) {
        Writes << QStringLiteral("%1(%2)=%3").arg(QString::fromLatin1(control)).arg(i).arg(v);
    }
    void Add(const char* control, const QString& v) {
        Writes << QStringLiteral("%1=%2").arg(QString::fromLatin1(control), v);
    }
};

class RecordingMessages : public link::MessageSink {
  public:
    struct Message {
        QString Text;
        link::MessageIcon Icon;
    };
    std::vector<Message> Shown;
    void ShowMessage(const QString& text, link::MessageIcon icon) override {
        Shown.push_back({text, icon});
    }
};

}  // namespace pelta::device::testing
