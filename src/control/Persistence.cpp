// SPDX-License-Identifier: MIT
// Saving the control into the host's property bag and loading it back. The
// keys, their order and their defaults are what saved forms hold; they must
// not change.
#include <functional>
#include <optional>
#include <string>

#include "lumora/control/LumoraListControl.h"
#include "lumora/runtime/RuntimeError.h"

namespace lumora {
namespace {

// Defaults a loaded control takes for keys its bag lacks. Several differ
// from what a newly placed control starts with; forms saved over the years
// rely on both.
constexpr Long kReadHeaderHeight = 25;
constexpr OLE_COLOR kReadBackColor = RGB(249, 250, 253);
constexpr OLE_COLOR kReadBackColorForm = RGB(240, 240, 224);
constexpr OLE_COLOR kReadForeColor = 0x80000012;
constexpr OLE_COLOR kReadForeColorActive = RGB(56, 80, 152);
constexpr OLE_COLOR kReadForeColorHot = RGB(0, 0, 255);
constexpr OLE_COLOR kReadFrameColor = 0;
constexpr OLE_COLOR kReadMaskColor = kMaskMagenta;
constexpr Long kReadSelectedRow = 1;
constexpr Long kReadSortedRow = 1;
constexpr OLE_COLOR kReadAccentColors[3] = {RGB(232, 144, 40), RGB(255, 208, 56), RGB(255, 200, 56)};
constexpr const char16_t* kReadFontName = u"MS Sans Serif";
// The ColumnWidths default is a number, which reaches the setter as "900".
constexpr Integer kColumnWidthsDefault = 900;
constexpr Integer kFontSizeDefault = 8;

String ColumnKey(const char16_t* base, Long column) {
    String key = base;
    for (char digit : std::to_string(column)) key += static_cast<char16_t>(digit);
    return key;
}

Variant Color(OLE_COLOR color) { return Variant::FromColor(color); }

// One step of loading: an error ends the step, loading goes on, and the bag
// hears which of its values came to nothing.
template <typename Step>
void LoadStep(IPropertyBag& bag, Step&& step) {
    try {
        step();
    } catch (const RuntimeError& error) {
        bag.ReadStepSkipped(error);
    }
}

// A step that reads a value and hands it to a property's setter. A value
// that cannot be read as the property's kind skips the step, and the bag
// hears of it. The setter's own error (a repaint that fails while the
// columns are not back yet) ends the step as well, but the value reached
// the control, as it would through the automation interface.
template <typename Put, typename Read>
void LoadValue(IPropertyBag& bag, LumoraListControl& control, Put put, Read&& read) {
    std::optional<decltype(read())> value;
    try {
        value.emplace(read());
    } catch (const RuntimeError& error) {
        bag.ReadStepSkipped(error);
        return;
    }
    SkipOnError([&] { std::invoke(put, control, std::move(*value)); });
}

}  // namespace

void LumoraListControl::WriteProperties(IPropertyBag& PropBag) {
    const std::nullopt_t always = std::nullopt;
    const Variant ambientFont = Variant::FromFont(site_.AmbientFont());

    PropBag.WriteProperty(u"Alignment", Variant::FromLong(alignment_), always);
    PropBag.WriteProperty(u"HeaderHeight", Variant::FromLong(headerHeight_), always);
    PropBag.WriteProperty(u"BackColor", Color(backColor_), always);
    PropBag.WriteProperty(u"BackColorForm", Color(backColorForm_), always);
    PropBag.WriteProperty(u"ForeColor", Color(foreColor_), always);
    PropBag.WriteProperty(u"ForeColorActive", Color(foreColorActive_), always);
    PropBag.WriteProperty(u"ForeColorHot", Color(foreColorHot_), always);
    PropBag.WriteProperty(u"FrameColor", Color(frameColor_), always);
    PropBag.WriteProperty(u"MaskColor", Color(maskColor_), always);
    PropBag.WriteProperty(u"SelectedRow", Variant::FromLong(selectedRow_), always);
    PropBag.WriteProperty(u"SortedRow", Variant::FromLong(sortedRow_), always);
    PropBag.WriteProperty(u"Font", Variant::FromFont(drawingFont_), always);
    PropBag.WriteProperty(u"NumberOfTabs", Variant::FromLong(numberOfRows_), always);
    PropBag.WriteProperty(u"RegisterFocusColor1", Color(registerFocusColor_[1]), always);
    PropBag.WriteProperty(u"RegisterFocusColor2", Color(registerFocusColor_[2]), always);
    PropBag.WriteProperty(u"MouseMoveColor0", Color(mouseMoveColor_[0]), always);
    PropBag.WriteProperty(u"MouseMoveColor1", Color(mouseMoveColor_[1]), always);
    PropBag.WriteProperty(u"MouseMoveColor2", Color(mouseMoveColor_[2]), always);
    PropBag.WriteProperty(u"RegisterFocusColor0", Color(registerFocusColor_[0]), always);
    PropBag.WriteProperty(u"FontBold", Variant::FromBoolean(fontBold_), Variant::FromInteger(0));
    PropBag.WriteProperty(u"FontItalic", Variant::FromBoolean(fontItalic_), Variant::FromInteger(0));
    PropBag.WriteProperty(u"FontSize", Variant::FromSingle(fontSize_), Variant::FromInteger(kFontSizeDefault));
    PropBag.WriteProperty(u"FontName", Variant::FromString(fontName_), ambientFont);
    PropBag.WriteProperty(u"FontStrikethru", Variant::FromBoolean(fontStrikethru_), Variant::FromInteger(0));
    PropBag.WriteProperty(u"FontUnderline", Variant::FromBoolean(fontUnderline_), Variant::FromInteger(0));
    PropBag.WriteProperty(u"Font", Variant::FromFont(assignedFont_), ambientFont);
    PropBag.WriteProperty(u"ShowFrame", Variant::FromBoolean(showFrame_), Variant::FromBoolean(kTrue));
    PropBag.WriteProperty(u"ColumnWidths", Variant::FromString(columnWidths_),
                          Variant::FromInteger(kColumnWidthsDefault));
    PropBag.WriteProperty(u"ShowSortPic", Variant::FromBoolean(showSortPic_), Variant::FromBoolean(kTrue));
    WriteColumns(PropBag);
}

void LumoraListControl::WriteColumns(IPropertyBag& bag) {
    const Long count = numberOfRows_;
    for (Long i = 1; i <= count; ++i) {
        const cTabs& column = columns_.Slot(i);
        bag.WriteProperty(ColumnKey(u"RowWidth", i), Variant::FromLong(column.RowWidth), std::nullopt);
        bag.WriteProperty(ColumnKey(u"RowText", i), Variant::FromString(column.RowCaption), std::nullopt);
        bag.WriteProperty(ColumnKey(u"RowSorted", i), Variant::FromBoolean(column.RowSort), std::nullopt);
        bag.WriteProperty(ColumnKey(u"RowPicture", i), Variant::FromPicture(column.get_RowIcon()),
                          Variant::NothingValue());
    }
}

void LumoraListControl::ReadProperties(IPropertyBag& PropBag) {
    // The columns load after the last repaint a setter makes: the next pass
    // is whole.
    imageCurrent_ = false;
    ReadControlKeys(PropBag);
    ReadColumns(PropBag);
    imageCurrent_ = false;
    // Loading reports nothing; a failure here only leaves the keys unset.
    SkipOnError([&] { SetTabAccessKeys(); });
}

void LumoraListControl::ReadControlKeys(IPropertyBag& bag) {
    // Every step stands alone: a missing key without default, a value of the
    // wrong kind or a failing setter skips the rest of that step only.
    auto read = [&](const char16_t* key, const Variant& defaultValue) { return bag.ReadProperty(key, defaultValue); };
    auto readColor = [&](const char16_t* key, OLE_COLOR defaultColor) {
        return read(key, Color(defaultColor)).ToColor();
    };

    LoadValue(bag, *this, &LumoraListControl::put_Alignment,
              [&] { return static_cast<eTabAlignment>(read(u"Alignment", Variant::FromLong(alignment_)).ToLong()); });
    LoadValue(bag, *this, &LumoraListControl::put_HeaderHeight,
              [&] { return read(u"HeaderHeight", Variant::FromLong(kReadHeaderHeight)).ToLong(); });
    LoadValue(bag, *this, &LumoraListControl::put_BackColor, [&] { return readColor(u"BackColor", kReadBackColor); });
    LoadValue(bag, *this, &LumoraListControl::put_BackColorForm,
              [&] { return readColor(u"BackColorForm", kReadBackColorForm); });
    LoadValue(bag, *this, &LumoraListControl::put_ForeColor, [&] { return readColor(u"ForeColor", kReadForeColor); });
    LoadValue(bag, *this, &LumoraListControl::put_ForeColorActive,
              [&] { return readColor(u"ForeColorActive", kReadForeColorActive); });
    LoadValue(bag, *this, &LumoraListControl::put_ForeColorHot,
              [&] { return readColor(u"ForeColorHot", kReadForeColorHot); });
    LoadValue(bag, *this, &LumoraListControl::put_FrameColor,
              [&] { return readColor(u"FrameColor", kReadFrameColor); });
    LoadValue(bag, *this, &LumoraListControl::put_MaskColor, [&] { return readColor(u"MaskColor", kReadMaskColor); });
    // There are no columns yet, so a saved pressed column is not restored
    // and no RowPressed reaches the host while loading.
    LoadValue(bag, *this, &LumoraListControl::put_SelectedRow,
              [&] { return read(u"SelectedRow", Variant::FromLong(kReadSelectedRow)).ToLong(); });
    LoadValue(bag, *this, &LumoraListControl::put_SortedRow,
              [&] { return read(u"SortedRow", Variant::FromLong(kReadSortedRow)).ToLong(); });
    LoadStep(bag, [&] { numberOfRows_ = read(u"NumberOfTabs", Variant::FromLong(0)).ToLong(); });
    LoadValue(bag, *this, &LumoraListControl::put_MouseMoveColor0,
              [&] { return readColor(u"MouseMoveColor0", kReadAccentColors[0]); });
    LoadValue(bag, *this, &LumoraListControl::put_MouseMoveColor1,
              [&] { return readColor(u"MouseMoveColor1", kReadAccentColors[1]); });
    LoadValue(bag, *this, &LumoraListControl::put_MouseMoveColor2,
              [&] { return readColor(u"MouseMoveColor2", kReadAccentColors[2]); });
    LoadValue(bag, *this, &LumoraListControl::put_RegisterFocusColor1,
              [&] { return readColor(u"RegisterFocusColor1", kReadAccentColors[1]); });
    LoadValue(bag, *this, &LumoraListControl::put_RegisterFocusColor2,
              [&] { return readColor(u"RegisterFocusColor2", kReadAccentColors[2]); });
    LoadValue(bag, *this, &LumoraListControl::put_RegisterFocusColor0,
              [&] { return readColor(u"RegisterFocusColor0", kReadAccentColors[0]); });
    LoadValue(bag, *this, &LumoraListControl::put_ShowFrame,
              [&] { return read(u"ShowFrame", Variant::FromBoolean(kTrue)).ToBoolean(); });
    LoadValue(bag, *this, &LumoraListControl::put_FontBold,
              [&] { return read(u"FontBold", Variant::FromBoolean(kFalse)).ToBoolean(); });
    LoadValue(bag, *this, &LumoraListControl::put_FontItalic,
              [&] { return read(u"FontItalic", Variant::FromBoolean(kFalse)).ToBoolean(); });
    LoadValue(bag, *this, &LumoraListControl::put_FontStrikethru,
              [&] { return read(u"FontStrikethru", Variant::FromBoolean(kFalse)).ToBoolean(); });
    LoadValue(bag, *this, &LumoraListControl::put_FontName,
              [&] { return read(u"FontName", Variant::FromString(kReadFontName)).ToString(); });
    LoadValue(bag, *this, &LumoraListControl::put_FontSize,
              [&] { return read(u"FontSize", Variant::FromInteger(kFontSizeDefault)).ToSingle(); });
    LoadValue(bag, *this, &LumoraListControl::put_FontUnderline,
              [&] { return read(u"FontUnderline", Variant::FromBoolean(kFalse)).ToBoolean(); });
    LoadStep(bag, [&] { AdoptDrawingFont(read(u"Font", Variant::FromFont(drawingFont_)).ToFont()); });
    // With columns to restore this write fails on the missing list and stays
    // unset; the widths come from the columns' own keys.
    LoadValue(bag, *this, &LumoraListControl::put_ColumnWidths,
              [&] { return read(u"ColumnWidths", Variant::FromInteger(kColumnWidthsDefault)).ToString(); });
    LoadValue(bag, *this, &LumoraListControl::put_ShowSortPic,
              [&] { return read(u"ShowSortPic", Variant::FromBoolean(kTrue)).ToBoolean(); });
}

void LumoraListControl::ReadColumns(IPropertyBag& bag) {
    // A damaged count (negative, or more columns than a list can hold) would
    // leave a control whose every AddRow fails; it loads with no columns
    // instead.
    try {
        columns_.Recreate(numberOfRows_);
    } catch (const RuntimeError& error) {
        bag.ReadStepSkipped(error, u"NumberOfTabs");
        numberOfRows_ = 0;
        columns_.Recreate(0);
    }
    const Long count = numberOfRows_;
    for (Long i = 1; i <= count; ++i) {
        cTabs& column = columns_.Slot(i);
        // A key the form lacks skips its step: that part of the column stays
        // as a new record has it.
        auto read = [&](const char16_t* base) { return bag.TryReadProperty(ColumnKey(base, i)); };
        LoadStep(bag, [&] {
            if (const auto value = read(u"RowWidth")) column.RowWidth = value->ToLong();
        });
        LoadStep(bag, [&] {
            if (const auto value = read(u"RowText")) column.RowCaption = value->ToString();
        });
        LoadStep(bag, [&] {
            if (const auto value = read(u"RowPicture")) column.putref_RowIcon(value->ToPicture());
        });
        LoadStep(bag, [&] {
            if (const auto value = read(u"RowSorted")) column.RowSort = value->ToBoolean();
        });
    }
}

}  // namespace lumora
