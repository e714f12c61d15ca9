// SPDX-License-Identifier: MIT
//
// lumora_typelib_order <widl.tlb> <DorvaneLumoraStyleList.tlb>
//
// Rewrites the type library widl compiled into the one the control ships.
// widl writes an enumeration or an event interface where it is first used,
// so its library lists the ten entries in the wrong order, and it cannot
// give a by-reference string a default. Form designers list the entries in
// library order and fill in left-out arguments from the defaults, so this
// tool copies every entry through the system's own type library writer
// (ICreateTypeLib2) in the order the control has always had, adds the
// defaults widl left out, puts right the few record fields that writer
// cannot express (RepairRecord), and reads the result back to check it
// against the compiled library. It runs under Wine while building, as a
// 64-bit program for the 32-bit library too.

#include <windows.h>

#include <oleauto.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/ScopedComPtr.h"

namespace {

using lumora::win32::ScopedComPtr;

// The library's entries in the order containers list them. Nothing else goes
// into the library.
constexpr const wchar_t* kEntryOrder[] = {
    L"_Register", L"Register",   L"_LumoraListControl", L"LumoraListControl",   L"_TabsC",
    L"TabsC",     L"_Allgemein", L"Allgemein",          L"__LumoraListControl", L"eTabAlignment",
};

// The library that holds the platform's own types (IDispatch, IPictureDisp,
// IFontDisp, OLE_COLOR).
constexpr const wchar_t* kStdoleLibrary = L"stdole2.tlb";

// IUnknown's three and IDispatch's four methods open every dual vtable.
constexpr unsigned kDispatchSlots = 7;

// An enumeration is a 32-bit integer on either word size.
constexpr std::int32_t kEnumSize = 4;

// A default value the interface's source cannot state.
enum class DefaultKind { kEmptyString, kNoObject };
struct MissingDefault {
    const wchar_t* function;
    const wchar_t* parameter;
    DefaultKind value;
};

// AddRow's caption defaults to no text and its picture to none, written as
// the number 0 the way defaultvalue(0) states it: the writer cannot store an
// object value.
constexpr MissingDefault kMissingDefaults[] = {
    {L"AddRow", L"sTabText", DefaultKind::kEmptyString},
    {L"AddRow", L"pTabPicture", DefaultKind::kNoObject},
};

// Every failure ends the tool with this message on stderr.
struct ToolError {
    std::wstring message;
};

[[noreturn]] void Fail(std::wstring message) { throw ToolError{std::move(message)}; }

void Check(HRESULT hr, const std::wstring& what) {
    if (SUCCEEDED(hr)) return;
    wchar_t code[16];
    std::swprintf(code, 16, L"0x%08lX", static_cast<unsigned long>(hr));
    Fail(what + L" failed with " + code);
}

// Owns a BSTR handed out by a type library call.
class ScopedBstr {
public:
    ScopedBstr() = default;
    ~ScopedBstr() { ::SysFreeString(text_); }
    ScopedBstr(const ScopedBstr&) = delete;
    ScopedBstr& operator=(const ScopedBstr&) = delete;

    BSTR* Receive() {
        ::SysFreeString(text_);
        text_ = nullptr;
        return &text_;
    }
    // The text, or nullptr where the library holds none.
    wchar_t* get() const { return text_; }
    std::wstring str() const { return text_ ? text_ : L""; }

private:
    BSTR text_ = nullptr;
};

// Owns the names a GetNames call hands out: a member's name, then its
// parameters' names.
class ScopedNames {
public:
    ScopedNames(ITypeInfo* info, MEMBERID member, UINT capacity) : names_(capacity, nullptr) {
        UINT count = 0;
        Check(info->GetNames(member, names_.data(), capacity, &count), L"GetNames");
        names_.resize(count);
    }
    ~ScopedNames() {
        for (BSTR name : names_) ::SysFreeString(name);
    }
    ScopedNames(const ScopedNames&) = delete;
    ScopedNames& operator=(const ScopedNames&) = delete;

