#include "PK/Guid.hpp"

#include <cstdio>
#include <cstring>
#include <random>

namespace PK {

namespace {

std::mt19937_64& Engine() {
    static std::mt19937_64 engine{std::random_device{}()};
    return engine;
}

int HexValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

}  // namespace

Guid::Guid(const UniString& text) {
    if (auto parsed = Parse(text)) *this = *parsed;
}

Guid Guid::Generate() {
    std::array<UInt8, 16> bytes{};
    UInt64 hi = Engine()(), lo = Engine()();
    for (int i = 0; i < 8; ++i) {
        bytes[i] = static_cast<UInt8>(hi >> (56 - 8 * i));
        bytes[8 + i] = static_cast<UInt8>(lo >> (56 - 8 * i));
    }
    bytes[6] = static_cast<UInt8>((bytes[6] & 0x0F) | 0x40);
    bytes[8] = static_cast<UInt8>((bytes[8] & 0x3F) | 0x80);
    return FromBytes(bytes);
}

void Guid::SeedGenerator(UInt64 seed) { Engine().seed(seed); }

void Guid::UnseedGenerator() { Engine().seed(std::random_device{}()); }

std::optional<Guid> Guid::Parse(const UniString& input) {
    const std::u16string& s = input.ToUStr();
    std::u16string_view text = s;
    if (text.size() == 38 && text.front() == u'{' && text.back() == u'}') text = text.substr(1, 36);
    if (text.size() != 36) return std::nullopt;
    std::array<UInt8, 16> bytes{};
    std::size_t b = 0;
    for (std::size_t i = 0; i < 36;) {
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (text[i] != u'-') return std::nullopt;
            ++i;
            continue;
        }
        int h = HexValue(text[i]), l = HexValue(text[i + 1]);
        if (h < 0 || l < 0) return std::nullopt;
        bytes[b++] = static_cast<UInt8>(h * 16 + l);
        i += 2;
    }
    return FromBytes(bytes);
}

UniString Guid::ToUniString() const {
    auto b = ToBytes();
    char buf[40];
    std::snprintf(buf, sizeof buf, "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X", b[0], b[1],
                  b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13], b[14], b[15]);
    return UniString(buf);
}

std::array<UInt8, 16> Guid::ToBytes() const {
    return {static_cast<UInt8>(time_low >> 24), static_cast<UInt8>(time_low >> 16), static_cast<UInt8>(time_low >> 8),
            static_cast<UInt8>(time_low),       static_cast<UInt8>(time_mid >> 8),  static_cast<UInt8>(time_mid),
            static_cast<UInt8>(time_hi_and_version >> 8), static_cast<UInt8>(time_hi_and_version),
            clock_seq_hi_and_reserved,          clock_seq_low,                      node[0],
            node[1],                            node[2],                            node[3],
            node[4],                            node[5]};
}

Guid Guid::FromBytes(const std::array<UInt8, 16>& b) {
    Guid g;
    g.time_low = UInt32(b[0]) << 24 | UInt32(b[1]) << 16 | UInt32(b[2]) << 8 | b[3];
    g.time_mid = static_cast<UInt16>(b[4] << 8 | b[5]);
    g.time_hi_and_version = static_cast<UInt16>(b[6] << 8 | b[7]);
    g.clock_seq_hi_and_reserved = b[8];
    g.clock_seq_low = b[9];
    for (int i = 0; i < 6; ++i) g.node[i] = b[10 + i];
    return g;
}

std::size_t Guid::GenerateHashValue() const {
    UInt64 halves[2];
    std::memcpy(halves, this, sizeof halves);
    return std::hash<UInt64>{}(halves[0] ^ (halves[1] * 0x9E3779B97F4A7C15ull));
}

}  // namespace PK
