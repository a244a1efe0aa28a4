#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// A console takes and gives UTF-16 text in pieces of bounded size. A piece
// boundary must never part a surrogate pair: each half alone would turn
// into U+FFFD on its way.
namespace ConsolePieces {

constexpr size_t kWriteUnits = 16384;  // units written to a console at once
constexpr size_t kReadUnits = 4096;    // units read from a console at once

// How many of the first `limit` units of `units` go in one piece: `limit`,
// or one less where the piece would end between the halves of a pair.
size_t PieceSize(std::u16string_view units, size_t limit);

// Console reads as UTF-8: a high surrogate that ends one read waits for the
// low one that starts the next.
class Reader {
public:
    // The UTF-8 text of the next read's units.
    std::string Take(std::u16string_view units);
    // The end of input: a surrogate still waiting becomes U+FFFD.
    std::string End();

private:
    char16_t m_high = 0;
};

}  // namespace ConsolePieces
