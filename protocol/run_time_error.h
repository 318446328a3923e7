#pragma once
// A run-time error raised by the core to the handler that started the work; the handler shows
// what() in a warning box. Bad values from the operator's controls end up here, never in a crash.

#include <stdexcept>
#include <string>

namespace pelta::protocol {

class RunTimeError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace pelta::protocol
