// SPDX-License-Identifier: MIT
// Saving and loading the control as containers do: through their property
// bags, through streams and storages in the control's binary format, and
// with the container's ambient font.
#include "WindowsHeaders.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "DorvaneLumoraStyleList.h"
#include "server/DispatchCalls.h"
#include "server/RecordingSink.h"

namespace lumora::server::testing {
namespace {

// A container's bag that records each write with its VARIANT type and
// answers reads from what was written last.
class RecordingBag final : public ::IPropertyBag {
public:
    ~RecordingBag() {
        for (auto& [name, value] : values_) ::VariantClear(&value);
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IPropertyBag)) {
            *object = this;
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
        const auto found = values_.find(name);
        if (found == values_.end()) return E_INVALIDARG;
        return ::VariantCopy(value, &found->second);
    }
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) override {
        writes.push_back(Narrow(name) + " " + TypeName(V_VT(value)));
        VARIANT& stored = values_[name];
        ::VariantClear(&stored);
        return ::VariantCopy(&stored, value);
    }

    std::vector<std::string> writes;

private:
    static std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }
    static std::string TypeName(VARTYPE type) {
        switch (type) {
            case VT_I2:
                return "I2";
            case VT_I4:
                return "I4";
            case VT_R4:
                return "R4";
            case VT_BOOL:
                return "BOOL";
            case VT_BSTR:
                return "BSTR";
            case VT_DISPATCH:
                return "DISPATCH";
            default:
                return "VT" + std::to_string(type);
        }
    }
    std::map<std::wstring, VARIANT> values_;
};

IDispatch* NewControl() {
    IDispatch* control = nullptr;
    EXPECT_EQ(::CoCreateInstance(CLSID_LumoraListControl, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                 reinterpret_cast<void**>(&control)),
              S_OK);
    return control;
}

template <typename Interface>
Interface* As(IUnknown* object, REFIID iid) {
    Interface* result = nullptr;
    EXPECT_EQ(object->QueryInterface(iid, reinterpret_cast<void**>(&result)), S_OK);
    return result;
}

IPictureDisp* NewBitmapPicture() {
    PICTDESC description{};
    description.cbSizeofstruct = sizeof(PICTDESC);
    description.picType = PICTYPE_BITMAP;
    description.bmp.hbitmap = ::CreateBitmap(4, 3, 1, 32, nullptr);
    IPictureDisp* picture = nullptr;
    ::OleCreatePictureIndirect(&description, IID_IPictureDisp, TRUE, reinterpret_cast<void**>(&picture));
    return picture;
}

// Everything a saved control restores, read back through automation.
std::vector<std::string> Snapshot(IDispatch* control) {
    std::vector<std::string> lines;
    for (
        const wchar_t* name :
        {L"HeaderHeight",        L"BackColor",       L"ForeColor",       L"ForeColorActive",     L"BackColorForm",
         L"MouseMoveColor0",     L"MouseMoveColor1", L"MouseMoveColor2", L"RegisterFocusColor0", L"RegisterFocusColor1",
         L"RegisterFocusColor2", L"FrameColor",      L"FontBold",        L"FontItalic",          L"FontStrikethru",
         L"FontUnderline",       L"FontSize",        L"FontName",        L"MaskColor",           L"NumberOfRows",
         L"Alignment",           L"ForeColorHot",    L"SortedRow",       L"ShowFrame",           L"ShowSortPic",
         L"ColumnWidths",        L"SelectedRow"}) {
        lines.push_back(std::string(name, name + wcslen(name)) + " " + Get(control, name).value.Describe());
    }
    const CallResult rows = Get(control, L"NumberOfRows");
    const long count = V_I4(&rows.value.v);
    for (long column = 1; column <= count; ++column) {
        for (const wchar_t* name : {L"RowWidth", L"RowCaption", L"RowSorted", L"RowPicture"})
            lines.push_back(std::string(name, name + wcslen(name)) + std::to_string(column) + " " +
                            Get(control, name, {Var(column)}).value.Describe());
    }
    return lines;
}

// What a saved control reads as once loaded: nothing pressed and, having
// columns, its width list empty, since the widths come from the columns'
// own keys.
std::vector<std::string> AsLoaded(std::vector<std::string> lines) {
    for (std::string& line : lines) {
        if (line.starts_with("SelectedRow ")) line = "SelectedRow I4 0";
        if (line.starts_with("ColumnWidths ")) line = "ColumnWidths BSTR ";
    }
    return lines;
}

