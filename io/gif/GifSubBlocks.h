#pragma once
// Data sub-blocks, the framing of every GIF extension and of the image data:
// a length byte, that many bytes, and so on until a zero length. A stream
// that ends early ends the blocks.

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace vellinor {

class TStream;

// Moves past the blocks and their terminator.
void SkipGifSubBlocks(TStream& stream);

// Appends the bytes of every block to data.
void ReadGifSubBlocks(TStream& stream, std::vector<uint8_t>& data);

// Calls onBlock with the bytes of each block (a block cut short by the end of
// the stream included).
void ForEachGifSubBlock(TStream& stream,
                        const std::function<void(std::span<const uint8_t>)>& onBlock);

} // namespace vellinor
