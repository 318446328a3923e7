#pragma once
// How a starter (a send or read button) runs an exchange: it raises `ExchangeInProgress`, sets
// the command range and runs the poll cycle. Implemented by PollCycle.

#include <cstdint>

namespace pelta::protocol {

class ExchangeStarter {
  public:
    virtual ~ExchangeStarter() = default;
    // Sets `ExchangeInProgress` (-1 a run may proceed, 0 idle or stop).
    virtual void SetExchangeInProgress(std::int16_t flag) = 0;
    // Sets `ExchangeInProgress` to -1, `FirstCommand`/`LastCommand` to the range, and runs the
    // cycle. Returns when the run has ended; a run-time error inside it comes back as an
    // exception, after the port is closed and the flag is back at 0.
    virtual void Start(std::int16_t firstCommand, std::int16_t lastCommand) = 0;
};

}  // namespace pelta::protocol
