// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include "lumora/runtime/Types.h"

namespace lumora {

// The platform's font object, with the attributes the control reads and
// writes. Like the system's own, Bold and Weight are two views of one value:
// setting Bold sets the weight to 700 or 400, and a weight above 550 reads
// as bold.
// A weight above this reads as bold.
inline constexpr Integer kBoldWeightThreshold = 550;

class IFont {
public:
    virtual ~IFont() = default;

    virtual String get_Name() const = 0;
    virtual void put_Name(const String& name) = 0;
    // Points; the platform keeps four decimal places.
    virtual double get_Size() const = 0;
    virtual void put_Size(double points) = 0;
    virtual bool get_Bold() const = 0;
    virtual void put_Bold(bool bold) = 0;
    virtual bool get_Italic() const = 0;
    virtual void put_Italic(bool italic) = 0;
    virtual bool get_Underline() const = 0;
    virtual void put_Underline(bool underline) = 0;
    virtual bool get_Strikethrough() const = 0;
    virtual void put_Strikethrough(bool strikethrough) = 0;
    virtual Integer get_Weight() const = 0;
    virtual void put_Weight(Integer weight) = 0;
    virtual Integer get_Charset() const = 0;
    virtual void put_Charset(Integer charset) = 0;

    // A new, independent font object with the same attributes.
    virtual std::shared_ptr<IFont> Clone() const = 0;
};

using FontPtr = std::shared_ptr<IFont>;

// The attributes of a font as plain values, to create or compare fonts.
struct FontDescription {
    String name = u"MS Sans Serif";
    double size = 8;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;
    Integer weight = 400;
    Integer charset = 0;

    friend bool operator==(const FontDescription&, const FontDescription&) = default;
};

FontDescription Describe(const IFont& font);
void Apply(const FontDescription& description, IFont& font);

}  // namespace lumora