    UINT size() const { return static_cast<UINT>(names_.size()); }
    BSTR* data() { return names_.data(); }
    std::wstring at(UINT index) const { return index < names_.size() && names_[index] ? names_[index] : L""; }

private:
    std::vector<BSTR> names_;
};

// Owns a description a type info hands out and must take back.
void ReleaseDescription(ITypeInfo* info, TYPEATTR* attr) { info->ReleaseTypeAttr(attr); }
void ReleaseDescription(ITypeInfo* info, FUNCDESC* desc) { info->ReleaseFuncDesc(desc); }
void ReleaseDescription(ITypeInfo* info, VARDESC* desc) { info->ReleaseVarDesc(desc); }

template <typename Description>
class ScopedDescription {
public:
    explicit ScopedDescription(ITypeInfo* owner) : owner_(owner) {}
    ~ScopedDescription() {
        if (description_) ReleaseDescription(owner_, description_);
    }
    ScopedDescription(const ScopedDescription&) = delete;
    ScopedDescription& operator=(const ScopedDescription&) = delete;
    ScopedDescription(ScopedDescription&& other) noexcept
        : owner_(other.owner_), description_(std::exchange(other.description_, nullptr)) {}

    Description** Receive() { return &description_; }
    Description* operator->() const { return description_; }
    Description& operator*() const { return *description_; }

private:
    ITypeInfo* owner_;
    Description* description_ = nullptr;
};

using TypeAttr = ScopedDescription<TYPEATTR>;
using FuncDesc = ScopedDescription<FUNCDESC>;
using VarDesc = ScopedDescription<VARDESC>;

TypeAttr ReadTypeAttr(ITypeInfo* info) {
    TypeAttr attr(info);
    Check(info->GetTypeAttr(attr.Receive()), L"GetTypeAttr");
    return attr;
}

// Keeps COM initialised for the tool's lifetime.
class ComApartment {
public:
    ComApartment() { Check(::CoInitialize(nullptr), L"CoInitialize"); }
    ~ComApartment() { ::CoUninitialize(); }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
};

std::wstring FullPath(const wchar_t* path) {
    wchar_t full[MAX_PATH];
    DWORD length = ::GetFullPathNameW(path, MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH) Fail(std::wstring(L"cannot resolve the path ") + path);
    return full;
}

std::wstring NameOf(ITypeInfo* info) {
    ScopedBstr name;
    Check(info->GetDocumentation(MEMBERID_NIL, name.Receive(), nullptr, nullptr, nullptr), L"GetDocumentation");
    return name.str();
}

TLIBATTR LibraryAttributes(ITypeLib* library) {
    TLIBATTR* attr = nullptr;
    Check(library->GetLibAttr(&attr), L"GetLibAttr");
    TLIBATTR copy = *attr;
    library->ReleaseTLibAttr(attr);
    return copy;
}

ScopedComPtr<ITypeLib> LoadLibraryFile(const std::wstring& path) {
    ScopedComPtr<ITypeLib> library;
    Check(::LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.Receive()), L"loading " + path);
    return library;
}

// The type info of the entry with this name in a library, or none.
ScopedComPtr<ITypeInfo> FindEntry(ITypeLib* library, const std::wstring& name) {
    for (UINT index = 0; index < library->GetTypeInfoCount(); ++index) {
        ScopedComPtr<ITypeInfo> info;
        Check(library->GetTypeInfo(index, info.Receive()), L"GetTypeInfo");
        if (NameOf(info.get()) == name) return info;
    }
    return {};
}

// A dual interface stands in the library as its dispatch half; its
// definition, with the vtable the C++ code implements, is the other half.
ScopedComPtr<ITypeInfo> DefinitionOf(ScopedComPtr<ITypeInfo> entry) {
    if (!entry) return entry;
    TypeAttr attr = ReadTypeAttr(entry.get());
    if (attr->typekind != TKIND_DISPATCH || !(attr->wTypeFlags & TYPEFLAG_FDUAL)) return entry;
    HREFTYPE vtable_half = 0;
    Check(entry->GetRefTypeOfImplType(-1, &vtable_half), L"finding the vtable half of " + NameOf(entry.get()));
    ScopedComPtr<ITypeInfo> definition;
    Check(entry->GetRefTypeInfo(vtable_half, definition.Receive()), L"GetRefTypeInfo");
    return definition;
}

ScopedComPtr<ITypeInfo> EntryDefinition(ITypeLib* library, const wchar_t* name) {
    ScopedComPtr<ITypeInfo> definition = DefinitionOf(FindEntry(library, name));
    if (!definition) Fail(std::wstring(L"the library has no entry ") + name);
    return definition;
}

