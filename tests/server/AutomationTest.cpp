// SPDX-License-Identifier: MIT
// The control as a script host or a form designer sees it: created by its
// ProgID and used late-bound through IDispatch, by name and by DISPID.
#include "WindowsHeaders.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DorvaneLumoraStyleList.h"
#include "platform/win32/ScopedComPtr.h"
#include "server/AboutBoxCloser.h"
#include "server/DispatchCalls.h"
#include "server/RecordingSink.h"

namespace lumora::server::testing {
namespace {

using Log = std::vector<std::string>;
using lumora::win32::ScopedComPtr;

constexpr HRESULT kSubscriptOutOfRange = static_cast<HRESULT>(0x800A0009);

class AutomationTest : public ::testing::Test {
protected:
    void SetUp() override {
        CLSID clsid{};
        ASSERT_EQ(::CLSIDFromProgID(L"DorvaneLumoraStyleList.LumoraListControl", &clsid), S_OK);
        ASSERT_TRUE(IsEqualCLSID(clsid, CLSID_LumoraListControl));
        ASSERT_EQ(
            ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(&control)),
            S_OK);
    }
    void TearDown() override {
        if (control) control->Release();
    }

    std::string Read(const wchar_t* name, std::vector<Var> index = {}) {
        const CallResult result = Get(control, name, std::move(index));
        EXPECT_EQ(result.hr, S_OK) << "reading " << std::string(name, name + wcslen(name));
        return result.value.Describe();
    }

