// The deflate decoder: stored, fixed-Huffman and dynamic-Huffman blocks,
// decoded with canonical-code tables, one bit at a time per code length.
#include "data/inflate.h"

#include <array>

namespace fluxcore {

namespace {

constexpr int kMaxBits = 15;
constexpr int kLiteralCodes = 288;
constexpr int kDistanceCodes = 30;

// Thrown inside the decoder only; inflateRaw turns it into its answer.
struct Damaged {
    const char* why;
};

class BitReader {
public:
    BitReader(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}

    int bit() {
        if (bitCount_ == 0) {
            if (at_ >= size_) throw Damaged{"stream cut short"};
            bitBuffer_ = data_[at_++];
            bitCount_ = 8;
        }
        const int value = bitBuffer_ & 1;
        bitBuffer_ >>= 1;
        --bitCount_;
        return value;
    }

    // `count` bits, least significant first (0 to 16).
    int bits(int count) {
        int value = 0;
        for (int i = 0; i < count; ++i) value |= bit() << i;
        return value;
    }

    // Drops the rest of the current byte: stored blocks start on a byte.
    void alignToByte() { bitCount_ = 0; }

    unsigned char byte() {
        if (at_ >= size_) throw Damaged{"stream cut short"};
        return data_[at_++];
    }

private:
    const unsigned char* data_;
    std::size_t size_;
    std::size_t at_ = 0;
    int bitBuffer_ = 0;
    int bitCount_ = 0;
};

// A canonical Huffman code: how many codes each length has and the symbols
// in code order.
struct Huffman {
    std::array<short, kMaxBits + 1> counts{};
    std::array<short, kLiteralCodes> symbols{};

    // From the code lengths of symbols 0..n-1 (0: unused). An over-subscribed
    // set is damaged; an incomplete one is allowed (a single distance code).
    void build(const unsigned char* lengths, int n) {
        counts.fill(0);
        for (int s = 0; s < n; ++s) ++counts[lengths[s]];
        counts[0] = 0;
        int left = 1;
        for (int len = 1; len <= kMaxBits; ++len) {
            left = left * 2 - counts[len];
            if (left < 0) throw Damaged{"over-subscribed code lengths"};
        }
        std::array<short, kMaxBits + 2> offsets{};
        for (int len = 1; len <= kMaxBits; ++len) offsets[len + 1] = static_cast<short>(offsets[len] + counts[len]);
        for (int s = 0; s < n; ++s) {
            if (lengths[s] != 0) symbols[offsets[lengths[s]]++] = static_cast<short>(s);
        }
    }

    int decode(BitReader& in) const {
        int code = 0, first = 0, index = 0;
        for (int len = 1; len <= kMaxBits; ++len) {
            code |= in.bit();
            const int count = counts[len];
            if (code - first < count) return symbols[index + (code - first)];
            index += count;
            first = (first + count) << 1;
            code <<= 1;
        }
        throw Damaged{"invalid Huffman code"};
    }
};

constexpr std::array<short, 29> kLengthBase = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                                31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<short, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<int, 30> kDistanceBase = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,
                                               33,  49,  65,  97,  129, 193,  257,  385,  513,  769,
                                               1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<short, 30> kDistanceExtra = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                                  6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

class Decoder {
public:
    Decoder(BitReader& in, std::size_t limit, std::vector<unsigned char>& out) : in_(in), limit_(limit), out_(out) {}

    void run() {
        int last = 0;
        do {
            last = in_.bit();
            switch (in_.bits(2)) {
                case 0: stored(); break;
                case 1: fixed(); break;
                case 2: dynamic(); break;
                default: throw Damaged{"invalid block type"};
            }
        } while (!last);
    }

private:
    void put(unsigned char value) {
        if (out_.size() >= limit_) throw Damaged{"more data than the declared size"};
        out_.push_back(value);
    }

    void stored() {
        in_.alignToByte();
        const unsigned length = word();
        const unsigned complement = word();
        if ((length ^ 0xFFFFu) != complement) throw Damaged{"stored block length does not match its complement"};
        for (unsigned i = 0; i < length; ++i) put(in_.byte());
    }