// The size of a pointer, and so of a vtable slot, in a library.
unsigned PointerSize(SYSKIND syskind) { return syskind == SYS_WIN64 ? 8 : 4; }

// The libraries the copy reads and writes, and the new library's entries.
struct Libraries {
    ScopedComPtr<ITypeLib> source;
    GUID source_guid{};
    unsigned pointer_size = 0;
    ScopedComPtr<ITypeLib> stdole;
    ScopedComPtr<ICreateTypeLib2> target;
    std::map<std::wstring, ScopedComPtr<ICreateTypeInfo>> entries;
};

// One entry being copied: where it comes from and where it goes.
struct EntryCopy {
    Libraries& libraries;
    std::wstring name;
    ScopedComPtr<ITypeInfo> source;
    ICreateTypeInfo* target;
};

// The loader marks every library it reads as having a disk image; that is
// not a flag of the library itself.
void CopyLibraryAttributes(ITypeLib* source, ICreateTypeLib2* target) {
    TLIBATTR attr = LibraryAttributes(source);
    Check(target->SetGuid(attr.guid), L"SetGuid");
    Check(target->SetLcid(attr.lcid), L"SetLcid");
    Check(target->SetVersion(attr.wMajorVerNum, attr.wMinorVerNum), L"SetVersion");
    Check(target->SetLibFlags(attr.wLibFlags & ~LIBFLAG_FHASDISKIMAGE), L"SetLibFlags");

    ScopedBstr name, doc, help_file;
    DWORD help_context = 0;
    Check(source->GetDocumentation(-1, name.Receive(), doc.Receive(), &help_context, help_file.Receive()),
          L"GetDocumentation");
    Check(target->SetName(name.get()), L"SetName");
    if (doc.get()) Check(target->SetDocString(doc.get()), L"SetDocString");
    if (help_file.get()) Check(target->SetHelpFileName(help_file.get()), L"SetHelpFileName");
    Check(target->SetHelpContext(help_context), L"SetHelpContext");
}

// What the compiler wrote about itself stays with the library.
void CopyLibraryCustomData(ITypeLib* source, ICreateTypeLib2* target) {
    ScopedComPtr<ITypeLib2> source2;
    Check(source->QueryInterface(IID_ITypeLib2, reinterpret_cast<void**>(source2.Receive())), L"ITypeLib2");
    CUSTDATA data{};
    Check(source2->GetAllCustData(&data), L"GetAllCustData");
    HRESULT hr = S_OK;
    for (DWORD index = 0; index < data.cCustData && SUCCEEDED(hr); ++index) {
        hr = target->SetCustData(data.prgCustData[index].guid, &data.prgCustData[index].varValue);
    }
    ::ClearCustData(&data);
    Check(hr, L"SetCustData");
}

// Creates the ten entries, empty, in their order, so that every reference
// between them can be made while they are filled.
void CreateEntries(Libraries& libraries) {
    for (const wchar_t* name : kEntryOrder) {
        ScopedComPtr<ITypeInfo> definition = EntryDefinition(libraries.source.get(), name);
        TypeAttr attr = ReadTypeAttr(definition.get());
        ScopedComPtr<ICreateTypeInfo> created;
        Check(libraries.target->CreateTypeInfo(const_cast<wchar_t*>(name), attr->typekind, created.Receive()),
              std::wstring(L"CreateTypeInfo ") + name);
        libraries.entries.emplace(name, std::move(created));
    }
}

// The new library's type info for one of its entries, or none.
ScopedComPtr<ITypeInfo> CreatedEntry(Libraries& libraries, const std::wstring& name) {
    auto found = libraries.entries.find(name);
    if (found == libraries.entries.end()) return {};
    ScopedComPtr<ITypeInfo> info;
    Check(found->second->QueryInterface(IID_ITypeInfo, reinterpret_cast<void**>(info.Receive())),
          L"QueryInterface(ITypeInfo)");
    return info;
}