    IDispatch* control = nullptr;
};

// One row per property: what is written, and how it reads back. DISPIDs
// are the interface's, checked against the name's.
struct PropertyCase {
    const wchar_t* name;
    DISPID dispid;
    Var written;
    const char* read;
    std::vector<Var> index = {};
};

std::vector<PropertyCase> PropertyCases() {
    return {
        {L"HeaderHeight", 0x68030020, Var(30L), "I4 30"},
        {L"BackColor", 0x6803001F, Var(0x123456L), "UI4 1193046"},
        {L"ForeColor", 0x6803001E, Var(0x80000008L), "UI4 2147483656"},
        {L"ForeColorActive", 0x6803001D, Var(0x00FF00L), "UI4 65280"},
        {L"BackColorForm", 0x6803001C, Var(0x0000FFL), "UI4 255"},
        {L"MouseMoveColor0", 0x6803001B, Var(1L), "UI4 1"},
        {L"MouseMoveColor1", 0x6803001A, Var(2L), "UI4 2"},
        {L"MouseMoveColor2", 0x68030019, Var(3L), "UI4 3"},
        {L"RegisterFocusColor0", 0x68030018, Var(4L), "UI4 4"},
        {L"RegisterFocusColor1", 0x68030017, Var(5L), "UI4 5"},
        {L"RegisterFocusColor2", 0x68030016, Var(6L), "UI4 6"},
        {L"FrameColor", 0x68030015, Var(7L), "UI4 7"},
        {L"RowWidth", 0x68030014, Var(90L), "I4 90", {Var(1L)}},
        {L"RowCaption", 0x68030013, Var(L"&Name"), "BSTR &Name", {Var(1L)}},
        {L"RowSorted", 0x68030012, Var::Boolean(true), "BOOL True", {Var(1L)}},
        {L"FontBold", 0x6803000F, Var::Boolean(true), "BOOL True"},
        {L"FontItalic", 0x6803000E, Var::Boolean(true), "BOOL True"},
        {L"FontStrikethru", 0x6803000D, Var::Boolean(true), "BOOL True"},
        {L"FontUnderline", 0x6803000C, Var::Boolean(true), "BOOL True"},
        {L"FontSize", 0x6803000B, Var::Single(12.0f), "R4 12"},
        {L"FontName", 0x6803000A, Var(L"Arial"), "BSTR Arial"},
        {L"MaskColor", 0x68030009, Var(8L), "UI4 8"},
        {L"Alignment", 0x68030007, Var(1L), "I4 1"},
        {L"ForeColorHot", 0x68030005, Var(9L), "UI4 9"},
        {L"SortedRow", 0x68030004, Var(2L), "I4 2"},
        {L"ShowFrame", 0x68030003, Var::Boolean(false), "BOOL False"},
        {L"ShowSortPic", 0x68030002, Var::Boolean(false), "BOOL False"},
        {L"ColumnWidths", 0x68030001, Var(L"80"), "BSTR 80"},
        {L"SelectedRow", 0x68030000, Var(1L), "I4 1"},
    };
}

TEST_F(AutomationTest, EveryPropertyWritesAndReadsByNameAndByDispid) {
    for (PropertyCase& row : PropertyCases()) {
        const std::string name(row.name, row.name + wcslen(row.name));
        SCOPED_TRACE(name);
        EXPECT_EQ(DispidOf(control, row.name), row.dispid);
        std::vector<Var> arguments = row.index;
        arguments.push_back(row.written);
        EXPECT_EQ(Invoke(control, row.dispid, DISPATCH_PROPERTYPUT, arguments, {DISPID_PROPERTYPUT}).hr, S_OK);
        EXPECT_EQ(Invoke(control, row.dispid, DISPATCH_PROPERTYGET, row.index).value.Describe(), row.read);
        EXPECT_EQ(Read(row.name, row.index), row.read);
    }
}

TEST_F(AutomationTest, NewControlReadsItsDefaults) {
    EXPECT_EQ(Read(L"NumberOfRows"), "I4 1");
    EXPECT_EQ(Read(L"HeaderHeight"), "I4 25");
    EXPECT_EQ(Read(L"RowCaption", {Var(1L)}), "BSTR Spalte");
    EXPECT_EQ(Read(L"RowWidth", {Var(1L)}), "I4 60");
    EXPECT_EQ(Read(L"ShowFrame"), "BOOL True");
    EXPECT_EQ(DispidOf(control, L"NumberOfRows"), 0x68030008);
    EXPECT_EQ(Put(control, L"NumberOfRows", Var(3L)).hr, DISP_E_MEMBERNOTFOUND) << "read only";
}

TEST_F(AutomationTest, ObjectPropertiesTakeAndGiveThePlatformsOwnObjects) {
    PICTDESC description{};
    description.cbSizeofstruct = sizeof(PICTDESC);
    description.picType = PICTYPE_BITMAP;
    description.bmp.hbitmap = ::CreateBitmap(16, 16, 1, 32, nullptr);
    IPictureDisp* picture = nullptr;
    ASSERT_EQ(::OleCreatePictureIndirect(&description, IID_IPictureDisp, TRUE, reinterpret_cast<void**>(&picture)),
              S_OK);

    EXPECT_EQ(Put(control, L"RowPicture", Var::Object(picture), {Var(1L)}, DISPATCH_PROPERTYPUTREF).hr, S_OK);
    CallResult read = Get(control, L"RowPicture", {Var(1L)});
    ASSERT_EQ(V_VT(&read.value.v), VT_DISPATCH);
    IUnknown* readIdentity = nullptr;
    IUnknown* givenIdentity = nullptr;
    V_DISPATCH(&read.value.v)->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&readIdentity));
    picture->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&givenIdentity));
    EXPECT_EQ(readIdentity, givenIdentity) << "a column keeps the very picture it was given";
    readIdentity->Release();
    givenIdentity->Release();
    EXPECT_EQ(Get(control, L"RowPicture", {Var(2L)}).scode, kSubscriptOutOfRange);

    CallResult font = Get(control, L"Font");
    ASSERT_EQ(V_VT(&font.value.v), VT_DISPATCH);
    IFontDisp* fontDisp = nullptr;
    EXPECT_EQ(V_DISPATCH(&font.value.v)->QueryInterface(IID_IFontDisp, reinterpret_cast<void**>(&fontDisp)), S_OK);
    if (fontDisp) fontDisp->Release();
    EXPECT_EQ(Put(control, L"Font", font.value, {}, DISPATCH_PROPERTYPUTREF).hr, S_OK);
    picture->Release();
}

