// SPDX-License-Identifier: MIT
#include "lumora/runtime/Variant.h"

#include <cmath>
#include <limits>

#include "lumora/runtime/RuntimeError.h"
#include "runtime/Arithmetic.h"
#include "runtime/CodePage.h"
#include "runtime/NumberFormat.h"

namespace lumora {
namespace {

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
// Clang 14 does not yet deduce an aggregate's arguments by itself.
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

constexpr double kTwoTo32 = 4294967296.0;

bool IsTrueWord(const String& text) { return LCase(text) == u"true"; }
bool IsFalseWord(const String& text) { return LCase(text) == u"false"; }

}  // namespace

Variant Variant::FromFont(FontPtr font) {
    if (!font) return NothingValue();
    return Variant(Storage(std::in_place_index<8>, std::move(font)));
}

Variant Variant::FromPicture(PicturePtr picture) {
    if (!picture) return NothingValue();
    return Variant(Storage(std::in_place_index<9>, std::move(picture)));
}

bool Variant::IsNumeric() const noexcept {
    switch (kind()) {
        case Kind::Integer:
        case Kind::Long:
        case Kind::Single:
        case Kind::Double:
        case Kind::Boolean:
            return true;
        default:
            return false;
    }
}

bool Variant::IsObject() const noexcept {
    return kind() == Kind::Nothing || kind() == Kind::Font || kind() == Kind::Picture;
}

Double Variant::ToDouble() const {
    return std::visit(Overloaded{
                          [](std::monostate) -> Double { return 0; },
                          [](NothingTag) -> Double { Raise(err::kTypeMismatch); },
                          [](Integer v) -> Double { return v; },
                          [](Long v) -> Double { return v; },
                          [](Single v) -> Double { return v; },
                          [](Double v) -> Double { return v; },
                          [](BooleanValue v) -> Double { return v.value; },
                          [](const String& v) -> Double { return ParseNumber(v); },
                          [](const FontPtr&) -> Double { Raise(err::kTypeMismatch); },
                          [](const PicturePtr&) -> Double { Raise(err::kTypeMismatch); },
                      },
                      value_);
}

Long Variant::ToLong() const {
    if (const auto* v = std::get_if<Long>(&value_)) return *v;
    return CLng(ToDouble());
}

Integer Variant::ToInteger() const {
    if (const auto* v = std::get_if<Integer>(&value_)) return *v;
    return CInt(ToDouble());
}

Single Variant::ToSingle() const {
    if (const auto* v = std::get_if<Single>(&value_)) return *v;
    const Double value = ToDouble();
    if (std::isfinite(value) && std::fabs(value) > std::numeric_limits<Single>::max()) Raise(err::kOverflow);
    return static_cast<Single>(value);
}

Boolean Variant::ToBoolean() const {
    if (const auto* v = std::get_if<BooleanValue>(&value_)) return v->value;
    if (const auto* text = std::get_if<String>(&value_)) {
        if (IsTrueWord(*text)) return kTrue;
        if (IsFalseWord(*text)) return kFalse;
    }
    const Double value = ToDouble();
    if (value == 0) return kFalse;
    if (value == std::trunc(value) && value >= std::numeric_limits<Integer>::min() &&
        value <= std::numeric_limits<Integer>::max())
        return static_cast<Boolean>(value);
    return kTrue;
}

String Variant::ToString() const {
    return std::visit(Overloaded{
                          [](std::monostate) { return String(); },
                          [](NothingTag) -> String { Raise(err::kTypeMismatch); },
                          [](Integer v) { return FromUtf8(std::to_string(v)); },
                          [](Long v) { return FromUtf8(std::to_string(v)); },
                          [](Single v) { return FormatNumber(v); },
                          [](Double v) { return FormatNumber(v); },
                          [](BooleanValue v) { return String(v.value == kFalse ? u"False" : u"True"); },
                          [](const String& v) { return v; },
                          [](const FontPtr&) -> String { Raise(err::kTypeMismatch); },
                          [](const PicturePtr&) -> String { Raise(err::kTypeMismatch); },
                      },
                      value_);
}

OLE_COLOR Variant::ToColor() const {
    if (const auto* v = std::get_if<Long>(&value_)) return static_cast<OLE_COLOR>(*v);
    const Double value = std::nearbyint(ToDouble());
    if (value >= 2147483648.0 && value < kTwoTo32) return static_cast<OLE_COLOR>(value);
    return static_cast<OLE_COLOR>(CLng(value));
}

FontPtr Variant::ToFont() const {
    if (kind() == Kind::Nothing) return nullptr;
    if (const auto* v = std::get_if<FontPtr>(&value_)) return *v;
    Raise(err::kTypeMismatch);
}

PicturePtr Variant::ToPicture() const {
    if (kind() == Kind::Nothing) return nullptr;
    if (const auto* v = std::get_if<PicturePtr>(&value_)) return *v;
    Raise(err::kTypeMismatch);
}

bool Variant::SameValueAs(const Variant& other) const {
    if (IsNumeric() && other.IsNumeric()) return ToDouble() == other.ToDouble();
    if (kind() == Kind::String && other.kind() == Kind::String) return value_ == other.value_;
    if (kind() == Kind::Empty && other.kind() == Kind::Empty) return true;
    if (kind() == Kind::Nothing && other.kind() == Kind::Nothing) return true;
    if (kind() == Kind::Font && other.kind() == Kind::Font) return ToFont() == other.ToFont();
    if (kind() == Kind::Picture && other.kind() == Kind::Picture) return ToPicture() == other.ToPicture();
    return false;
}

bool operator==(const Variant& a, const Variant& b) { return a.value_ == b.value_; }

const char* KindName(Variant::Kind kind) {
    switch (kind) {
        case Variant::Kind::Empty:
            return "Empty";
        case Variant::Kind::Nothing:
            return "Nothing";
        case Variant::Kind::Integer:
            return "Integer";
        case Variant::Kind::Long:
            return "Long";
        case Variant::Kind::Single:
            return "Single";
        case Variant::Kind::Double:
            return "Double";
        case Variant::Kind::Boolean:
            return "Boolean";
        case Variant::Kind::String:
            return "String";
        case Variant::Kind::Font:
            return "Font";
        case Variant::Kind::Picture:
            return "Picture";
    }
    return "?";
}

std::ostream& operator<<(std::ostream& out, const Variant& value) {
    out << KindName(value.kind());
    switch (value.kind()) {
        case Variant::Kind::Empty:
        case Variant::Kind::Nothing:
            return out;
        case Variant::Kind::Boolean:
            return out << ' ' << value.ToBoolean();
        case Variant::Kind::String:
            return out << " \"" << ToUtf8(value.ToString()) << '"';
        case Variant::Kind::Font:
            return out << ' ' << ToUtf8(value.ToFont()->get_Name());
        case Variant::Kind::Picture:
            return out << " type " << static_cast<int>(value.ToPicture()->get_Type());
        default:
            return out << ' ' << ToUtf8(value.ToString());
    }
}

}  // namespace lumora
