// SPDX-License-Identifier: MIT
//
// Reads the registered type library back and compares it with what form
// designers and scripts rely on: the ten entries in their order, every
// accessor of the control's interface with its dispatch identifier, types,
// flags and defaults, the events, the enumeration, and the vtable slots the
// C++ code implements.
#include "WindowsHeaders.h"

#include <oleauto.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "DorvaneLumoraStyleList.h"

namespace {

using Control = _LumoraListControl;

// The platform's colour alias in stdole2.
constexpr GUID kOleColorGuid = {0x66504301, 0xBE0F, 0x101A, {0x8B, 0xBB, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB}};

// IUnknown's three and IDispatch's four methods come before the control's.
constexpr UINT kDispatchSlots = 7;

constexpr USHORT kIn = PARAMFLAG_FIN;
constexpr USHORT kInOut = PARAMFLAG_FIN | PARAMFLAG_FOUT;
constexpr USHORT kOptional = kInOut | PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT;
constexpr USHORT kRetval = PARAMFLAG_FOUT | PARAMFLAG_FRETVAL;
constexpr WORD kHidden = FUNCFLAG_FHIDDEN;
constexpr WORD kNotBrowsable = FUNCFLAG_FNONBROWSABLE;

// GCC (the Itanium C++ ABI) represents a pointer to a virtual member
// function as its byte offset in the vtable plus one.
template <typename Method>
std::ptrdiff_t Slot(Method method) {
    struct Representation {
        std::ptrdiff_t offset_plus_one;
        std::ptrdiff_t this_adjustment;
    };
    static_assert(sizeof(Method) == sizeof(Representation));
    Representation representation;
    std::memcpy(&representation, &method, sizeof representation);
    return representation.offset_plus_one - 1;
}

// A parameter as a caller sees it. Types are the runtime's: Long, Integer,
// Single, Boolean, String, Variant, OLE_COLOR, StdPicture, StdFont and the
// enumeration.
struct Param {
    const wchar_t* name;  // nullptr: a property's value, which the library leaves unnamed
    const wchar_t* type;
    bool by_ref;
    USHORT flags;
    const wchar_t* default_value = nullptr;  // as a caller would write it
};

const Param kIndex{L"Index", L"Long", false, kIn};
Param Value(const wchar_t* type) { return {nullptr, type, false, kIn}; }
Param ByRef(const wchar_t* name, const wchar_t* type) { return {name, type, true, kInOut}; }

// One accessor or method of the control's interface, in vtable order.
struct Accessor {
    const wchar_t* name;
    DISPID id;
    INVOKEKIND kind;
    const wchar_t* result;  // nullptr: none
    WORD flags;
    std::vector<Param> params;
    std::ptrdiff_t cpp_slot;
};

constexpr INVOKEKIND kGet = INVOKE_PROPERTYGET;
constexpr INVOKEKIND kLet = INVOKE_PROPERTYPUT;
constexpr INVOKEKIND kSet = INVOKE_PROPERTYPUTREF;
constexpr INVOKEKIND kCall = INVOKE_FUNC;

const std::vector<Accessor>& ControlAccessors() {
    // clang-format off
    static const std::vector<Accessor> accessors = {
        {L"HeaderHeight", 0x68030020, kGet, L"Long", 0, {}, Slot(&Control::get_HeaderHeight)},
        {L"HeaderHeight", 0x68030020, kLet, nullptr, 0, {Value(L"Long")}, Slot(&Control::put_HeaderHeight)},
        {L"BackColor", 0x6803001F, kGet, L"OLE_COLOR", 0, {}, Slot(&Control::get_BackColor)},
        {L"BackColor", 0x6803001F, kLet, nullptr, 0, {Value(L"OLE_COLOR")}, Slot(&Control::put_BackColor)},
        {L"ForeColor", 0x6803001E, kGet, L"OLE_COLOR", 0, {}, Slot(&Control::get_ForeColor)},
        {L"ForeColor", 0x6803001E, kLet, nullptr, 0, {Value(L"OLE_COLOR")}, Slot(&Control::put_ForeColor)},
        {L"ForeColorActive", 0x6803001D, kGet, L"OLE_COLOR", 0, {}, Slot(&Control::get_ForeColorActive)},
        {L"ForeColorActive", 0x6803001D, kLet, nullptr, 0, {Value(L"OLE_COLOR")}, Slot(&Control::put_ForeColorActive)},
        {L"BackColorForm", 0x6803001C, kGet, L"OLE_COLOR", 0, {}, Slot(&Control::get_BackColorForm)},
        {L"BackColorForm", 0x6803001C, kLet, nullptr, 0, {Value(L"OLE_COLOR")}, Slot(&Control::put_BackColorForm)},
        {L"MouseMoveColor0", 0x6803001B, kGet, L"OLE_COLOR", kHidden, {}, Slot(&Control::get_MouseMoveColor0)},
        {L"MouseMoveColor0", 0x6803001B, kLet, nullptr, kHidden, {Value(L"OLE_COLOR")},
         Slot(&Control::put_MouseMoveColor0)},
        {L"MouseMoveColor1", 0x6803001A, kGet, L"OLE_COLOR", kHidden, {}, Slot(&Control::get_MouseMoveColor1)},
        {L"MouseMoveColor1", 0x6803001A, kLet, nullptr, kHidden, {Value(L"OLE_COLOR")},
         Slot(&Control::put_MouseMoveColor1)},
        {L"MouseMoveColor2", 0x68030019, kGet, L"OLE_COLOR", kHidden, {}, Slot(&Control::get_MouseMoveColor2)},
        {L"MouseMoveColor2", 0x68030019, kLet, nullptr, kHidden, {Value(L"OLE_COLOR")},
         Slot(&Control::put_MouseMoveColor2)},
        // The focus colours' write accessors come before their read accessors.
        {L"RegisterFocusColor0", 0x68030018, kLet, nullptr, kHidden, {Value(L"OLE_COLOR")},
         Slot(&Control::put_RegisterFocusColor0)},
        {L"RegisterFocusColor0", 0x68030018, kGet, L"OLE_COLOR", kHidden, {}, Slot(&Control::get_RegisterFocusColor0)},
        {L"RegisterFocusColor1", 0x68030017, kLet, nullptr, kHidden, {Value(L"OLE_COLOR")},
         Slot(&Control::put_RegisterFocusColor1)},
        {L"RegisterFocusColor1", 0x68030017, kGet, L"OLE_COLOR", kHidden, {}, Slot(&Control::get_RegisterFocusColor1)},
        {L"RegisterFocusColor2", 0x68030016, kLet, nullptr, kHidden, {Value(L"OLE_COLOR")},
         Slot(&Control::put_RegisterFocusColor2)},
        {L"RegisterFocusColor2", 0x68030016, kGet, L"OLE_COLOR", kHidden, {}, Slot(&Control::get_RegisterFocusColor2)},
        {L"FrameColor", 0x68030015, kGet, L"OLE_COLOR", 0, {}, Slot(&Control::get_FrameColor)},
        {L"FrameColor", 0x68030015, kLet, nullptr, 0, {Value(L"OLE_COLOR")}, Slot(&Control::put_FrameColor)},
        {L"RowWidth", 0x68030014, kGet, L"Long", 0, {kIndex}, Slot(&Control::get_RowWidth)},
        {L"RowWidth", 0x68030014, kLet, nullptr, 0, {kIndex, Value(L"Long")}, Slot(&Control::put_RowWidth)},
        {L"RowCaption", 0x68030013, kGet, L"String", 0, {kIndex}, Slot(&Control::get_RowCaption)},
        {L"RowCaption", 0x68030013, kLet, nullptr, 0, {kIndex, Value(L"String")}, Slot(&Control::put_RowCaption)},
        {L"RowSorted", 0x68030012, kGet, L"Boolean", 0, {kIndex}, Slot(&Control::get_RowSorted)},
        {L"RowSorted", 0x68030012, kLet, nullptr, 0, {kIndex, Value(L"Boolean")}, Slot(&Control::put_RowSorted)},
        {L"RowPicture", 0x68030011, kGet, L"StdPicture", 0, {kIndex}, Slot(&Control::get_RowPicture)},
        {L"RowPicture", 0x68030011, kSet, nullptr, 0, {kIndex, Value(L"StdPicture")},
         Slot(&Control::putref_RowPicture)},
        {L"Font", 0x68030010, kGet, L"StdFont", 0, {}, Slot(&Control::get_Font)},
        {L"Font", 0x68030010, kSet, nullptr, 0, {Value(L"StdFont")}, Slot(&Control::putref_Font)},
        {L"FontBold", 0x6803000F, kGet, L"Boolean", 0, {}, Slot(&Control::get_FontBold)},
        {L"FontBold", 0x6803000F, kLet, nullptr, 0, {Value(L"Boolean")}, Slot(&Control::put_FontBold)},
        {L"FontItalic", 0x6803000E, kGet, L"Boolean", 0, {}, Slot(&Control::get_FontItalic)},
        {L"FontItalic", 0x6803000E, kLet, nullptr, 0, {Value(L"Boolean")}, Slot(&Control::put_FontItalic)},
        {L"FontStrikethru", 0x6803000D, kGet, L"Boolean", 0, {}, Slot(&Control::get_FontStrikethru)},
        {L"FontStrikethru", 0x6803000D, kLet, nullptr, 0, {Value(L"Boolean")}, Slot(&Control::put_FontStrikethru)},
        {L"FontUnderline", 0x6803000C, kGet, L"Boolean", 0, {}, Slot(&Control::get_FontUnderline)},
        {L"FontUnderline", 0x6803000C, kLet, nullptr, 0, {Value(L"Boolean")}, Slot(&Control::put_FontUnderline)},
        {L"FontSize", 0x6803000B, kGet, L"Single", 0, {}, Slot(&Control::get_FontSize)},
        {L"FontSize", 0x6803000B, kLet, nullptr, 0, {Value(L"Single")}, Slot(&Control::put_FontSize)},
        {L"FontName", 0x6803000A, kGet, L"String", 0, {}, Slot(&Control::get_FontName)},
        {L"FontName", 0x6803000A, kLet, nullptr, 0, {Value(L"String")}, Slot(&Control::put_FontName)},
        {L"MaskColor", 0x68030009, kGet, L"OLE_COLOR", 0, {}, Slot(&Control::get_MaskColor)},
        {L"MaskColor", 0x68030009, kLet, nullptr, 0, {Value(L"OLE_COLOR")}, Slot(&Control::put_MaskColor)},
        {L"NumberOfRows", 0x68030008, kGet, L"Long", kNotBrowsable, {}, Slot(&Control::get_NumberOfRows)},
        {L"Alignment", 0x68030007, kGet, L"eTabAlignment", kHidden, {}, Slot(&Control::get_Alignment)},
        {L"Alignment", 0x68030007, kLet, nullptr, kHidden, {Value(L"eTabAlignment")}, Slot(&Control::put_Alignment)},
        {L"ForeColorHot", 0x68030005, kGet, L"OLE_COLOR", 0, {}, Slot(&Control::get_ForeColorHot)},
        {L"ForeColorHot", 0x68030005, kLet, nullptr, 0, {Value(L"OLE_COLOR")}, Slot(&Control::put_ForeColorHot)},
        {L"SortedRow", 0x68030004, kGet, L"Long", 0, {}, Slot(&Control::get_SortedRow)},
        {L"SortedRow", 0x68030004, kLet, nullptr, 0, {Value(L"Long")}, Slot(&Control::put_SortedRow)},
        {L"ShowFrame", 0x68030003, kGet, L"Boolean", 0, {}, Slot(&Control::get_ShowFrame)},
        {L"ShowFrame", 0x68030003, kLet, nullptr, 0, {Value(L"Boolean")}, Slot(&Control::put_ShowFrame)},
        {L"ShowSortPic", 0x68030002, kGet, L"Boolean", 0, {}, Slot(&Control::get_ShowSortPic)},
        {L"ShowSortPic", 0x68030002, kLet, nullptr, 0, {Value(L"Boolean")}, Slot(&Control::put_ShowSortPic)},
        {L"ColumnWidths", 0x68030001, kGet, L"String", 0, {}, Slot(&Control::get_ColumnWidths)},
        {L"ColumnWidths", 0x68030001, kLet, nullptr, 0, {Value(L"String")}, Slot(&Control::put_ColumnWidths)},
        {L"SelectedRow", 0x68030000, kGet, L"Long", 0, {}, Slot(&Control::get_SelectedRow)},
        {L"SelectedRow", 0x68030000, kLet, nullptr, 0, {Value(L"Long")}, Slot(&Control::put_SelectedRow)},
        {L"DrawTab", 0x6003002C, kCall, nullptr, kHidden, {}, Slot(&Control::DrawTab)},
        {L"DrawTabTop", 0x6003002D, kCall, nullptr, kHidden, {}, Slot(&Control::DrawTabTop)},
        {L"AddRow", 0x6003002E, kCall, L"Long", 0,
         {{L"iTabWidth", L"Long", true, kOptional, L"60"},
          {L"sTabText", L"String", true, kOptional, L"\"\""},
          {L"pTabPicture", L"StdPicture", true, kOptional, L"Nothing"}},
         Slot(&Control::AddRow)},
        {L"DeleteRow", 0x6003002F, kCall, L"Variant", 0, {}, Slot(&Control::DeleteRow)},
        {L"GetPictureSize", 0x60030030, kCall, nullptr, kHidden,
         {ByRef(L"pPicture", L"StdPicture"), ByRef(L"picX", L"Single"), ByRef(L"picY", L"Single")},
         Slot(&Control::GetPictureSize)},
        {L"SetTabAccessKeys", 0x60030031, kCall, nullptr, kHidden, {}, Slot(&Control::SetTabAccessKeys)},
        {L"GetTabAccessKey", 0x60030032, kCall, L"Long", kHidden, {ByRef(L"iKey", L"Integer")},
         Slot(&Control::GetTabAccessKey)},
        {L"ShowAboutBox", DISPID_ABOUTBOX, kCall, nullptr, 0, {}, Slot(&Control::ShowAboutBox)},
    };
    // clang-format on
    return accessors;
}

// The control's events, all arguments by reference. RowPressed is the
// default event: form designers open the event whose function flags say
// "user interface default" ([uidefault]) in the class's default source
// interface, and fall back to its first event, which RowPressed is too.
struct Event {
    const wchar_t* name;
    DISPID id;
    WORD flags;
    std::vector<Param> params;
};

const std::vector<Event>& ControlEvents() {
    // clang-format off
    static const std::vector<Event> events = {
        {L"RowPressed", 1, FUNCFLAG_FUIDEFAULT,
         {ByRef(L"PreviousTab", L"Integer"), ByRef(L"SortRow", L"Long"), ByRef(L"Sort", L"String")}},
        {L"MouseIn", 2, 0,
         {ByRef(L"Button", L"Integer"), ByRef(L"Shift", L"Integer"), ByRef(L"X", L"Single"), ByRef(L"Y", L"Single"),
          ByRef(L"SortRow", L"Long")}},
        {L"MouseOut", 3, 0,
         {ByRef(L"Button", L"Integer"), ByRef(L"Shift", L"Integer"), ByRef(L"X", L"Single"), ByRef(L"Y", L"Single"),
          ByRef(L"SortRow", L"Long")}},
        {L"MouseDown", 4, 0,
         {ByRef(L"Button", L"Integer"), ByRef(L"Shift", L"Integer"), ByRef(L"X", L"Single"), ByRef(L"Y", L"Single"),
          ByRef(L"SortRow", L"Long"), ByRef(L"Sort", L"String")}},
        {L"MouseUp", 5, 0,
         {ByRef(L"Button", L"Integer"), ByRef(L"Shift", L"Integer"), ByRef(L"X", L"Single"), ByRef(L"Y", L"Single"),
          ByRef(L"SortRow", L"Long")}},
    };
    // clang-format on
    return events;
}

struct Implemented {
    const wchar_t* name;
    INT flags;
};

// The library's entries in order. The enumeration's identifier is not one
// the C++ code knows.
struct Entry {
    TYPEKIND kind;
    const wchar_t* name;
    const GUID* guid;
    WORD flags;
    std::vector<Implemented> implemented;  // for classes
};

constexpr WORD kPageInterface = TYPEFLAG_FHIDDEN | TYPEFLAG_FDISPATCHABLE;
constexpr INT kDefault = IMPLTYPEFLAG_FDEFAULT;
constexpr INT kDefaultSource = IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE;

const std::vector<Entry>& LibraryEntries() {
    // clang-format off
    static const std::vector<Entry> entries = {
        {TKIND_DISPATCH, L"_Register", &DIID__Register, kPageInterface, {}},
        {TKIND_COCLASS, L"Register", &CLSID_Register, TYPEFLAG_FCANCREATE, {{L"_Register", kDefault}}},
        {TKIND_DISPATCH, L"_LumoraListControl", &IID__LumoraListControl,
         TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FDISPATCHABLE, {}},
        {TKIND_COCLASS, L"LumoraListControl", &CLSID_LumoraListControl, TYPEFLAG_FCANCREATE | TYPEFLAG_FCONTROL,
         {{L"_LumoraListControl", kDefault}, {L"__LumoraListControl", kDefaultSource}}},
        {TKIND_DISPATCH, L"_TabsC", &DIID__TabsC, kPageInterface, {}},
        {TKIND_COCLASS, L"TabsC", &CLSID_TabsC, TYPEFLAG_FCANCREATE, {{L"_TabsC", kDefault}}},
        {TKIND_DISPATCH, L"_Allgemein", &DIID__Allgemein, kPageInterface, {}},
        {TKIND_COCLASS, L"Allgemein", &CLSID_Allgemein, TYPEFLAG_FCANCREATE, {{L"_Allgemein", kDefault}}},
        {TKIND_DISPATCH, L"__LumoraListControl", &DIID___LumoraListControl, kPageInterface, {}},
        {TKIND_ENUM, L"eTabAlignment", nullptr, 0, {}},
    };
    // clang-format on
    return entries;
}

// Owners for what the type library hands out.
template <typename T>
class Owned {
public:
    Owned() = default;
    ~Owned() {
        if (object_) object_->Release();
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    Owned(Owned&& other) noexcept : object_(other.object_) { other.object_ = nullptr; }

    T** Receive() { return &object_; }
    T* get() const { return object_; }
    T* operator->() const { return object_; }

private:
    T* object_ = nullptr;
};

class Attr {
public:
    explicit Attr(ITypeInfo* info) : info_(info) { EXPECT_EQ(info->GetTypeAttr(&attr_), S_OK); }
    ~Attr() {
        if (attr_) info_->ReleaseTypeAttr(attr_);
    }
    Attr(const Attr&) = delete;
    Attr& operator=(const Attr&) = delete;
    const TYPEATTR* operator->() const { return attr_; }

private:
    ITypeInfo* info_;
    TYPEATTR* attr_ = nullptr;
};

class Func {
public:
    Func(ITypeInfo* info, UINT index) : info_(info) { EXPECT_EQ(info->GetFuncDesc(index, &desc_), S_OK); }
    ~Func() {
        if (desc_) info_->ReleaseFuncDesc(desc_);
    }
    Func(const Func&) = delete;
    Func& operator=(const Func&) = delete;
    const FUNCDESC* operator->() const { return desc_; }
    const FUNCDESC& operator*() const { return *desc_; }
    explicit operator bool() const { return desc_ != nullptr; }

private:
    ITypeInfo* info_;
    FUNCDESC* desc_ = nullptr;
};

std::wstring TakeBstr(BSTR text) {
    std::wstring copy = text ? text : L"";
    ::SysFreeString(text);
    return copy;
}

std::wstring NameOf(ITypeInfo* info, MEMBERID member = MEMBERID_NIL) {
    BSTR name = nullptr;
    info->GetDocumentation(member, &name, nullptr, nullptr, nullptr);
    return TakeBstr(name);
}

GUID LibraryOf(ITypeInfo* info) {
    Owned<ITypeLib> library;
    UINT index = 0;
    if (FAILED(info->GetContainingTypeLib(library.Receive(), &index))) return GUID_NULL;
    TLIBATTR* attr = nullptr;
    library->GetLibAttr(&attr);
    GUID guid = attr->guid;
    library->ReleaseTLibAttr(attr);
    return guid;
}

std::vector<std::wstring> NamesOf(ITypeInfo* info, MEMBERID member, UINT capacity) {
    std::vector<BSTR> names(capacity, nullptr);
    UINT count = 0;
    info->GetNames(member, names.data(), capacity, &count);
    std::vector<std::wstring> result;
    for (UINT index = 0; index < count; ++index) result.push_back(TakeBstr(names[index]));
    return result;
}

// How a caller would write a referenced type. The platform's types are known
// by their identifiers, wherever the library points for them; an alias that
// stands for an interface is followed.
std::wstring SpellReferenced(ITypeInfo* owner, HREFTYPE reference, bool& object) {
    Owned<ITypeInfo> referenced;
    if (FAILED(owner->GetRefTypeInfo(reference, referenced.Receive()))) return L"<broken reference>";
    Attr attr(referenced.get());
    if (attr->typekind == TKIND_ALIAS && attr->tdescAlias.vt == VT_USERDEFINED) {
        return SpellReferenced(referenced.get(), attr->tdescAlias.hreftype, object);
    }
    bool platform = LibraryOf(referenced.get()) == IID_StdOle;
    object = attr->typekind == TKIND_DISPATCH || attr->typekind == TKIND_INTERFACE;
    if (platform && attr->guid == IID_IPictureDisp) return L"StdPicture";
    if (platform && attr->guid == IID_IFontDisp) return L"StdFont";
    if (platform && attr->guid == kOleColorGuid && attr->typekind == TKIND_ALIAS && attr->tdescAlias.vt == VT_UI4) {
        return L"OLE_COLOR";
    }
    if (LibraryOf(referenced.get()) == LIBID_DorvaneLumoraStyleList && attr->typekind == TKIND_ENUM) {
        return NameOf(referenced.get());
    }
    return L"<unexpected " + NameOf(referenced.get()) + L">";
}

struct Spelling {
    std::wstring type;
    bool by_ref = false;
    bool object = false;
};

// An object is passed as an interface pointer; one more pointer passes the
// value by reference.
Spelling Spell(ITypeInfo* owner, const TYPEDESC& desc) {
    int pointers = 0;
    const TYPEDESC* inner = &desc;
    for (; inner->vt == VT_PTR; inner = inner->lptdesc) ++pointers;
    Spelling spelling;
    switch (inner->vt) {
        case VT_I4:
            spelling.type = L"Long";
            break;
        case VT_I2:
            spelling.type = L"Integer";
            break;
        case VT_R4:
            spelling.type = L"Single";
            break;
        case VT_BOOL:
            spelling.type = L"Boolean";
            break;
        case VT_BSTR:
            spelling.type = L"String";
            break;
        case VT_VARIANT:
            spelling.type = L"Variant";
            break;
        case VT_VOID:
            break;
        case VT_HRESULT:
            spelling.type = L"HRESULT";
            break;
        case VT_USERDEFINED:
            spelling.type = SpellReferenced(owner, inner->hreftype, spelling.object);
            break;
        default:
            spelling.type = L"vt" + std::to_wstring(inner->vt);
            break;
    }
    if (spelling.object) --pointers;
    if (pointers > 1) spelling.type += L"<too many pointers>";
    spelling.by_ref = pointers == 1;
    return spelling;
}

std::wstring SpellDefault(const ELEMDESC& param, const Spelling& type) {
    if (!(param.paramdesc.wParamFlags & PARAMFLAG_FHASDEFAULT)) return L"";
    if (!param.paramdesc.pparamdescex) return L"<missing>";
    const VARIANT& value = param.paramdesc.pparamdescex->varDefaultValue;
    if (type.object) {
        bool none = V_VT(&value) == VT_EMPTY || (V_VT(&value) == VT_I4 && V_I4(&value) == 0) ||
                    ((V_VT(&value) == VT_DISPATCH || V_VT(&value) == VT_UNKNOWN) && !V_UNKNOWN(&value));
        return none ? L"Nothing" : L"<object default>";
    }
    if (V_VT(&value) == VT_BSTR) return L"\"" + std::wstring(V_BSTR(&value)) + L"\"";
    VARIANT text;
    ::VariantInit(&text);
    if (FAILED(::VariantChangeType(&text, const_cast<VARIANT*>(&value), 0, VT_BSTR)))
        return L"<vt" + std::to_wstring(V_VT(&value)) + L">";
    std::wstring spelled = V_BSTR(&text);
    ::VariantClear(&text);
    return spelled;
}

const wchar_t* KindName(INVOKEKIND kind) {
    switch (kind) {
        case INVOKE_PROPERTYGET:
            return L"get";
        case INVOKE_PROPERTYPUT:
            return L"let";
        case INVOKE_PROPERTYPUTREF:
            return L"set";
        default:
            return L"method";
    }
}

std::wstring Hex(long value) {
    wchar_t text[16];
    std::swprintf(text, 16, L"%08lX", static_cast<unsigned long>(value));
    return text;
}

// One line per member, so that a mismatch shows the whole row.
std::wstring Describe(const wchar_t* name, DISPID id, INVOKEKIND kind, const wchar_t* result, WORD flags,
                      const std::vector<Param>& params) {
    std::wstring text = std::wstring(name) + L" " + Hex(id) + L" " + KindName(kind);
    if (result && *result) text += std::wstring(L" -> ") + result;
    text += L" flags " + Hex(flags) + L" (";
    for (const Param& param : params) {
        text += param.name ? param.name : L"-";
        text += std::wstring(L": ") + (param.by_ref ? L"ByRef " : L"") + param.type + L" flags " + Hex(param.flags);
        if (param.default_value) text += std::wstring(L" = ") + param.default_value;
        text += L"; ";
    }
    return text + L")";
}

// A member as the library presents it, parameters as a caller passes them
// (a dispatch interface's view: no HRESULT, no [retval]).
std::wstring DescribePresented(ITypeInfo* info, const FUNCDESC& desc) {
    std::vector<std::wstring> names = NamesOf(info, desc.memid, desc.cParams + 1);
    std::vector<std::wstring> strings;
    strings.reserve(3 * desc.cParams + 2);
    std::vector<Param> params;
    for (SHORT index = 0; index < desc.cParams; ++index) {
        const ELEMDESC& elem = desc.lprgelemdescParam[index];
        Spelling type = Spell(info, elem.tdesc);
        const std::wstring& name = strings.emplace_back(
            static_cast<std::size_t>(index + 1) < names.size() ? names[index + 1] : std::wstring());
        const std::wstring& type_name = strings.emplace_back(type.type);
        const std::wstring& value = strings.emplace_back(SpellDefault(elem, type));
        params.push_back({name.empty() ? nullptr : name.c_str(), type_name.c_str(), type.by_ref,
                          elem.paramdesc.wParamFlags, value.empty() ? nullptr : value.c_str()});
    }
    std::wstring name = names.empty() ? L"" : names[0];
    std::wstring result = Spell(info, desc.elemdescFunc.tdesc).type;
    return Describe(name.c_str(), desc.memid, desc.invkind, result.c_str(), desc.wFuncFlags, params);
}

// Registers nothing: the server test environment registers the control
// library for the whole program.
class TypeLibraryTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::LoadRegTypeLib(LIBID_DorvaneLumoraStyleList, 1, 0, 0x409, library_.Receive()), S_OK);
    }

    Owned<ITypeInfo> InfoOf(REFGUID guid) {
        Owned<ITypeInfo> info;
        EXPECT_EQ(library_->GetTypeInfoOfGuid(guid, info.Receive()), S_OK);
        return info;
    }

    // The control interface's dispatch half, as GetTypeInfoOfGuid gives it.
    Owned<ITypeInfo> DispatchHalf() { return InfoOf(IID__LumoraListControl); }

    Owned<ITypeInfo> VtableHalf() {
        Owned<ITypeInfo> dispatch = DispatchHalf();
        HREFTYPE reference = 0;
        EXPECT_EQ(dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &reference), S_OK);
        Owned<ITypeInfo> vtable;
        EXPECT_EQ(dispatch->GetRefTypeInfo(reference, vtable.Receive()), S_OK);
        return vtable;
    }

    Owned<ITypeLib> library_;
};

