// SPDX-License-Identifier: MIT
#pragma once

#include <ostream>
#include <variant>

#include "lumora/platform/Font.h"
#include "lumora/platform/Picture.h"
#include "lumora/runtime/Types.h"

namespace lumora {

// The runtime's tagged value, as property bags and untyped members carry
// it. Conversions follow the runtime: numbers round half to even, text is
// read with the locale's separators, a value that does not fit raises
// error 6 and a value of the wrong kind error 13.
class Variant {
public:
    enum class Kind { Empty, Nothing, Integer, Long, Single, Double, Boolean, String, Font, Picture };

    Variant() = default;
    static Variant FromInteger(Integer value) { return Variant(Storage(std::in_place_index<2>, value)); }
    static Variant FromLong(Long value) { return Variant(Storage(std::in_place_index<3>, value)); }
    static Variant FromSingle(Single value) { return Variant(Storage(std::in_place_index<4>, value)); }
    static Variant FromDouble(Double value) { return Variant(Storage(std::in_place_index<5>, value)); }
    static Variant FromBoolean(Boolean value) { return Variant(Storage(std::in_place_index<6>, BooleanValue{value})); }
    static Variant FromString(String value) { return Variant(Storage(std::in_place_index<7>, std::move(value))); }
    // An empty font or picture reference is the runtime's Nothing.
    static Variant FromFont(FontPtr font);
    static Variant FromPicture(PicturePtr picture);
    static Variant NothingValue() { return Variant(Storage(std::in_place_index<1>, NothingTag{})); }
    // OLE_COLOR travels as a Long with the same 32 bits.
    static Variant FromColor(OLE_COLOR color) { return FromLong(static_cast<Long>(color)); }

    Kind kind() const noexcept { return static_cast<Kind>(value_.index()); }
    bool IsNumeric() const noexcept;
    bool IsObject() const noexcept;

    Long ToLong() const;
    Integer ToInteger() const;
    Single ToSingle() const;
    Double ToDouble() const;
    // Whole numbers that fit 16 bits keep their value, so a flag saved as 5
    // comes back as 5; other non-zero numbers and "True" are -1.
    Boolean ToBoolean() const;
    String ToString() const;
    // Accepts the full unsigned range as well, so a system colour written as
    // 2147483666 reads the same as the Long -2147483630.
    OLE_COLOR ToColor() const;
    // Nothing gives an empty reference; other kinds raise error 13.
    FontPtr ToFont() const;
    PicturePtr ToPicture() const;

    // The bag's rule for "equals the default": numbers (Booleans included)
    // compare by value, text by its characters, objects by identity; values
    // of different kinds never match.
    bool SameValueAs(const Variant& other) const;

    friend bool operator==(const Variant& a, const Variant& b);

private:
    struct NothingTag {
        friend bool operator==(NothingTag, NothingTag) = default;
    };
    struct BooleanValue {
        Boolean value;
        friend bool operator==(BooleanValue, BooleanValue) = default;
    };
    using Storage = std::variant<std::monostate, NothingTag, Integer, Long, Single, Double, BooleanValue, String,
                                 FontPtr, PicturePtr>;

    explicit Variant(Storage value) : value_(std::move(value)) {}

    Storage value_;
};

std::ostream& operator<<(std::ostream& out, const Variant& value);
const char* KindName(Variant::Kind kind);

}  // namespace lumora