TEST_F(AutomationTest, AddRowWritesItsCaptionBackIntoAnEmptyStringByReference) {
    BSTR caption = ::SysAllocString(L"");
    long width = 75;
    Var byRefCaption;
    V_VT(&byRefCaption.v) = VT_BYREF | VT_BSTR;
    V_BSTRREF(&byRefCaption.v) = &caption;
    Var byRefWidth;
    V_VT(&byRefWidth.v) = VT_BYREF | VT_I4;
    V_I4REF(&byRefWidth.v) = reinterpret_cast<LONG*>(&width);

    const CallResult added = Call(control, L"AddRow", {byRefWidth, byRefCaption, Var::Missing()});
    EXPECT_EQ(added.hr, S_OK);
    EXPECT_EQ(added.value.Describe(), "I4 2");
    EXPECT_STREQ(caption, L"Spalte");
    EXPECT_EQ(Read(L"RowWidth", {Var(2L)}), "I4 75");
    ::SysFreeString(caption);
}

TEST_F(AutomationTest, AddRowArgumentsLeftOutTakeTheirDefaults) {
    EXPECT_EQ(Call(control, L"AddRow").value.Describe(), "I4 2");
    EXPECT_EQ(Call(control, L"AddRow", {Var::Missing(), Var::Missing(), Var::Missing()}).value.Describe(), "I4 3");
    const DISPID addRow = DispidOf(control, L"AddRow");
    EXPECT_EQ(addRow, 0x6003002E);
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"AddRow"), const_cast<LPOLESTR>(L"sTabText")};
    DISPID ids[2] = {};
    ASSERT_EQ(control->GetIDsOfNames(IID_NULL, names, 2, LOCALE_USER_DEFAULT, ids), S_OK);
    EXPECT_EQ(Invoke(control, addRow, DISPATCH_METHOD, {Var(L"&Datum")}, {ids[1]}).value.Describe(), "I4 4");

    for (long column : {2L, 3L}) {
        EXPECT_EQ(Read(L"RowWidth", {Var(column)}), "I4 60");
        EXPECT_EQ(Read(L"RowCaption", {Var(column)}), "BSTR Spalte");
    }
    EXPECT_EQ(Read(L"RowWidth", {Var(4L)}), "I4 60") << "only the named argument was given";
    EXPECT_EQ(Read(L"RowCaption", {Var(4L)}), "BSTR &Datum");
}

TEST_F(AutomationTest, MethodsAreFoundByNameAtTheirDispids) {
    const struct {
        const wchar_t* name;
        DISPID dispid;
    } methods[] = {{L"DrawTab", 0x6003002C},         {L"DrawTabTop", 0x6003002D},
                   {L"AddRow", 0x6003002E},          {L"DeleteRow", 0x6003002F},
                   {L"GetPictureSize", 0x60030030},  {L"SetTabAccessKeys", 0x60030031},
                   {L"GetTabAccessKey", 0x60030032}, {L"ShowAboutBox", DISPID_ABOUTBOX}};
    for (const auto& method : methods) EXPECT_EQ(DispidOf(control, method.name), method.dispid);
    const AboutBoxCloser closer;
    for (const wchar_t* name : {L"DrawTab", L"DrawTabTop", L"SetTabAccessKeys", L"ShowAboutBox", L"DeleteRow"})
        EXPECT_EQ(Call(control, name).hr, S_OK);
    EXPECT_EQ(Call(control, L"NoSuchMember").hr, DISP_E_MEMBERNOTFOUND);
}