    // A little-endian 16-bit value; the two reads in their order.
    unsigned word() {
        const unsigned low = in_.byte();
        return low | static_cast<unsigned>(in_.byte()) << 8;
    }

    void fixed() {
        std::array<unsigned char, kLiteralCodes> lengths{};
        for (int s = 0; s < kLiteralCodes; ++s) lengths[s] = s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8;
        Huffman literals, distances;
        literals.build(lengths.data(), kLiteralCodes);
        std::array<unsigned char, kDistanceCodes> distanceLengths;
        distanceLengths.fill(5);
        distances.build(distanceLengths.data(), kDistanceCodes);
        codes(literals, distances);
    }

    void dynamic() {
        const int literalCount = in_.bits(5) + 257;
        const int distanceCount = in_.bits(5) + 1;
        const int lengthCodeCount = in_.bits(4) + 4;
        if (literalCount > 286 || distanceCount > kDistanceCodes) throw Damaged{"too many length or distance codes"};
        static constexpr std::array<unsigned char, 19> kOrder = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                                 11, 4,  12, 3, 13, 2, 14, 1, 15};
        std::array<unsigned char, 19> lengthLengths{};
        for (int i = 0; i < lengthCodeCount; ++i) lengthLengths[kOrder[i]] = static_cast<unsigned char>(in_.bits(3));
        Huffman lengthCode;
        lengthCode.build(lengthLengths.data(), 19);

        std::array<unsigned char, 286 + kDistanceCodes> lengths{};
        const int total = literalCount + distanceCount;
        for (int at = 0; at < total;) {
            const int symbol = lengthCode.decode(in_);
            if (symbol < 16) {
                lengths[at++] = static_cast<unsigned char>(symbol);
                continue;
            }
            unsigned char value = 0;
            int repeat = 0;
            if (symbol == 16) {
                if (at == 0) throw Damaged{"repeat with no previous length"};
                value = lengths[at - 1];
                repeat = 3 + in_.bits(2);
            } else if (symbol == 17) {
                repeat = 3 + in_.bits(3);
            } else {
                repeat = 11 + in_.bits(7);
            }
            if (at + repeat > total) throw Damaged{"code lengths run past their count"};
            while (repeat-- > 0) lengths[at++] = value;
        }
        if (lengths[256] == 0) throw Damaged{"no end-of-block code"};
        Huffman literals, distances;
        literals.build(lengths.data(), literalCount);
        distances.build(lengths.data() + literalCount, distanceCount);
        codes(literals, distances);
    }

    void codes(const Huffman& literals, const Huffman& distances) {
        for (;;) {
            const int symbol = literals.decode(in_);
            if (symbol < 256) {
                put(static_cast<unsigned char>(symbol));
                continue;
            }
            if (symbol == 256) return;
            const int lengthIndex = symbol - 257;
            if (lengthIndex >= 29) throw Damaged{"invalid length code"};
            const int length = kLengthBase[lengthIndex] + in_.bits(kLengthExtra[lengthIndex]);
            const int distanceSymbol = distances.decode(in_);
            if (distanceSymbol >= kDistanceCodes) throw Damaged{"invalid distance code"};
            const std::size_t distance =
                static_cast<std::size_t>(kDistanceBase[distanceSymbol] + in_.bits(kDistanceExtra[distanceSymbol]));
            if (distance > out_.size()) throw Damaged{"distance reaches before the start"};
            for (int i = 0; i < length; ++i) put(out_[out_.size() - distance]);
        }
    }

    BitReader& in_;
    std::size_t limit_;
    std::vector<unsigned char>& out_;
};

}  // namespace

bool inflateRaw(const unsigned char* data, std::size_t size, std::size_t expectedSize,
                std::vector<unsigned char>& out, std::string& why) {
    out.clear();
    out.reserve(expectedSize);
    BitReader in(data, size);
    try {
        Decoder(in, expectedSize, out).run();
    } catch (const Damaged& damaged) {
        out.clear();
        why = damaged.why;
        return false;
    }
    if (out.size() != expectedSize) {
        out.clear();
        why = "less data than the declared size";
        return false;
    }
    return true;
}

std::uint32_t crc32Of(const unsigned char* data, std::size_t size) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

}  // namespace fluxcore
