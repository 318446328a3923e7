#pragma once
// The simulator's log on standard output, one line per frame, flushed at once so that tests
// and scripts can follow it live. Line shapes (fields separated by " | "):
//   HH:MM:SS.mmm rx <hex bytes> | <decoding> | <verdict> | speed=N data=N stop=N parenb=0|1
//       parodd=0|1 cmspar=0|1
//   HH:MM:SS.mmm tx <hex bytes> | <N> bytes
//   HH:MM:SS.mmm note | <free text>
// The line parameters are what termios reports for the pseudo-terminal; Linux ptys always
// report CS8 and clear PARENB whatever the client asked for.

#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>

#include <termios.h>

#include "tools/sim/request_table.h"

namespace pelta::sim {

std::string HexBytes(std::string_view bytes);

// A short human reading of a request, e.g. "SetClock 05.03.09 14:07:00 ...".
std::string DescribeRequest(std::string_view frame);

// Speed, data bits, stop bits and parity flags as termios holds them.
std::string LineParams(const termios& settings);

// Local time of day with milliseconds.
std::string TimeStamp(std::chrono::system_clock::time_point when);

class FrameLog {
  public:
    explicit FrameLog(std::FILE* out) : out_(out) {}

    void Received(std::string_view frame, std::string_view verdict, const std::string& lineParams);
    void Sent(std::string_view frame);
    void Note(std::string_view text);

  private:
    void Emit(const std::string& line);

    std::FILE* out_;
};

}  // namespace pelta::sim