// The writer refers to another library's type by its GUID alone. stdole2's
// IPictureDisp and IFontDisp are aliases without one, so a reference to them
// goes to the interface they stand for (Picture, Font), which has one.
ScopedComPtr<ITypeInfo> ForeignType(ITypeInfo* referenced) {
    TypeAttr attr = ReadTypeAttr(referenced);
    if (attr->guid != GUID_NULL) {
        referenced->AddRef();
        return ScopedComPtr<ITypeInfo>(referenced);
    }
    if (attr->typekind != TKIND_ALIAS || attr->tdescAlias.vt != VT_USERDEFINED) {
        Fail(L"cannot refer to " + NameOf(referenced) + L" of another library: it has no GUID");
    }
    ScopedComPtr<ITypeInfo> aliased;
    Check(referenced->GetRefTypeInfo(attr->tdescAlias.hreftype, aliased.Receive()), L"GetRefTypeInfo");
    return ForeignType(aliased.get());
}

// Where a reference of the compiled library points in the new one: the
// library's own entries to their copies, the platform's types to stdole2.
// Anything else widl put into the library of its own (a colour alias, say)
// must be one of stdole2's types, and the reference goes there instead.
ScopedComPtr<ITypeInfo> RetargetedType(Libraries& libraries, ITypeInfo* referenced) {
    ScopedComPtr<ITypeLib> container;
    UINT index = 0;
    Check(referenced->GetContainingTypeLib(container.Receive(), &index), L"GetContainingTypeLib");
    if (LibraryAttributes(container.get()).guid != libraries.source_guid) return ForeignType(referenced);
    std::wstring name = NameOf(referenced);
    if (ScopedComPtr<ITypeInfo> entry = CreatedEntry(libraries, name)) return entry;
    if (ScopedComPtr<ITypeInfo> platform_type = FindEntry(libraries.stdole.get(), name)) {
        return ForeignType(platform_type.get());
    }
    Fail(L"the compiled library refers to " + name + L", which is neither an entry of the library nor in stdole2");
}

HREFTYPE RetargetedReference(EntryCopy& entry, HREFTYPE source_reference) {
    ScopedComPtr<ITypeInfo> referenced;
    Check(entry.source->GetRefTypeInfo(source_reference, referenced.Receive()), L"GetRefTypeInfo in " + entry.name);
    ScopedComPtr<ITypeInfo> target_type = RetargetedType(entry.libraries, referenced.get());
    HREFTYPE reference = 0;
    Check(entry.target->AddRefTypeInfo(target_type.get(), &reference), L"AddRefTypeInfo in " + entry.name);
    return reference;
}

// Type descriptions with their references pointing into the new library;
// owns the pointed-to descriptions of pointer chains until the writer has
// copied them.
class RetargetedTypes {
public:
    explicit RetargetedTypes(EntryCopy& entry) : entry_(entry) {}

    TYPEDESC Retarget(const TYPEDESC& source) {
        TYPEDESC copy = source;
        switch (source.vt) {
            case VT_PTR:
            case VT_SAFEARRAY:
                pointees_.push_back(Retarget(*source.lptdesc));
                copy.lptdesc = &pointees_.back();
                break;
            case VT_USERDEFINED:
                copy.hreftype = RetargetedReference(entry_, source.hreftype);
                break;
            case VT_CARRAY:
                Fail(L"fixed-size arrays are not copied (in " + entry_.name + L")");
            default:
                break;
        }
        return copy;
    }

private:
    EntryCopy& entry_;
    std::deque<TYPEDESC> pointees_;
};

// Read from a library of the other word size, the loader widens the
// alignment of interfaces and classes to its own pointer; no entry is
// aligned more than a pointer of the library's own word size.
WORD AlignmentIn(const Libraries& libraries, WORD alignment) {
    return alignment < libraries.pointer_size ? alignment : static_cast<WORD>(libraries.pointer_size);
}

void CopyTypeAttributes(EntryCopy& entry, const TYPEATTR& attr) {
    Check(entry.target->SetGuid(attr.guid), L"SetGuid of " + entry.name);
    Check(entry.target->SetVersion(attr.wMajorVerNum, attr.wMinorVerNum), L"SetVersion of " + entry.name);
    Check(entry.target->SetAlignment(AlignmentIn(entry.libraries, attr.cbAlignment)), L"SetAlignment");
    IDLDESC idl = attr.idldescType;
    Check(entry.target->SetTypeIdldesc(&idl), L"SetTypeIdldesc of " + entry.name);

    ScopedBstr doc;
    DWORD help_context = 0;
    Check(entry.source->GetDocumentation(MEMBERID_NIL, nullptr, doc.Receive(), &help_context, nullptr),
          L"GetDocumentation of " + entry.name);
    if (doc.get()) Check(entry.target->SetDocString(doc.get()), L"SetDocString of " + entry.name);
    Check(entry.target->SetHelpContext(help_context), L"SetHelpContext of " + entry.name);
}