// A control with every saved property away from its default.
void ChangeEverything(IDispatch* control, IPictureDisp* picture) {
    Put(control, L"HeaderHeight", Var(31L));
    long color = 0x010203;
    for (const wchar_t* name : {L"BackColor", L"ForeColor", L"ForeColorActive", L"BackColorForm", L"MouseMoveColor0",
                                L"MouseMoveColor1", L"MouseMoveColor2", L"RegisterFocusColor0", L"RegisterFocusColor1",
                                L"RegisterFocusColor2", L"FrameColor", L"MaskColor", L"ForeColorHot"})
        Put(control, name, Var(color += 0x010101));
    for (const wchar_t* name : {L"FontBold", L"FontItalic", L"FontStrikethru", L"FontUnderline"})
        Put(control, name, Var::Boolean(true));
    Put(control, L"FontSize", Var::Single(11.25f));
    Put(control, L"FontName", Var(L"Arial"));
    Put(control, L"Alignment", Var(1L));
    Put(control, L"ShowFrame", Var::Boolean(false));
    Put(control, L"ShowSortPic", Var::Boolean(false));
    Call(control, L"AddRow", {Var(90L), Var(L"&Größe")});
    Call(control, L"AddRow", {Var(45L), Var(L"Datum")});
    Put(control, L"RowPicture", Var::Object(picture), {Var(3L)}, DISPATCH_PROPERTYPUTREF);
    Put(control, L"RowSorted", Var::Boolean(true), {Var(2L)});
    Put(control, L"SortedRow", Var(2L));
}

TEST(ControlPersistence, PropertyBagGetsTheKeysInOrderWithTheTypesFormsStore) {
    IDispatch* control = NewControl();
    IPersistPropertyBag* persist = As<IPersistPropertyBag>(control, IID_IPersistPropertyBag);
    ASSERT_EQ(persist->InitNew(), S_OK);
    Call(control, L"AddRow");
    IPictureDisp* picture = NewBitmapPicture();
    Put(control, L"RowPicture", Var::Object(picture), {Var(2L)}, DISPATCH_PROPERTYPUTREF);

    RecordingBag bag;
    ASSERT_EQ(persist->Save(&bag, TRUE, TRUE), S_OK);

    EXPECT_EQ(bag.writes,
              (std::vector<std::string>{
                  "Alignment I4",        "HeaderHeight I4",        "BackColor I4",           "BackColorForm I4",
                  "ForeColor I4",        "ForeColorActive I4",     "ForeColorHot I4",        "FrameColor I4",
                  "MaskColor I4",        "SelectedRow I4",         "SortedRow I4",           "Font DISPATCH",
                  "NumberOfTabs I4",     "RegisterFocusColor1 I4", "RegisterFocusColor2 I4", "MouseMoveColor0 I4",
                  "MouseMoveColor1 I4",  "MouseMoveColor2 I4",     "RegisterFocusColor0 I4", "FontName BSTR",
                  "Font DISPATCH",       "ColumnWidths BSTR",      "RowWidth1 I4",           "RowText1 BSTR",
                  "RowSorted1 BOOL",     "RowWidth2 I4",           "RowText2 BSTR",          "RowSorted2 BOOL",
                  "RowPicture2 DISPATCH"}));
    persist->Release();
    control->Release();
    picture->Release();
}

TEST(ControlPersistence, PropertyBagRoundTripRestoresEveryProperty) {
    IDispatch* saved = NewControl();
    IPersistPropertyBag* persist = As<IPersistPropertyBag>(saved, IID_IPersistPropertyBag);
    IPictureDisp* picture = NewBitmapPicture();
    ChangeEverything(saved, picture);
    RecordingBag bag;
    ASSERT_EQ(persist->Save(&bag, TRUE, TRUE), S_OK);
    persist->Release();

    IDispatch* loaded = NewControl();
    IPersistPropertyBag* loader = As<IPersistPropertyBag>(loaded, IID_IPersistPropertyBag);
    ASSERT_EQ(loader->Load(&bag, nullptr), S_OK);
    EXPECT_EQ(loader->Load(&bag, nullptr), CO_E_ALREADYINITIALIZED) << "a control loads once";
    loader->Release();

    const std::vector<std::string> expected = AsLoaded(Snapshot(saved));
    EXPECT_EQ(Snapshot(loaded), expected);
    saved->Release();
    loaded->Release();
    picture->Release();
}

// This thread's error object's description, for failure messages.
std::string ErrorDescription() {
    IErrorInfo* info = nullptr;
    if (::GetErrorInfo(0, &info) != S_OK || !info) return "no error object";
    BSTR description = nullptr;
    info->GetDescription(&description);
    info->Release();
    std::string text(description, description + ::SysStringLen(description));
    ::SysFreeString(description);
    return text;
}

