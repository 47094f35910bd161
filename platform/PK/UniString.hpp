#pragma once
// Unicode text of the class library. Stored as UTF-16; converted to and from
// UTF-8, which is the default 8-bit character code everywhere on this platform.
#include <compare>
#include <functional>
#include <string>
#include <string_view>

#include "PK/Types.hpp"

namespace PK {

template <typename T>
class Array;

class UniString {
public:
    static constexpr USize MaxIndex = MaxUSize;

    UniString() = default;
    UniString(const char* utf8);                    // NOLINT: implicit on purpose, like the host's
    UniString(const std::string& utf8);             // NOLINT
    UniString(std::string_view utf8);               // NOLINT
    UniString(const char16_t* utf16);               // NOLINT
    UniString(std::u16string utf16);                // NOLINT
    explicit UniString(UniChar ch, USize count = 1);

    static UniString FromUtf8(std::string_view utf8);

    USize GetLength() const { return _text.size(); }
    bool IsEmpty() const { return _text.empty(); }
    void Clear() { _text.clear(); }

    UniChar operator[](USize index) const { return _text.at(index); }

    // UTF-8 form; unpaired surrogates become U+FFFD.
    std::string ToCStr() const;
    const std::u16string& ToUStr() const { return _text; }

    UniString& Append(const UniString& other);
    UniString& operator+=(const UniString& other) { return Append(other); }
    UniString& operator+=(UniChar ch);
    friend UniString operator+(UniString lhs, const UniString& rhs) { return lhs.Append(rhs); }

    bool Contains(const UniString& what) const { return FindFirst(what) != MaxIndex; }
    bool BeginsWith(const UniString& prefix) const;
    bool EndsWith(const UniString& suffix) const;
    // Index of the first occurrence at or after from, or MaxIndex.
    USize FindFirst(const UniString& what, USize from = 0) const;
    UniString GetSubstring(USize from, USize length = MaxIndex) const;
    UniString GetTrimmed() const;

    // Replaces every occurrence of what, scanning left to right over the original
    // text; returns the number of replacements. An empty pattern replaces nothing.
    USize ReplaceAll(const UniString& what, const UniString& with);

    // Splits at every occurrence of separator; empty parts are kept, so "a..b"
    // gives three parts. Returns the number of parts written into parts (cleared first).
    USize Split(const UniString& separator, Array<UniString>* parts) const;

    UniString ToLowerCaseAscii() const;

    std::size_t GenerateHashValue() const { return std::hash<std::u16string>{}(_text); }

    friend bool operator==(const UniString&, const UniString&) = default;
    friend std::strong_ordering operator<=>(const UniString& a, const UniString& b) { return a._text <=> b._text; }

private:
    std::u16string _text;
};

}  // namespace PK

template <>
struct std::hash<PK::UniString> {
    std::size_t operator()(const PK::UniString& s) const noexcept { return s.GenerateHashValue(); }
};
