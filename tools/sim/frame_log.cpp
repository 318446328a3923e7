#include "tools/sim/frame_log.h"

#include <array>
#include <cstdint>
#include <ctime>
#include <utility>

namespace pelta::sim {

namespace {

std::string TwoDigits(int value) {
    std::array<char, 8> buf{};
    std::snprintf(buf.data(), buf.size(), "%02d", value);
    return buf.data();
}

// Event lines hold the screen's character codes: printable ASCII is shown as is, the rest
// as \xNN so that the log line stays byte-exact and readable.
std::string Quoted(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto b = static_cast<std::uint8_t>(c);
        if (b >= 0x20 && b < 0x7F && c != '"' && c != '\\') {
            out.push_back(c);
        } else {
            std::array<char, 8> buf{};
            std::snprintf(buf.data(), buf.size(), "\\x%02X", b);
            out += buf.data();
        }
    }
    return out + "\"";
}

std::string OnOff(std::uint8_t b) {
    return b == 0 ? "on" : b == 255 ? "off" : "onoff=" + std::to_string(b);
}

std::string DescribeData(Request request, std::string_view d) {
    auto at = [d](std::size_t i) { return static_cast<int>(ByteAt(d, i)); };
    switch (request) {
        case Request::SetClock:
            return TwoDigits(at(0)) + "." + TwoDigits(at(1)) + "." + TwoDigits(at(2)) + " " +
                   TwoDigits(at(3)) + ":" + TwoDigits(at(4)) + ":" + TwoDigits(at(5)) +
                   " correction=" + std::to_string(at(6)) + " season=" + OnOff(at(7)) +
                   " weekday=" + std::to_string(at(8));
        case Request::WriteAlarm1:
        case Request::WriteAlarm2:
            return OnOff(at(0)) + " " + TwoDigits(at(1)) + ":" + TwoDigits(at(2)) +
                   " days=" + std::to_string(at(3));
        case Request::WriteEvent:
            return OnOff(at(0)) + " month=" + std::to_string(at(1)) +
                   " day=" + std::to_string(at(2)) + " hour=" + std::to_string(at(3)) +
                   " line1=" + Quoted(d.substr(4));
        case Request::WriteEventLine2:
            return "line2=" + Quoted(d);
        default:
            return {};
    }
}

}  // namespace

std::string HexBytes(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : bytes) {
        const auto b = static_cast<std::uint8_t>(c);
        if (!out.empty()) {
            out.push_back(' ');
        }
        out.push_back(kDigits[b >> 4]);
        out.push_back(kDigits[b & 0x0F]);
    }
    return out;
}

std::string DescribeRequest(std::string_view frame) {
    if (frame.size() < kHeaderLength) {
        return "fragment";
    }
    const RequestKind* kind = FindRequestKind(ByteAt(frame, 1), ByteAt(frame, 2));
    const std::string address = "addr=" + std::to_string(ByteAt(frame, 0));
    if (kind == nullptr) {
        return "unknown " + address;
    }
    std::string text = std::string(kind->name) + " " + address;
    if (frame.size() != kind->length) {
        return text + " length=" + std::to_string(frame.size()) + " (want " +
               std::to_string(kind->length) + ")";
    }
    const std::string data = DescribeData(kind->request, frame.substr(kHeaderLength));
    return data.empty() ? text : text + " " + data;
}

std::string LineParams(const termios& t) {
    struct SpeedName {
        speed_t code;
        int baud;
    };
    static constexpr std::array<SpeedName, 19> kSpeeds{{
        {B0, 0},           {B50, 50},         {B75, 75},         {B110, 110},     {B150, 150},
        {B300, 300},       {B600, 600},       {B1200, 1200},     {B2400, 2400},   {B4800, 4800},
        {B9600, 9600},     {B19200, 19200},   {B38400, 38400},   {B57600, 57600}, {B115200, 115200},
        {B230400, 230400}, {B460800, 460800}, {B921600, 921600}, {B200, 200},
    }};
    const speed_t code = cfgetospeed(&t);
    std::string speed = "other";
    for (const SpeedName& s : kSpeeds) {
        if (s.code == code) {
            speed = std::to_string(s.baud);
        }
    }
    int data = 8;
    switch (t.c_cflag & CSIZE) {
        case CS5:
            data = 5;
            break;
        case CS6:
            data = 6;
            break;
        case CS7:
            data = 7;
            break;
        default:
            data = 8;
    }
    auto flag = [&t](tcflag_t f) { return (t.c_cflag & f) != 0 ? "1" : "0"; };
    return "speed=" + speed + " data=" + std::to_string(data) +
           " stop=" + ((t.c_cflag & CSTOPB) != 0 ? "2" : "1") + " parenb=" + flag(PARENB) +
           " parodd=" + flag(PARODD) + " cmspar=" + flag(CMSPAR);
}

std::string TimeStamp(std::chrono::system_clock::time_point when) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count() %
        1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    std::array<char, 32> buf{};
    std::snprintf(buf.data(), buf.size(), "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min,
                  local.tm_sec, static_cast<int>(millis));
    return buf.data();
}

void FrameLog::Received(std::string_view frame, std::string_view verdict,
                        const std::string& lineParams) {
    Emit("rx " + HexBytes(frame) + " | " + DescribeRequest(frame) + " | " + std::string(verdict) +
         " | " + lineParams);
}

void FrameLog::Sent(std::string_view frame) {
    Emit("tx " + HexBytes(frame) + " | " + std::to_string(frame.size()) + " bytes");
}

void FrameLog::Note(std::string_view text) {
    Emit("note | " + std::string(text));
}

void FrameLog::Emit(const std::string& line) {
    std::fprintf(out_, "%s %s\n", TimeStamp(std::chrono::system_clock::now()).c_str(),
                 line.c_str());
    std::fflush(out_);
}

}  // namespace pelta::sim
