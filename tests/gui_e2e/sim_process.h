#pragma once
// pelta-sim as a child process in a scratch runtime folder: its registered COM number and
// everything it logged.

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace pelta::e2e {

class SimProcess {
  public:
    // Starts the simulator with XDG_RUNTIME_DIR set to a scratch folder and waits for the line
    // that names its port.
    explicit SimProcess(const QStringList& arguments = {});
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    bool Started() const { return comNumber_ > 0; }
    int ComNumber() const { return comNumber_; }
    QString RuntimeFolder() const { return runtime_.path(); }
    QString MapFolder() const { return runtime_.path() + QStringLiteral("/pelta/serialcomm"); }
    // Everything the simulator printed so far.
    QString Log();
    QString FirstLine() const { return firstLine_; }

  private:
    QTemporaryDir runtime_;
    QProcess process_;
    QString firstLine_;
    QString log_;
    int comNumber_ = 0;
};

}  // namespace pelta::e2e