// The stream a control with every property changed writes.
std::string SavedStream(IDispatch* control) {
    IPersistStreamInit* persist = As<IPersistStreamInit>(control, IID_IPersistStreamInit);
    IStream* stream = nullptr;
    ::CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    EXPECT_EQ(persist->Save(stream, TRUE), S_OK) << ErrorDescription();
    ULARGE_INTEGER size{};
    EXPECT_EQ(persist->GetSizeMax(&size), S_OK);
    STATSTG stat{};
    stream->Stat(&stat, STATFLAG_NONAME);
    EXPECT_EQ(stat.cbSize.QuadPart, size.QuadPart) << "GetSizeMax tells the size Save writes";
    std::string bytes(static_cast<std::size_t>(stat.cbSize.QuadPart), '\0');
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    ULONG read = 0;
    stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
    stream->Release();
    persist->Release();
    return bytes;
}

HRESULT LoadStream(IDispatch* control, const std::string& bytes) {
    IStream* stream = nullptr;
    ::CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    ULONG written = 0;
    stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    IPersistStreamInit* persist = As<IPersistStreamInit>(control, IID_IPersistStreamInit);
    const HRESULT hr = persist->Load(stream);
    persist->Release();
    stream->Release();
    return hr;
}

// Captions that are no well-formed UTF-16: a high surrogate between two
// letters, and a low surrogate alone.
const std::wstring kUnpairedCaptions[] = {{L'A', wchar_t{0xD800}, L'B'}, {wchar_t{0xDC00}}};

// Gives a new control one column per caption of kUnpairedCaptions.
void SetUnpairedCaptions(IDispatch* control) {
    Call(control, L"AddRow");
    for (long column = 1; column <= 2; ++column)
        ASSERT_EQ(Put(control, L"RowCaption", Var(kUnpairedCaptions[column - 1].c_str()), {Var(column)}).hr, S_OK);
}

// The captions unit for unit, as hex, so that a replaced unit shows.
std::vector<std::string> CaptionUnits(IDispatch* control) {
    std::vector<std::string> captions;
    for (long column = 1; column <= 2; ++column) {
        const CallResult read = Get(control, L"RowCaption", {Var(column)});
        std::string units = V_VT(&read.value.v) == VT_BSTR ? "" : "not a text";
        if (V_VT(&read.value.v) == VT_BSTR)
            for (UINT i = 0; i < ::SysStringLen(V_BSTR(&read.value.v)); ++i)
                units += std::to_string(V_BSTR(&read.value.v)[i]) + " ";
        captions.push_back(units);
    }
    return captions;
}

TEST(ControlPersistence, UnpairedSurrogatesInCaptionsSaveAndLoadWhole) {
    IDispatch* saved = NewControl();
    SetUnpairedCaptions(saved);
    const std::vector<std::string> expected = {"65 55296 66 ", "56320 "};
    ASSERT_EQ(CaptionUnits(saved), expected);

    IDispatch* fromStream = NewControl();
    ASSERT_EQ(LoadStream(fromStream, SavedStream(saved)), S_OK);
    EXPECT_EQ(CaptionUnits(fromStream), expected) << "through a stream";

    RecordingBag bag;
    IPersistPropertyBag* persist = As<IPersistPropertyBag>(saved, IID_IPersistPropertyBag);
    ASSERT_EQ(persist->Save(&bag, TRUE, TRUE), S_OK);
    persist->Release();
    // The bag holds each caption as the BSTR it was given.
    for (long column = 1; column <= 2; ++column) {
        VARIANT stored;
        ::VariantInit(&stored);
        ASSERT_EQ(bag.Read((L"RowText" + std::to_wstring(column)).c_str(), &stored, nullptr), S_OK);
        ASSERT_EQ(V_VT(&stored), VT_BSTR);
        EXPECT_EQ(std::wstring(V_BSTR(&stored), ::SysStringLen(V_BSTR(&stored))), kUnpairedCaptions[column - 1]);
        ::VariantClear(&stored);
    }
    IDispatch* fromBag = NewControl();
    IPersistPropertyBag* loader = As<IPersistPropertyBag>(fromBag, IID_IPersistPropertyBag);
    ASSERT_EQ(loader->Load(&bag, nullptr), S_OK);
    loader->Release();
    EXPECT_EQ(CaptionUnits(fromBag), expected) << "through a property bag";
    fromBag->Release();
    fromStream->Release();
    saved->Release();
}

