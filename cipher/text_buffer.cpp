#include "cipher/text_buffer.h"

#include <algorithm>

namespace pelta::cipher {

void GrowingTextBuffer::Reset() {
    Length = 0;
    Capacity = kStep;
    Bytes.assign(Capacity + 1, '\0');
}

void GrowingTextBuffer::Append(std::string_view piece) {
    // Pieces are one or two characters, so a single step always makes room; the loop keeps a
    // longer piece safe as well.
    while (Length + piece.size() > Capacity) {
        Capacity += kStep;
        Bytes.resize(Capacity + 1, '\0');
    }
    std::copy(piece.begin(), piece.end(), Bytes.begin() + static_cast<std::ptrdiff_t>(Length));
    Length += piece.size();
}

}  // namespace pelta::cipher