// Type flags go last: adding an implemented type changes them on its own.
void CopyTypeFlags(EntryCopy& entry, const TYPEATTR& attr) {
    Check(entry.target->SetTypeFlags(attr.wTypeFlags), L"SetTypeFlags of " + entry.name);
}

void CopyImplementedTypes(EntryCopy& entry, const TYPEATTR& attr) {
    for (UINT index = 0; index < attr.cImplTypes; ++index) {
        HREFTYPE source_reference = 0;
        Check(entry.source->GetRefTypeOfImplType(index, &source_reference), L"GetRefTypeOfImplType");
        Check(entry.target->AddImplType(index, RetargetedReference(entry, source_reference)),
              L"AddImplType of " + entry.name);
        if (attr.typekind != TKIND_COCLASS) continue;
        INT flags = 0;
        Check(entry.source->GetImplTypeFlags(index, &flags), L"GetImplTypeFlags");
        Check(entry.target->SetImplTypeFlags(index, flags), L"SetImplTypeFlags of " + entry.name);
    }
}

// The default values widl cannot write, kept alive until the writer has
// copied them.
class AddedDefaults {
public:
    AddedDefaults() = default;
    ~AddedDefaults() {
        for (PARAMDESCEX& value : values_) ::VariantClear(&value.varDefaultValue);
    }
    AddedDefaults(const AddedDefaults&) = delete;
    AddedDefaults& operator=(const AddedDefaults&) = delete;

    PARAMDESCEX* Make(DefaultKind kind) {
        PARAMDESCEX& value = values_.emplace_back();
        value.cBytes = sizeof(PARAMDESCEX);
        ::VariantInit(&value.varDefaultValue);
        if (kind == DefaultKind::kEmptyString) {
            V_VT(&value.varDefaultValue) = VT_BSTR;
            V_BSTR(&value.varDefaultValue) = ::SysAllocString(L"");
        } else {
            V_VT(&value.varDefaultValue) = VT_I4;
            V_I4(&value.varDefaultValue) = 0;
        }
        return &value;
    }

private:
    std::deque<PARAMDESCEX> values_;
};

void AddMissingDefaults(const ScopedNames& names, std::vector<ELEMDESC>& params, AddedDefaults& defaults) {
    for (const MissingDefault& missing : kMissingDefaults) {
        if (names.at(0) != missing.function) continue;
        bool found = false;
        for (UINT index = 0; index < params.size(); ++index) {
            if (names.at(index + 1) != missing.parameter) continue;
            PARAMDESC& param = params[index].paramdesc;
            param.wParamFlags |= PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT;
            param.pparamdescex = defaults.Make(missing.value);
            found = true;
        }
        if (!found) Fail(std::wstring(L"no parameter ") + missing.parameter + L" in " + missing.function);
    }
}

// A vtable method keeps the slot the compiled library (and so the generated
// C++ header) gives it, in the new library's word size: the loader reports a
// library of the other word size in its own. Dispatch members have no slot.
SHORT SlotIn(const Libraries& libraries, const FUNCDESC& desc) {
    if (desc.funckind == FUNC_DISPATCH) return 0;
    return static_cast<SHORT>(desc.oVft / sizeof(void*) * libraries.pointer_size);
}

// A property's write accessor names its parameters but not the value it
// takes: the writer refuses a name for that one.
UINT NamesToWrite(const FUNCDESC& desc, UINT available) {
    bool writes = desc.invkind & (INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF);
    UINT limit = writes ? static_cast<UINT>(desc.cParams) : static_cast<UINT>(desc.cParams) + 1;
    return available < limit ? available : limit;
}

void CopyFunctionDocumentation(EntryCopy& entry, UINT index, MEMBERID member) {
    ScopedBstr doc;
    DWORD help_context = 0;
    Check(entry.source->GetDocumentation(member, nullptr, doc.Receive(), &help_context, nullptr),
          L"GetDocumentation of a member of " + entry.name);
    if (doc.get()) Check(entry.target->SetFuncDocString(index, doc.get()), L"SetFuncDocString");
    Check(entry.target->SetFuncHelpContext(index, help_context), L"SetFuncHelpContext");
}