TEST(ControlPersistence, StreamRoundTripRestoresEveryProperty) {
    IDispatch* saved = NewControl();
    IPictureDisp* picture = NewBitmapPicture();
    ChangeEverything(saved, picture);
    const std::string bytes = SavedStream(saved);

    IDispatch* loaded = NewControl();
    ASSERT_EQ(LoadStream(loaded, bytes + "data of the container after the control"), S_OK);
    const std::vector<std::string> expected = AsLoaded(Snapshot(saved));
    EXPECT_EQ(Snapshot(loaded), expected);
    saved->Release();
    loaded->Release();
    picture->Release();
}

TEST(ControlPersistence, MalformedStreamsFailCleanlyAndLeaveTheControlUnloaded) {
    IDispatch* saved = NewControl();
    IPictureDisp* picture = NewBitmapPicture();
    ChangeEverything(saved, picture);
    const std::string bytes = SavedStream(saved);
    const std::vector<std::string> expected = [&] {
        IDispatch* good = NewControl();
        EXPECT_EQ(LoadStream(good, bytes), S_OK);
        std::vector<std::string> lines = Snapshot(good);
        good->Release();
        return lines;
    }();

    std::vector<std::string> malformed;
    for (std::size_t length = 0; length < bytes.size(); ++length) malformed.push_back(bytes.substr(0, length));
    std::string newer = bytes;
    newer[4] = 2;  // the format version
    malformed.push_back(newer);
    std::string flipped = bytes;
    flipped[bytes.size() / 2] ^= 0x40;
    malformed.push_back(flipped);
    std::string huge = bytes;
    for (int i = 16; i < 20; ++i) huge[i] = static_cast<char>(0xFF);  // the entry count
    malformed.push_back(huge);
    ASSERT_GE(malformed.size(), 45u);

    // One control takes every bad stream in turn: each fails and leaves it
    // unloaded, so the good one still loads into it afterwards.
    IDispatch* control = NewControl();
    for (std::size_t i = 0; i < malformed.size(); ++i) {
        const HRESULT hr = LoadStream(control, malformed[i]);
        EXPECT_TRUE(hr == E_FAIL || hr == STG_E_READFAULT) << "stream " << i << " gave 0x" << std::hex << hr;
    }
    EXPECT_EQ(LoadStream(control, bytes), S_OK);
    EXPECT_EQ(Snapshot(control), expected);
    control->Release();
    saved->Release();
    picture->Release();
}

TEST(ControlPersistence, StorageKeepsTheSameStateInItsOwnStream) {
    IDispatch* saved = NewControl();
    IPictureDisp* picture = NewBitmapPicture();
    ChangeEverything(saved, picture);
    ILockBytes* bytes = nullptr;
    ASSERT_EQ(::CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes), S_OK);
    IStorage* storage = nullptr;
    ASSERT_EQ(::StgCreateDocfileOnILockBytes(bytes, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &storage),
              S_OK);
    IPersistStorage* persist = As<IPersistStorage>(saved, IID_IPersistStorage);
    ASSERT_EQ(persist->Save(storage, FALSE), S_OK);
    EXPECT_EQ(persist->SaveCompleted(nullptr), S_OK);
    persist->Release();

    IDispatch* loaded = NewControl();
    IPersistStorage* loader = As<IPersistStorage>(loaded, IID_IPersistStorage);
    ASSERT_EQ(loader->Load(storage), S_OK);
    loader->Release();
    const std::vector<std::string> expected = AsLoaded(Snapshot(saved));
    EXPECT_EQ(Snapshot(loaded), expected);
    storage->Release();
    bytes->Release();
    saved->Release();
    loaded->Release();
    picture->Release();
}

// A container site that offers an ambient font, as form designers do.
class AmbientSite final : public IOleClientSite, public IDispatch {
public:
    explicit AmbientSite(IFontDisp* font, bool userMode = true) : font_(font), userMode_(userMode) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleClientSite))
            *object = static_cast<IOleClientSite*>(this);
        else if (IsEqualIID(riid, IID_IDispatch))
            *object = static_cast<IDispatch*>(this);
        else
            return *object = nullptr, E_NOINTERFACE;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer**) override { return E_NOINTERFACE; }
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return *count = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                     UINT*) override {
        if (!result) return E_POINTER;
        if (id == DISPID_AMBIENT_USERMODE) {
            V_VT(result) = VT_BOOL;
            V_BOOL(result) = userMode_ ? VARIANT_TRUE : VARIANT_FALSE;
            return S_OK;
        }
        if (id != DISPID_AMBIENT_FONT || !font_) return DISP_E_MEMBERNOTFOUND;
        V_VT(result) = VT_DISPATCH;
        V_DISPATCH(result) = font_;
        font_->AddRef();
        return S_OK;
    }

