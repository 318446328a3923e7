#pragma once
// Where the poll cycle hands each reply: implemented by the device layer's reply decoder.

#include <cstdint>

#include "protocol/frame.h"

namespace pelta::protocol {

class ReplySink {
  public:
    virtual ~ReplySink() = default;
    // Called once per command of the range with the reply exactly as read: possibly empty,
    // short or with a bad CRC.
    virtual void ReplyDecoder(std::int16_t command, const Frame& reply) = 0;
};

}  // namespace pelta::protocol