void CopyFunction(EntryCopy& entry, UINT index) {
    FuncDesc source(entry.source.get());
    Check(entry.source->GetFuncDesc(index, source.Receive()), L"GetFuncDesc of " + entry.name);
    RetargetedTypes types(entry);
    FUNCDESC copy = *source;
    copy.oVft = SlotIn(entry.libraries, *source);
    copy.elemdescFunc.tdesc = types.Retarget(source->elemdescFunc.tdesc);
    std::vector<ELEMDESC> params(source->lprgelemdescParam, source->lprgelemdescParam + source->cParams);
    for (ELEMDESC& param : params) param.tdesc = types.Retarget(param.tdesc);
    ScopedNames names(entry.source.get(), source->memid, source->cParams + 1);
    AddedDefaults defaults;
    AddMissingDefaults(names, params, defaults);
    copy.lprgelemdescParam = params.data();

    Check(entry.target->AddFuncDesc(index, &copy), L"AddFuncDesc " + names.at(0) + L" of " + entry.name);
    Check(entry.target->SetFuncAndParamNames(index, names.data(), NamesToWrite(*source, names.size())),
          L"SetFuncAndParamNames " + names.at(0));
    CopyFunctionDocumentation(entry, index, source->memid);
}

void CopyVariable(EntryCopy& entry, UINT index) {
    VarDesc source(entry.source.get());
    Check(entry.source->GetVarDesc(index, source.Receive()), L"GetVarDesc of " + entry.name);
    RetargetedTypes types(entry);
    VARDESC copy = *source;
    copy.elemdescVar.tdesc = types.Retarget(source->elemdescVar.tdesc);
    Check(entry.target->AddVarDesc(index, &copy), L"AddVarDesc of " + entry.name);

    ScopedNames names(entry.source.get(), source->memid, 1);
    if (names.size() != 1) Fail(L"a value of " + entry.name + L" has no name");
    Check(entry.target->SetVarName(index, names.data()[0]), L"SetVarName " + names.at(0));
    ScopedBstr doc;
    DWORD help_context = 0;
    Check(entry.source->GetDocumentation(source->memid, nullptr, doc.Receive(), &help_context, nullptr),
          L"GetDocumentation of " + names.at(0));
    if (doc.get()) Check(entry.target->SetVarDocString(index, doc.get()), L"SetVarDocString");
    Check(entry.target->SetVarHelpContext(index, help_context), L"SetVarHelpContext");
}

void CopyEntry(Libraries& libraries, const wchar_t* name) {
    EntryCopy entry{libraries, name, EntryDefinition(libraries.source.get(), name), libraries.entries.at(name).get()};
    TypeAttr attr = ReadTypeAttr(entry.source.get());
    CopyTypeAttributes(entry, *attr);
    CopyImplementedTypes(entry, *attr);
    for (UINT index = 0; index < attr->cFuncs; ++index) CopyFunction(entry, index);
    for (UINT index = 0; index < attr->cVars; ++index) CopyVariable(entry, index);
    CopyTypeFlags(entry, *attr);
}

void LayOutEntries(Libraries& libraries) {
    for (const wchar_t* name : kEntryOrder) {
        Check(libraries.entries.at(name)->LayOut(), std::wstring(L"LayOut of ") + name);
    }
}

// One entry of the written file's type info table, as Wine's writer and
// reader lay it out (MSFT_TypeInfoBase in Wine's typelib.h).
struct TypeInfoRecord {
    std::int32_t typekind;  // TYPEKIND in the low four bits
    std::int32_t memoffset;
    std::int32_t reserved1[4];
    std::int32_t element_count;  // variables in the high word, functions in the low
    std::int32_t reserved2[5];
    std::int32_t flags;
    std::int32_t name_offset;
    std::int32_t version;
    std::int32_t docstring_offset;
    std::int32_t help_string_context;
    std::int32_t help_context;
    std::int32_t custom_data_offset;
    std::int16_t implemented_count;
    std::int16_t vtable_size;
    std::int32_t instance_size;
    std::int32_t base_reference;  // the inherited interface, -1 for none
    std::int32_t reserved3[3];
};
static_assert(sizeof(TypeInfoRecord) == 100);