TEST_F(AutomationTest, MethodsAnswerByDispid) {
    EXPECT_EQ(Invoke(control, 0x6003002C, DISPATCH_METHOD, {}).hr, S_OK) << "DrawTab";
    EXPECT_EQ(Invoke(control, 0x6003002D, DISPATCH_METHOD, {}).hr, S_OK) << "DrawTabTop";
    EXPECT_EQ(Invoke(control, 0x60030031, DISPATCH_METHOD, {}).hr, S_OK) << "SetTabAccessKeys";
    {
        const AboutBoxCloser closer;
        EXPECT_EQ(Invoke(control, DISPID_ABOUTBOX, DISPATCH_METHOD, {}).hr, S_OK) << "ShowAboutBox";
    }
    EXPECT_EQ(DispidOf(control, L"ShowAboutBox"), DISPID_ABOUTBOX);

    Call(control, L"AddRow");
    const CallResult deleted = Invoke(control, 0x6003002F, DISPATCH_METHOD, {});
    EXPECT_EQ(deleted.hr, S_OK);
    EXPECT_EQ(deleted.value.Describe(), "EMPTY") << "DeleteRow returns an empty Variant";
    EXPECT_EQ(Read(L"NumberOfRows"), "I4 1");

    float x = 5;
    float y = 5;
    Var byRefX;
    V_VT(&byRefX.v) = VT_BYREF | VT_R4;
    V_R4REF(&byRefX.v) = &x;
    Var byRefY;
    V_VT(&byRefY.v) = VT_BYREF | VT_R4;
    V_R4REF(&byRefY.v) = &y;
    IDispatch* nothing = nullptr;
    Var byRefPicture;
    V_VT(&byRefPicture.v) = VT_BYREF | VT_DISPATCH;
    V_DISPATCHREF(&byRefPicture.v) = &nothing;
    EXPECT_EQ(Invoke(control, 0x60030030, DISPATCH_METHOD, {byRefPicture, byRefX, byRefY}).hr, S_OK);
    EXPECT_EQ(x, 0.0f) << "without a picture the size is 0 by 0";
    EXPECT_EQ(y, 0.0f);

    EXPECT_EQ(Put(control, L"RowCaption", Var(L"&Name"), {Var(1L)}).hr, S_OK);
    short key = 'n';  // the control keeps its keys lower-case
    Var byRefKey;
    V_VT(&byRefKey.v) = VT_BYREF | VT_I2;
    V_I2REF(&byRefKey.v) = &key;
    EXPECT_EQ(Invoke(control, 0x60030032, DISPATCH_METHOD, {byRefKey}).value.Describe(), "I4 1");
    EXPECT_EQ(Read(L"NumberOfRows"), "I4 1");
}

TEST_F(AutomationTest, FailingMemberReportsTheRuntimeErrorLateAndEarlyBound) {
    const CallResult late = Get(control, L"RowWidth", {Var(99L)});
    EXPECT_EQ(late.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(late.scode, kSubscriptOutOfRange);
    EXPECT_EQ(late.description, L"Subscript out of range");
    EXPECT_EQ(late.source, L"DorvaneLumoraStyleList.LumoraListControl");

    _LumoraListControl* early = nullptr;
    ASSERT_EQ(control->QueryInterface(IID__LumoraListControl, reinterpret_cast<void**>(&early)), S_OK);
    LONG width = 0;
    EXPECT_EQ(early->get_RowWidth(99, &width), kSubscriptOutOfRange);
    ISupportErrorInfo* supports = nullptr;
    ASSERT_EQ(control->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&supports)), S_OK);
    EXPECT_EQ(supports->InterfaceSupportsErrorInfo(IID__LumoraListControl), S_OK);
    supports->Release();
    IErrorInfo* info = nullptr;
    ASSERT_EQ(::GetErrorInfo(0, &info), S_OK);
    BSTR description = nullptr;
    info->GetDescription(&description);
    EXPECT_STREQ(description, L"Subscript out of range");
    ::SysFreeString(description);
    info->Release();
    EXPECT_EQ(early->get_RowWidth(1, &width), S_OK);
    EXPECT_EQ(width, 60);
    early->Release();
}

TEST_F(AutomationTest, PressingAColumnRaisesRowPressedThenTellsTheContainer) {
    RecordingSink sink(control);
    sink.Connect();
    Call(control, L"AddRow");
    Call(control, L"AddRow");
    Put(control, L"SortedRow", Var(2L));
    Put(control, L"RowSorted", Var::Boolean(true), {Var(2L)});
    sink.TakeLog();

    Put(control, L"SelectedRow", Var(2L));
    Put(control, L"SelectedRow", Var(3L));
    Put(control, L"SelectedRow", Var(0L));

    EXPECT_EQ(sink.TakeLog(), (Log{"RowPressed 0 2 DESC", "OnChanged SelectedRow", "RowPressed 2 2 ASC",
                                   "OnChanged SelectedRow", "RowPressed 3 2 ASC", "OnChanged SelectedRow"}));
    sink.Disconnect();
}

