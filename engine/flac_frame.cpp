#include "flac_frame.h"

#include <cstring>

namespace kelvoria {

namespace {

constexpr int kStreamInfoSize = 34;
constexpr int kMetadataBlockHeaderSize = 4;

// The frame or sample number after the first four bytes of the header,
// coded as UTF-8 extended to 36 bits; -1 when the coding is broken.
int64_t readCodedNumber(const uint8_t *data, int size)
{
    if (size < 1)
        return -1;
    uint8_t first = data[0];
    if (first < 0x80)
        return first;
    int length = 0; // bytes in all, from the leading ones of the first
    while (length < 8 && (first & (0x80 >> length)))
        ++length;
    if (length < 2 || length > 7 || length > size)
        return -1;
    int64_t value = first & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        if ((data[i] & 0xC0) != 0x80)
            return -1;
        value = (value << 6) | (data[i] & 0x3F);
    }
    return value;
}

} // namespace

int flacFixedBlockSize(const uint8_t *extradata, int size)
{
    if (extradata && size >= 8 + kStreamInfoSize && std::memcmp(extradata, "fLaC", 4) == 0) {
        extradata += 4 + kMetadataBlockHeaderSize;
        size -= 4 + kMetadataBlockHeaderSize;
    }
    if (!extradata || size < kStreamInfoSize)
        return 0;
    int smallest = extradata[0] << 8 | extradata[1];
    int largest = extradata[2] << 8 | extradata[3];
    return smallest == largest ? smallest : 0;
}

int64_t flacFrameFirstSample(const uint8_t *data, int size, int fixedBlockSize)
{
    // Sync code 0xFFF8 (fixed block size) or 0xFFF9 (variable).
    if (!data || size < 5 || data[0] != 0xFF || (data[1] & 0xFE) != 0xF8)
        return -1;
    bool variable = data[1] & 0x01;
    int64_t number = readCodedNumber(data + 4, size - 4);
    if (number < 0 || (!variable && fixedBlockSize <= 0))
        return -1;
    return variable ? number : number * fixedBlockSize;
}

} // namespace kelvoria