// Where the file's type info table starts: after the 84-byte header, an
// optional help DLL offset, one offset per type info, and the directory of
// segments, whose first entry is the table.
constexpr std::uint32_t kLibraryMagic = 0x5446534D;  // "MSFT"
constexpr std::size_t kHeaderSize = 84;
constexpr std::size_t kHeaderTypeInfoCount = 32;
constexpr std::size_t kHeaderVarFlags = 20;
constexpr std::int32_t kHelpDllFlag = 0x100;

std::int32_t ReadInt32(const std::vector<char>& bytes, std::size_t offset) {
    if (offset + 4 > bytes.size()) Fail(L"the written library is cut short");
    std::int32_t value = 0;
    std::memcpy(&value, bytes.data() + offset, 4);
    return value;
}

std::vector<char> ReadWholeFile(const std::wstring& path) {
    std::unique_ptr<FILE, int (*)(FILE*)> file(::_wfopen(path.c_str(), L"rb"), &std::fclose);
    if (!file) Fail(L"cannot open " + path);
    std::vector<char> bytes;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0;) {
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    return bytes;
}

void WriteWholeFile(const std::wstring& path, const std::vector<char>& bytes) {
    std::unique_ptr<FILE, int (*)(FILE*)> file(::_wfopen(path.c_str(), L"wb"), &std::fclose);
    if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
        Fail(L"cannot write " + path);
    }
}

std::size_t TypeInfoTableOffset(const std::vector<char>& bytes) {
    if (static_cast<std::uint32_t>(ReadInt32(bytes, 0)) != kLibraryMagic) Fail(L"the written library is no MSFT file");
    std::size_t count = static_cast<std::size_t>(ReadInt32(bytes, kHeaderTypeInfoCount));
    std::size_t directory = kHeaderSize + 4 * count;
    if (ReadInt32(bytes, kHeaderVarFlags) & kHelpDllFlag) directory += 4;
    return static_cast<std::size_t>(ReadInt32(bytes, directory));
}

// Wine's writer cannot say three things the library needs; its reader (and
// widl) put them like this:
// - a plain dispinterface inherits nothing and its vtable size counts only
//   its own members (the writer adds IDispatch's, and the reader would list
//   IDispatch's methods as the interface's own);
// - a dual interface's vtable is IDispatch's slots and its methods (the
//   writer sizes IDispatch by the running process's word size);
// - an enumeration is four bytes (the writer makes it pointer-sized).
void RepairRecord(TypeInfoRecord& record, unsigned pointer_size) {
    std::int32_t functions = record.element_count & 0xFFFF;
    switch (record.typekind & 0xF) {
        case TKIND_DISPATCH:
            if (record.flags & TYPEFLAG_FDUAL) {
                record.vtable_size = static_cast<std::int16_t>((kDispatchSlots + functions) * pointer_size);
            } else {
                record.vtable_size = static_cast<std::int16_t>(functions * pointer_size);
                record.base_reference = -1;
            }
            break;
        case TKIND_ENUM:
            record.instance_size = kEnumSize;
            break;
        default:
            break;
    }
}

void RepairWrittenRecords(const std::wstring& path, unsigned pointer_size) {
    std::vector<char> bytes = ReadWholeFile(path);
    std::size_t table = TypeInfoTableOffset(bytes);
    for (std::size_t index = 0; index < std::size(kEntryOrder); ++index) {
        std::size_t offset = table + index * sizeof(TypeInfoRecord);
        if (offset + sizeof(TypeInfoRecord) > bytes.size()) Fail(L"the written library is cut short");
        TypeInfoRecord record;
        std::memcpy(&record, bytes.data() + offset, sizeof record);
        RepairRecord(record, pointer_size);
        std::memcpy(bytes.data() + offset, &record, sizeof record);
    }
    WriteWholeFile(path, bytes);
}

// The written library must list exactly the ten entries in their order, and
// each must have the shape of the compiled one: kind, flags, members,
// implemented types, vtable size and every method's vtable slot.
void CheckEntryOrder(ITypeLib* written) {
    if (written->GetTypeInfoCount() != std::size(kEntryOrder)) Fail(L"the written library has extra entries");
    for (UINT index = 0; index < written->GetTypeInfoCount(); ++index) {
        ScopedComPtr<ITypeInfo> info;
        Check(written->GetTypeInfo(index, info.Receive()), L"GetTypeInfo of the written library");
        if (NameOf(info.get()) != kEntryOrder[index]) {
            Fail(L"the written library has " + NameOf(info.get()) + L" where " + kEntryOrder[index] + L" belongs");
        }
    }
}