// A container that activates quickly hands its sinks over in one call and
// later disconnects them with the cookies it got back.
TEST_F(AutomationTest, QuickActivationConnectsTheContainersSinks) {
    RecordingSink sink(control);
    ScopedComPtr<IQuickActivate> quick;
    ASSERT_EQ(control->QueryInterface(IID_IQuickActivate, reinterpret_cast<void**>(quick.Receive())), S_OK);
    QACONTAINER container{};
    container.cbSize = sizeof(container);
    container.pUnkEventSink = static_cast<IDispatch*>(&sink);
    container.pPropertyNotifySink = &sink;
    QACONTROL answer{};
    answer.cbSize = sizeof(answer);
    // Structures shorter than the first version are refused.
    container.cbSize = 8;
    EXPECT_EQ(quick->QuickActivate(&container, &answer), E_INVALIDARG);
    container.cbSize = sizeof(container);
    ASSERT_EQ(quick->QuickActivate(&container, &answer), S_OK);

    ScopedComPtr<IOleObject> object;
    ASSERT_EQ(control->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(object.Receive())), S_OK);
    DWORD status = 0;
    object->GetMiscStatus(DVASPECT_CONTENT, &status);
    EXPECT_EQ(answer.dwMiscStatus, status);
    EXPECT_NE(answer.dwEventCookie, 0u);
    EXPECT_NE(answer.dwPropNotifyCookie, 0u);
    Call(control, L"AddRow");
    sink.TakeLog();
    Put(control, L"SelectedRow", Var(2L));
    EXPECT_EQ(sink.TakeLog(), (Log{"RowPressed 0 0 ASC", "OnChanged SelectedRow"}));

    ScopedComPtr<IConnectionPointContainer> points;
    ASSERT_EQ(control->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(points.Receive())), S_OK);
    for (const auto& [id, cookie] : {std::pair{DIID___LumoraListControl, answer.dwEventCookie},
                                     std::pair{IID_IPropertyNotifySink, answer.dwPropNotifyCookie}}) {
        ScopedComPtr<IConnectionPoint> point;
        ASSERT_EQ(points->FindConnectionPoint(id, point.Receive()), S_OK);
        EXPECT_EQ(point->Unadvise(cookie), S_OK);
    }
    EXPECT_EQ(sink.references(), 1u);
    SIZEL extent{};
    EXPECT_EQ(quick->GetContentExtent(&extent), S_OK);
    EXPECT_GT(extent.cy, 0);
}

TEST_F(AutomationTest, EventHandlersMayCallBackIntoTheControl) {
    RecordingSink sink(control);
    sink.Connect();
    Call(control, L"AddRow");
    sink.onEvent = [&](DISPID, std::vector<VARIANT*>&) { Put(control, L"HeaderHeight", Var(30L)); };
    sink.TakeLog();

    Put(control, L"SelectedRow", Var(2L));

    EXPECT_EQ(sink.TakeLog(), (Log{"RowPressed 0 0 ASC", "OnChanged HeaderHeight", "OnChanged SelectedRow"}));
    EXPECT_EQ(Read(L"HeaderHeight"), "I4 30");
    sink.Disconnect();
}

TEST_F(AutomationTest, ClassInfoNamesTheDefaultEventInterface) {
    IProvideClassInfo2* classInfo = nullptr;
    ASSERT_EQ(control->QueryInterface(IID_IProvideClassInfo2, reinterpret_cast<void**>(&classInfo)), S_OK);
    GUID events{};
    EXPECT_EQ(classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events), S_OK);
    EXPECT_TRUE(IsEqualGUID(events, DIID___LumoraListControl));
    ITypeInfo* info = nullptr;
    ASSERT_EQ(classInfo->GetClassInfo(&info), S_OK);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attributes), S_OK);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, CLSID_LumoraListControl));
    info->ReleaseTypeAttr(attributes);
    info->Release();
    classInfo->Release();
}

}  // namespace
}  // namespace lumora::server::testing
