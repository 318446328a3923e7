#pragma once
// The simulator's end of the line: a pseudo-terminal pair. The client opens the slave device
// by name; the simulator reads and writes the master. The simulator also keeps its own slave
// descriptor open for its whole life: without it, a client closing the port would leave the
// master reporting hang-up on every poll.

#include <optional>
#include <string>

#include <termios.h>

namespace pelta::sim {

class PtyLine {
  public:
    static std::optional<PtyLine> Open(std::string* error);

    PtyLine(PtyLine&& other) noexcept;
    PtyLine& operator=(PtyLine&&) = delete;
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;
    ~PtyLine();

    int MasterFd() const { return master_; }
    const std::string& SlavePath() const { return slavePath_; }

    // The line parameters currently set on the slave side, i.e. by the client.
    termios SlaveSettings() const;

    // Hangs up the line: the client's next read reports end of file or EIO.
    void Close();

  private:
    PtyLine(int master, int slave, std::string slavePath);

    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};

}  // namespace pelta::sim