bool SameShape(const TYPEATTR& expected, const TYPEATTR& actual) {
    return expected.guid == actual.guid && expected.typekind == actual.typekind &&
           expected.wTypeFlags == actual.wTypeFlags && expected.cFuncs == actual.cFuncs &&
           expected.cVars == actual.cVars && expected.cImplTypes == actual.cImplTypes &&
           expected.cbSizeVft == actual.cbSizeVft && expected.cbSizeInstance == actual.cbSizeInstance;
}

void CheckSlots(ITypeInfo* expected, ITypeInfo* actual, UINT functions, const std::wstring& name) {
    for (UINT index = 0; index < functions; ++index) {
        FuncDesc want(expected), have(actual);
        Check(expected->GetFuncDesc(index, want.Receive()), L"GetFuncDesc");
        Check(actual->GetFuncDesc(index, have.Receive()), L"GetFuncDesc");
        if (want->oVft != have->oVft || want->memid != have->memid || want->invkind != have->invkind) {
            Fail(L"a method of " + name + L" is not where the compiled library has it");
        }
    }
}

void CheckEntry(ITypeInfo* expected, ITypeInfo* actual, const std::wstring& name) {
    TypeAttr want = ReadTypeAttr(expected), have = ReadTypeAttr(actual);
    if (!SameShape(*want, *have)) Fail(L"the written " + name + L" differs from the compiled one");
    CheckSlots(expected, actual, want->cFuncs, name);
}

void CheckWrittenLibrary(ITypeLib* source, const std::wstring& written_path) {
    ScopedComPtr<ITypeLib> written = LoadLibraryFile(written_path);
    CheckEntryOrder(written.get());
    for (const wchar_t* name : kEntryOrder) {
        ScopedComPtr<ITypeInfo> expected = FindEntry(source, name), actual = FindEntry(written.get(), name);
        CheckEntry(expected.get(), actual.get(), name);
        CheckEntry(DefinitionOf(std::move(expected)).get(), DefinitionOf(std::move(actual)).get(), name);
    }
}

// The new library is written for the same word size as the compiled one.
ScopedComPtr<ICreateTypeLib2> CreateTarget(SYSKIND syskind, const std::wstring& path) {
    ScopedComPtr<ICreateTypeLib2> target;
    Check(::CreateTypeLib2(syskind, path.c_str(), target.Receive()), L"CreateTypeLib2 " + path);
    return target;
}

void RewriteLibrary(const std::wstring& source_path, const std::wstring& target_path) {
    ScopedComPtr<ITypeLib> source = LoadLibraryFile(source_path);
    TLIBATTR source_attr = LibraryAttributes(source.get());
    Libraries libraries{std::move(source),
                        source_attr.guid,
                        PointerSize(source_attr.syskind),
                        LoadLibraryFile(kStdoleLibrary),
                        CreateTarget(source_attr.syskind, target_path),
                        {}};

    CopyLibraryAttributes(libraries.source.get(), libraries.target.get());
    CopyLibraryCustomData(libraries.source.get(), libraries.target.get());
    CreateEntries(libraries);
    for (const wchar_t* name : kEntryOrder) CopyEntry(libraries, name);
    LayOutEntries(libraries);
    Check(libraries.target->SaveAllChanges(), L"SaveAllChanges");
    libraries.target.Reset();

    RepairWrittenRecords(target_path, libraries.pointer_size);
    CheckWrittenLibrary(libraries.source.get(), target_path);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fwprintf(stderr, L"usage: lumora_typelib_order <compiled.tlb> <ordered.tlb>\n");
        return 2;
    }
    std::wstring target_path;
    try {
        ComApartment apartment;
        target_path = FullPath(argv[2]);
        RewriteLibrary(FullPath(argv[1]), target_path);
    } catch (const ToolError& error) {
        std::fwprintf(stderr, L"lumora_typelib_order: %ls\n", error.message.c_str());
        // A half-right library must not look up to date to the next build.
        if (!target_path.empty()) ::DeleteFileW(target_path.c_str());
        return 1;
    }
    return 0;
}
