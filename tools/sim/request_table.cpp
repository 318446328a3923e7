#include "tools/sim/request_table.h"

#include <array>

namespace pelta::sim {

namespace {

constexpr std::array<RequestKind, 7> kKinds{{
    {Request::ReadState, kReadFunction, 0xBE, 3, "ReadState"},
    {Request::ReadSettings, kReadFunction, 0xC0, 3, "ReadSettings"},
    {Request::SetClock, kWriteFunction, 0x5E, 12, "SetClock"},
    {Request::WriteAlarm1, kWriteFunction, 0x5F, 7, "WriteAlarm1"},
    {Request::WriteAlarm2, kWriteFunction, 0x60, 7, "WriteAlarm2"},
    {Request::WriteEvent, kWriteFunction, 0x64, 27, "WriteEvent"},
    {Request::WriteEventLine2, kWriteFunction, 0x65, 23, "WriteEventLine2"},
}};

}  // namespace

const RequestKind* FindRequestKind(std::uint8_t function, std::uint8_t command) {
    for (const RequestKind& kind : kKinds) {
        if (kind.function == function && kind.command == command) {
            return &kind;
        }
    }
    return nullptr;
}

Classified Classify(std::string_view frame, std::uint8_t ownAddress) {
    if (frame.size() < kHeaderLength) {
        return {Verdict::TooShort, nullptr};
    }
    const RequestKind* kind = FindRequestKind(ByteAt(frame, 1), ByteAt(frame, 2));
    if (kind == nullptr) {
        return {Verdict::Unknown, nullptr};
    }
    if (frame.size() != kind->length) {
        return {Verdict::WrongLength, kind};
    }
    if (ByteAt(frame, 0) != ownAddress) {
        return {Verdict::OtherAddress, kind};
    }
    return {Verdict::Answer, kind};
}

std::string_view VerdictText(Verdict verdict) {
    switch (verdict) {
        case Verdict::Answer:
            return "answered";
        case Verdict::TooShort:
            return "ignored: shorter than a request header";
        case Verdict::Unknown:
            return "ignored: unknown function/command";
        case Verdict::WrongLength:
            return "ignored: wrong length for this command";
        case Verdict::OtherAddress:
            return "ignored: not our address";
    }
    return "ignored";
}

}  // namespace pelta::sim