TEST_F(TypeLibraryTest, IsTheControlLibraryVersionOneForUsEnglish) {
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(library_->GetLibAttr(&attr), S_OK);
    EXPECT_EQ(attr->guid, LIBID_DorvaneLumoraStyleList);
    EXPECT_EQ(attr->wMajorVerNum, 1);
    EXPECT_EQ(attr->wMinorVerNum, 0);
    EXPECT_EQ(attr->lcid, 0x409u);
    EXPECT_EQ(attr->syskind, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
    library_->ReleaseTLibAttr(attr);
    BSTR name = nullptr;
    ASSERT_EQ(library_->GetDocumentation(-1, &name, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(TakeBstr(name), L"DorvaneLumoraStyleList");
}

TEST_F(TypeLibraryTest, ListsItsTenEntriesInOrder) {
    const std::vector<Entry>& entries = LibraryEntries();
    ASSERT_EQ(library_->GetTypeInfoCount(), entries.size());
    for (UINT index = 0; index < entries.size(); ++index) {
        const Entry& entry = entries[index];
        SCOPED_TRACE(testing::Message() << "entry " << index + 1);
        Owned<ITypeInfo> info;
        ASSERT_EQ(library_->GetTypeInfo(index, info.Receive()), S_OK);
        Attr attr(info.get());
        EXPECT_EQ(NameOf(info.get()), entry.name);
        EXPECT_EQ(attr->typekind, entry.kind);
        EXPECT_EQ(attr->wTypeFlags, entry.flags);
        if (entry.guid) {
            EXPECT_EQ(attr->guid, *entry.guid);
        }
    }
}

TEST_F(TypeLibraryTest, ClassesImplementTheirDefaultInterfaces) {
    for (const Entry& entry : LibraryEntries()) {
        if (entry.kind != TKIND_COCLASS) continue;
        SCOPED_TRACE(testing::Message() << entry.name);
        Owned<ITypeInfo> info = InfoOf(*entry.guid);
        ASSERT_EQ(Attr(info.get())->cImplTypes, entry.implemented.size());
        for (UINT index = 0; index < entry.implemented.size(); ++index) {
            HREFTYPE reference = 0;
            Owned<ITypeInfo> implemented;
            INT flags = 0;
            ASSERT_EQ(info->GetRefTypeOfImplType(index, &reference), S_OK);
            ASSERT_EQ(info->GetRefTypeInfo(reference, implemented.Receive()), S_OK);
            ASSERT_EQ(info->GetImplTypeFlags(index, &flags), S_OK);
            EXPECT_EQ(NameOf(implemented.get()), entry.implemented[index].name);
            EXPECT_EQ(flags, entry.implemented[index].flags);
        }
    }
}

TEST_F(TypeLibraryTest, PropertyPageInterfacesHaveNoMembers) {
    for (const GUID* page : {&DIID__Register, &DIID__TabsC, &DIID__Allgemein}) {
        Owned<ITypeInfo> info = InfoOf(*page);
        Attr attr(info.get());
        EXPECT_EQ(attr->cFuncs, 0) << NameOf(info.get());
        EXPECT_EQ(attr->cVars, 0) << NameOf(info.get());
    }
}

TEST_F(TypeLibraryTest, ControlInterfaceIsDualWithBothHalves) {
    Owned<ITypeInfo> dispatch = DispatchHalf();
    Owned<ITypeInfo> vtable = VtableHalf();
    const UINT members = static_cast<UINT>(ControlAccessors().size());
    Attr dispatch_attr(dispatch.get()), vtable_attr(vtable.get());
    EXPECT_EQ(dispatch_attr->typekind, TKIND_DISPATCH);
    EXPECT_EQ(dispatch_attr->cFuncs, kDispatchSlots + members);
    EXPECT_EQ(vtable_attr->typekind, TKIND_INTERFACE);
    EXPECT_EQ(vtable_attr->guid, IID__LumoraListControl);
    EXPECT_EQ(vtable_attr->wTypeFlags, TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE |
                                           TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE);
    EXPECT_EQ(vtable_attr->cFuncs, members);
    EXPECT_EQ(vtable_attr->cbSizeVft, (kDispatchSlots + members) * sizeof(void*));

    HREFTYPE base = 0;
    Owned<ITypeInfo> base_info;
    ASSERT_EQ(vtable->GetRefTypeOfImplType(0, &base), S_OK);
    ASSERT_EQ(vtable->GetRefTypeInfo(base, base_info.Receive()), S_OK);
    EXPECT_EQ(Attr(base_info.get())->guid, IID_IDispatch);
    EXPECT_EQ(LibraryOf(base_info.get()), IID_StdOle);
}

TEST_F(TypeLibraryTest, ControlMembersMatchTheirTable) {
    Owned<ITypeInfo> dispatch = DispatchHalf();
    const std::vector<Accessor>& accessors = ControlAccessors();
    for (UINT index = 0; index < accessors.size(); ++index) {
        const Accessor& want = accessors[index];
        Func have(dispatch.get(), kDispatchSlots + index);
        ASSERT_TRUE(have) << "member " << index + 1;
        EXPECT_EQ(DescribePresented(dispatch.get(), *have),
                  Describe(want.name, want.id, want.kind, want.result, want.flags, want.params))
            << "member " << index + 1;
    }
}

// The vtable half is what the C++ code implements and what ITypeInfo::Invoke
// calls through: each member sits in the slot the generated header gives it,
// returns an HRESULT, and hands a result back through a last [out, retval]
// parameter.
TEST_F(TypeLibraryTest, VtableHalfPutsEveryMemberInItsCppSlot) {
    Owned<ITypeInfo> vtable = VtableHalf();
    const std::vector<Accessor>& accessors = ControlAccessors();
    for (UINT index = 0; index < accessors.size(); ++index) {
        const Accessor& want = accessors[index];
        SCOPED_TRACE(testing::Message() << "member " << index + 1);
        Func have(vtable.get(), index);
        ASSERT_TRUE(have);
        EXPECT_EQ(have->memid, want.id);
        EXPECT_EQ(have->invkind, want.kind);
        EXPECT_EQ(have->funckind, FUNC_PUREVIRTUAL);
        EXPECT_EQ(have->callconv, CC_STDCALL);
        EXPECT_EQ(have->elemdescFunc.tdesc.vt, VT_HRESULT);
        EXPECT_EQ(have->oVft, static_cast<SHORT>((kDispatchSlots + index) * sizeof(void*)));
        EXPECT_EQ(have->oVft, want.cpp_slot);
        const SHORT visible = static_cast<SHORT>(want.params.size());
        ASSERT_EQ(have->cParams, visible + (want.result ? 1 : 0));
        if (!want.result) continue;
        const ELEMDESC& retval = have->lprgelemdescParam[visible];
        EXPECT_EQ(retval.paramdesc.wParamFlags, kRetval);
        Spelling type = Spell(vtable.get(), retval.tdesc);
        EXPECT_EQ(type.type, want.result);
        EXPECT_TRUE(type.by_ref);
    }
}

TEST_F(TypeLibraryTest, EventsMatchTheirTable) {
    Owned<ITypeInfo> events = InfoOf(DIID___LumoraListControl);
    const std::vector<Event>& table = ControlEvents();
    ASSERT_EQ(Attr(events.get())->cFuncs, table.size());
    for (UINT index = 0; index < table.size(); ++index) {
        const Event& want = table[index];
        Func have(events.get(), index);
        ASSERT_TRUE(have);
        EXPECT_EQ(have->funckind, FUNC_DISPATCH);
        EXPECT_EQ(DescribePresented(events.get(), *have),
                  Describe(want.name, want.id, kCall, nullptr, want.flags, want.params));
    }
}

TEST_F(TypeLibraryTest, RowPressedIsTheDefaultEventOfTheDefaultSource) {
    Owned<ITypeInfo> control = InfoOf(CLSID_LumoraListControl);
    Owned<ITypeInfo> source;
    for (UINT index = 0; index < Attr(control.get())->cImplTypes; ++index) {
        INT flags = 0;
        HREFTYPE reference = 0;
        control->GetImplTypeFlags(index, &flags);
        if (flags != kDefaultSource) continue;
        ASSERT_EQ(control->GetRefTypeOfImplType(index, &reference), S_OK);
        ASSERT_EQ(control->GetRefTypeInfo(reference, source.Receive()), S_OK);
    }
    ASSERT_NE(source.get(), nullptr);
    std::vector<std::wstring> defaults;
    for (UINT index = 0; index < Attr(source.get())->cFuncs; ++index) {
        Func event(source.get(), index);
        if (event->wFuncFlags & FUNCFLAG_FUIDEFAULT) defaults.push_back(NameOf(source.get(), event->memid));
    }
    EXPECT_EQ(defaults, std::vector<std::wstring>{L"RowPressed"});
    EXPECT_EQ(NameOf(source.get(), Func(source.get(), 0)->memid), L"RowPressed");
}

TEST_F(TypeLibraryTest, AlignmentEnumerationHasTopAndBottom) {
    Owned<ITypeInfo> alignment;
    ASSERT_EQ(library_->GetTypeInfo(9, alignment.Receive()), S_OK);
    ASSERT_EQ(Attr(alignment.get())->cVars, 2);
    EXPECT_EQ(Attr(alignment.get())->cbSizeInstance, 4u);
    const std::pair<const wchar_t*, LONG> values[] = {{L"reg_Top", 0}, {L"reg_Bottom", 1}};
    for (UINT index = 0; index < 2; ++index) {
        VARDESC* desc = nullptr;
        ASSERT_EQ(alignment->GetVarDesc(index, &desc), S_OK);
        EXPECT_EQ(desc->varkind, VAR_CONST);
        EXPECT_EQ(NameOf(alignment.get(), desc->memid), values[index].first);
        VARIANT value;
        ::VariantInit(&value);
        EXPECT_EQ(::VariantChangeType(&value, desc->lpvarValue, 0, VT_I4), S_OK);
        EXPECT_EQ(V_I4(&value), values[index].second);
        alignment->ReleaseVarDesc(desc);
    }
}

}  // namespace
