#pragma once
// Cuts the bytes of a line that another master drives into frames, for `pelta-ctl listen`.
// Nothing on the line marks where a frame begins, so the cutter knows requests by their
// function and command bytes and their length, and a reply by the length its request expects and
// its CRC. Bytes that fit neither are noise; after noise it finds its way back at the next
// request, or at a reply whose CRC checks out.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pelta::watch {

struct SplitFrame {
    enum class Kind { Request, Reply, Noise };
    Kind kind = Kind::Noise;
    std::int16_t command = 0;  // the command number; 0 for noise
    bool crcGood = false;      // replies only: the last two bytes are the CRC of the rest
    std::string bytes;
};

class FrameSplitter {
  public:
    FrameSplitter();

    // Takes the next bytes as they arrived, in pieces of any size; gives the frames they complete.
    std::vector<SplitFrame> Feed(std::string_view bytes);
    // The line has gone quiet: whatever is held is complete as it is (a short reply, noise).
    std::vector<SplitFrame> Idle();

  private:
    struct RequestShape {
        char function = 0;
        char code = 0;
        std::int16_t command = 0;
        std::size_t length = 0;
        std::size_t replyLength = 0;
    };

    bool Step(std::vector<SplitFrame>& out);
    bool StepAwaitingReply(std::vector<SplitFrame>& out);
    bool StepHunting(std::vector<SplitFrame>& out);
    // The request whose header starts at `at`, or nullptr.
    const RequestShape* RequestAt(std::size_t at) const;
    // A request at `at` with its good reply right behind it.
    bool RequestWithReplyAt(std::size_t at) const;
    bool GoodReplyAt(std::size_t at, std::size_t length) const;
    void Emit(std::vector<SplitFrame>& out, SplitFrame::Kind kind, std::size_t length,
              bool crcGood = false);

    std::vector<RequestShape> shapes_;
    std::string held_;
    const RequestShape* awaiting_ = nullptr;  // the request whose reply comes next
};

}  // namespace pelta::watch