private:
    IFontDisp* font_;
    bool userMode_;
};

// A font object's name, as the system reports it (it names the face it
// substitutes), and its size in points.
std::string FontText(IUnknown* font) {
    ::IFont* system = As<::IFont>(font, IID_IFont);
    BSTR name = nullptr;
    CY size{};
    system->get_Name(&name);
    system->get_Size(&size);
    system->Release();
    std::string text(name, name + ::SysStringLen(name));
    ::SysFreeString(name);
    return text + " " + std::to_string(size.int64 / 10000);
}

// The font the control draws with.
std::string DrawingFont(IDispatch* control) {
    CallResult font = Get(control, L"Font");
    if (V_VT(&font.value.v) != VT_DISPATCH || !V_DISPATCH(&font.value.v)) return "no font";
    return FontText(V_DISPATCH(&font.value.v));
}

IFontDisp* NewFont(const wchar_t* name, LONGLONG points) {
    FONTDESC description{
        sizeof(FONTDESC), const_cast<LPOLESTR>(name), {}, FW_NORMAL, ANSI_CHARSET, FALSE, FALSE, FALSE};
    description.cySize.int64 = points * 10000;
    IFontDisp* font = nullptr;
    EXPECT_EQ(::OleCreateFontIndirect(&description, IID_IFontDisp, reinterpret_cast<void**>(&font)), S_OK);
    return font;
}

TEST(ControlPersistence, NewControlTakesTheContainersAmbientFontOrTheUsualOne) {
    IFontDisp* font = NewFont(L"Arial", 11);
    ASSERT_NE(font, nullptr);
    AmbientSite site(font);

    IDispatch* placed = NewControl();
    IOleObject* object = As<IOleObject>(placed, IID_IOleObject);
    ASSERT_EQ(object->SetClientSite(&site), S_OK);
    IPersistStreamInit* persist = As<IPersistStreamInit>(placed, IID_IPersistStreamInit);
    ASSERT_EQ(persist->InitNew(), S_OK);
    EXPECT_EQ(persist->InitNew(), CO_E_ALREADYINITIALIZED);
    EXPECT_EQ(DrawingFont(placed), FontText(font)) << "the container's font, to draw with";
    EXPECT_EQ(Get(placed, L"FontName").value.Describe(), "BSTR MS Sans Serif") << "the properties keep their own";
    EXPECT_EQ(persist->IsDirty(), S_FALSE) << "a new control has nothing to save yet";
    Put(placed, L"HeaderHeight", Var(40L));
    EXPECT_EQ(persist->IsDirty(), S_OK);
    object->SetClientSite(nullptr);
    object->Release();
    persist->Release();
    placed->Release();

    // Without an ambient font (a script's CreateObject, a bare container)
    // the control starts from the usual form font.
    IDispatch* created = NewControl();
    IFontDisp* usual = NewFont(L"MS Sans Serif", 8);
    EXPECT_EQ(DrawingFont(created), FontText(usual));
    usual->Release();
    created->Release();
    font->Release();
}

}  // namespace
}  // namespace lumora::server::testing

namespace lumora::server::testing {
namespace {

TEST(ControlPersistence, FormBeingDesignedGetsNoEventsButHearsOfChanges) {
    IDispatch* control = NewControl();
    IOleObject* object = As<IOleObject>(control, IID_IOleObject);
    AmbientSite designer(nullptr, false);
    ASSERT_EQ(object->SetClientSite(&designer), S_OK);
    RecordingSink sink(control);
    sink.Connect();
    Call(control, L"AddRow");
    sink.TakeLog();

    Put(control, L"SelectedRow", Var(2L));
    EXPECT_EQ(sink.TakeLog(), (std::vector<std::string>{"OnChanged SelectedRow"}));

    AmbientSite running(nullptr, true);
    ASSERT_EQ(object->SetClientSite(&running), S_OK);
    Put(control, L"SelectedRow", Var(1L));
    EXPECT_EQ(sink.TakeLog(), (std::vector<std::string>{"RowPressed 2 0 ASC", "OnChanged SelectedRow"}));
    sink.Disconnect();
    object->SetClientSite(nullptr);
    object->Release();
    control->Release();
}

}  // namespace
}  // namespace lumora::server::testing
