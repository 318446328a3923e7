#pragma once
// A run-time error of the serial link that the caller must handle (a speed of 0, a list
// position that names no port). Failed port calls are never thrown: they are shown and ignored.

#include <stdexcept>
#include <string>

namespace pelta::link {

class LinkError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace pelta::link
