#pragma once
// 128-bit identifier of the class library. Its memory layout (a 32-bit, two
// 16-bit and eight 8-bit fields) is the same as the host API's GUID record.
#include <array>
#include <compare>
#include <cstring>
#include <functional>
#include <optional>

#include "PK/Types.hpp"
#include "PK/UniString.hpp"

namespace PK {

class Guid {
public:
    UInt32 time_low = 0;
    UInt16 time_mid = 0;
    UInt16 time_hi_and_version = 0;
    UInt8 clock_seq_hi_and_reserved = 0;
    UInt8 clock_seq_low = 0;
    UInt8 node[6] = {};

    constexpr Guid() = default;
    // Parses the text form; an unparsable text gives the null GUID (use Parse to tell).
    explicit Guid(const UniString& text);
    explicit Guid(const char* text) : Guid(UniString(text)) {}

    // A fresh random (version 4) GUID. Tests can make the sequence repeatable.
    static Guid Generate();
    static void SeedGenerator(UInt64 seed);
    static void UnseedGenerator();

    // Accepts "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX" in either case, with or without braces.
    static std::optional<Guid> Parse(const UniString& text);

    bool IsNull() const { return *this == Guid(); }
    void Clear() { *this = Guid(); }

    // Upper-case hexadecimal, no braces: the one text form stored and compared.
    UniString ToUniString() const;

    std::array<UInt8, 16> ToBytes() const;  // canonical (big-endian field) order
    static Guid FromBytes(const std::array<UInt8, 16>& bytes);

    // The fields fill the 16 bytes without padding, so equality is a plain
    // memory compare; GUIDs are compared and hashed on every element look-up.
    friend bool operator==(const Guid& a, const Guid& b) { return std::memcmp(&a, &b, sizeof(Guid)) == 0; }
    friend std::strong_ordering operator<=>(const Guid& a, const Guid& b) { return a.ToBytes() <=> b.ToBytes(); }

    std::size_t GenerateHashValue() const;
};

static_assert(sizeof(Guid) == 16, "Guid must keep the host's 16-byte layout");

inline constexpr Guid NULLGuid{};

}  // namespace PK

template <>
struct std::hash<PK::Guid> {
    std::size_t operator()(const PK::Guid& g) const noexcept { return g.GenerateHashValue(); }
};
