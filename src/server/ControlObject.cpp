// SPDX-License-Identifier: MIT
// The control as a COM object: a thin shell over LumoraListControl that
// speaks the dual interface through the type library, raises the events to
// connected sinks, tells property-notify sinks what changed, and saves and
// loads itself through property bags, streams and storages.
#include "ControlObject.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <new>
#include <utility>
#include <vector>

#include "lumora/control/LumoraListControl.h"
#include "lumora/runtime/RuntimeError.h"

#include "ComErrorInfo.h"
#include "ComVariant.h"
#include "ConnectionPoints.h"
#include "ControlCore.h"
#include "ControlPersistence.h"
#include "DorvaneLumoraStyleList.h"
#include "PageObject.h"
#include "ServerModule.h"
#include "ServerRegistration.h"
#include "WindowSite.h"
#include "platform/win32/ScopedComPtr.h"

namespace lumora::server {
namespace {

using win32::ScopedComPtr;

// The stream a storage keeps the control's saved state in.
constexpr wchar_t kContentsStream[] = L"Contents";
constexpr double kHimetricPerInch = 2540.0;
// AddRow's DISPID and its three optional arguments in order.
constexpr DISPID kAddRow = 0x6003002E;
constexpr UINT kAddRowArguments = 3;

class ControlObject final : public _LumoraListControl,
                            public IProvideClassInfo2,
                            public ISupportErrorInfo,
                            public IConnectionPointContainer,
                            public IPersistStreamInit,
                            public IPersistPropertyBag,
                            public IPersistStorage,
                            public IOleObject,
                            public IOleInPlaceObject,
                            public IOleInPlaceActiveObject,
                            public IOleControl,
                            public IViewObject2,
                            public ISpecifyPropertyPages,
                            public IQuickActivate,
                            public IControlCore,
                            private ISiteOwner,
                            private IContainerLink {
public:
    ControlObject()
        : events_(Identity(), *this, DIID___LumoraListControl),
          propertyNotify_(Identity(), *this, IID_IPropertyNotifySink),
          eventSource_(events_),
          site_(*this, *this),
          control_(site_) {
        site_.Attach(&control_);
        control_.Advise(&eventSource_);
    }
    ControlObject(const ControlObject&) = delete;
    ControlObject& operator=(const ControlObject&) = delete;

    // Loads the type information the object answers with.
    HRESULT Initialise();

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ::InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = ::InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return left;
    }

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT* argumentError) override;

    // _LumoraListControl, in interface order.
    HRESULT STDMETHODCALLTYPE get_HeaderHeight(LONG* value) override {
        return Get(value, [&] { return control_.get_HeaderHeight(); });
    }
    HRESULT STDMETHODCALLTYPE put_HeaderHeight(LONG value) override {
        return Run([&] { control_.put_HeaderHeight(value); });
    }
    HRESULT STDMETHODCALLTYPE get_BackColor(::OLE_COLOR* value) override {
        return Get(value, [&] { return control_.get_BackColor(); });
    }
    HRESULT STDMETHODCALLTYPE put_BackColor(::OLE_COLOR value) override {
        return Run([&] { control_.put_BackColor(value); });
    }
    HRESULT STDMETHODCALLTYPE get_ForeColor(::OLE_COLOR* value) override {
        return Get(value, [&] { return control_.get_ForeColor(); });
    }
    HRESULT STDMETHODCALLTYPE put_ForeColor(::OLE_COLOR value) override {
        return Run([&] { control_.put_ForeColor(value); });
    }
    HRESULT STDMETHODCALLTYPE get_ForeColorActive(::OLE_COLOR* value) override {
        return Get(value, [&] { return control_.get_ForeColorActive(); });
    }
    HRESULT STDMETHODCALLTYPE put_ForeColorActive(::OLE_COLOR value) override {
        return Run([&] { control_.put_ForeColorActive(value); });
    }
    HRESULT STDMETHODCALLTYPE get_BackColorForm(::OLE_COLOR* value) override {
        return Get(value, [&] { return control_.get_BackColorForm(); });
    }
    HRESULT STDMETHODCALLTYPE put_BackColorForm(::OLE_COLOR value) override {
        return Run([&] { control_.put_BackColorForm(value); });
    }
    HRESULT STDMETHODCALLTYPE get_MouseMoveColor0(::OLE_COLOR* value) override {
        return Get(value, [&] { return control_.get_MouseMoveColor0(); });
    }
    HRESULT STDMETHODCALLTYPE put_MouseMoveColor0(::OLE_COLOR value) override {
        return Run([&] { control_.put_MouseMoveColor0(value); });
    }
    HRESULT STDMETHODCALLTYPE get_MouseMoveColor1(::OLE_COLOR* value) override {
        return Get(value, [&] { return control_.get_MouseMoveColor1(); });
    }
    HRESULT STDMETHODCALLTYPE put_MouseMoveColor1(::OLE_COLOR value) override {
        return Run([&] { control_.put_MouseMoveColor1(value); });
    }
    HRESULT STDMETHODCALLTYPE get_MouseMoveColor2(::OLE_COLOR* value) override {
        return Get(value, [&] { return control_.get_MouseMoveColor2(); });
    }
    HRESULT STDMETHODCALLTYPE put_MouseMoveColor2(::OLE_COLOR value) override {
        return Run([&] { control_.put_MouseMoveColor2(value); });
    }
    HRESULT STDMETHODCALLTYPE put_RegisterFocusColor0(::OLE_COLOR value) override {
        return Run([&] { control_.put_RegisterFocusColor0(value); });
    }
    HRESULT STDMETHODCALLTYPE get_RegisterFocusColor0(::OLE_COLOR* value) override {
        return Get(value, [&] { return control_.get_RegisterFocusColor0(); });
    }
    HRESULT STDMETHODCALLTYPE put_RegisterFocusColor1(::OLE_COLOR value) override {
        return Run([&] { control_.put_RegisterFocusColor1(value); });
    }
    HRESULT STDMETHODCALLTYPE get_RegisterFocusColor1(::OLE_COLOR* value) override {
        return Get(value, [&] { return control_.get_RegisterFocusColor1(); });
    }
    HRESULT STDMETHODCALLTYPE put_RegisterFocusColor2(::OLE_COLOR value) override {
        return Run([&] { control_.put_RegisterFocusColor2(value); });
    }
    HRESULT STDMETHODCALLTYPE get_RegisterFocusColor2(::OLE_COLOR* value) override {
        return Get(value, [&] { return control_.get_RegisterFocusColor2(); });
    }
    HRESULT STDMETHODCALLTYPE get_FrameColor(::OLE_COLOR* value) override {
        return Get(value, [&] { return control_.get_FrameColor(); });
    }
    HRESULT STDMETHODCALLTYPE put_FrameColor(::OLE_COLOR value) override {
        return Run([&] { control_.put_FrameColor(value); });
    }
    HRESULT STDMETHODCALLTYPE get_RowWidth(LONG index, LONG* value) override {
        return Get(value, [&] { return control_.get_RowWidth(index); });
    }
    HRESULT STDMETHODCALLTYPE put_RowWidth(LONG index, LONG value) override {
        return Run([&] { control_.put_RowWidth(index, value); });
    }
    HRESULT STDMETHODCALLTYPE get_RowCaption(LONG index, BSTR* value) override {
        return Get(value, [&] { return AllocBstr(control_.get_RowCaption(index)); });
    }
    HRESULT STDMETHODCALLTYPE put_RowCaption(LONG index, BSTR value) override {
        return Run([&] { control_.put_RowCaption(index, StringFromBstr(value)); });
    }
    HRESULT STDMETHODCALLTYPE get_RowSorted(LONG index, VARIANT_BOOL* value) override {
        return Get(value, [&] { return control_.get_RowSorted(index); });
    }
    HRESULT STDMETHODCALLTYPE put_RowSorted(LONG index, VARIANT_BOOL value) override {
        return Run([&] { control_.put_RowSorted(index, value); });
    }
    HRESULT STDMETHODCALLTYPE get_RowPicture(LONG index, IPictureDisp** value) override {
        return Get(value, [&] { return DispatchFromPicture(control_.get_RowPicture(index)); });
    }
    HRESULT STDMETHODCALLTYPE putref_RowPicture(LONG index, IPictureDisp* value) override {
        return Run([&] { control_.putref_RowPicture(index, PictureFromDispatch(value)); });
    }
    HRESULT STDMETHODCALLTYPE get_Font(IFontDisp** value) override {
        return Get(value, [&] { return DispatchFromFont(control_.get_Font()); });
    }
    HRESULT STDMETHODCALLTYPE putref_Font(IFontDisp* value) override {
        return Run([&] { control_.putref_Font(FontFromDispatch(value)); });
    }
    HRESULT STDMETHODCALLTYPE get_FontBold(VARIANT_BOOL* value) override {
        return Get(value, [&] { return control_.get_FontBold(); });
    }
    HRESULT STDMETHODCALLTYPE put_FontBold(VARIANT_BOOL value) override {
        return Run([&] { control_.put_FontBold(value); });
    }
    HRESULT STDMETHODCALLTYPE get_FontItalic(VARIANT_BOOL* value) override {
        return Get(value, [&] { return control_.get_FontItalic(); });
    }
    HRESULT STDMETHODCALLTYPE put_FontItalic(VARIANT_BOOL value) override {
        return Run([&] { control_.put_FontItalic(value); });
    }
    HRESULT STDMETHODCALLTYPE get_FontStrikethru(VARIANT_BOOL* value) override {
        return Get(value, [&] { return control_.get_FontStrikethru(); });
    }
    HRESULT STDMETHODCALLTYPE put_FontStrikethru(VARIANT_BOOL value) override {
        return Run([&] { control_.put_FontStrikethru(value); });
    }
    HRESULT STDMETHODCALLTYPE get_FontUnderline(VARIANT_BOOL* value) override {
        return Get(value, [&] { return control_.get_FontUnderline(); });
    }
    HRESULT STDMETHODCALLTYPE put_FontUnderline(VARIANT_BOOL value) override {
        return Run([&] { control_.put_FontUnderline(value); });
    }
    HRESULT STDMETHODCALLTYPE get_FontSize(float* value) override {
        return Get(value, [&] { return control_.get_FontSize(); });
    }
    HRESULT STDMETHODCALLTYPE put_FontSize(float value) override {
        return Run([&] { control_.put_FontSize(value); });
    }
    HRESULT STDMETHODCALLTYPE get_FontName(BSTR* value) override {
        return Get(value, [&] { return AllocBstr(control_.get_FontName()); });
    }
    HRESULT STDMETHODCALLTYPE put_FontName(BSTR value) override {
        return Run([&] { control_.put_FontName(StringFromBstr(value)); });
    }
    HRESULT STDMETHODCALLTYPE get_MaskColor(::OLE_COLOR* value) override {
        return Get(value, [&] { return control_.get_MaskColor(); });
    }
    HRESULT STDMETHODCALLTYPE put_MaskColor(::OLE_COLOR value) override {
        return Run([&] { control_.put_MaskColor(value); });
    }
    HRESULT STDMETHODCALLTYPE get_NumberOfRows(LONG* value) override {
        return Get(value, [&] { return control_.get_NumberOfRows(); });
    }
    HRESULT STDMETHODCALLTYPE get_Alignment(::eTabAlignment* value) override {
        return Get(value, [&] { return static_cast<::eTabAlignment>(control_.get_Alignment()); });
    }
    HRESULT STDMETHODCALLTYPE put_Alignment(::eTabAlignment value) override {
        return Run([&] { control_.put_Alignment(static_cast<lumora::eTabAlignment>(value)); });
    }
    HRESULT STDMETHODCALLTYPE get_ForeColorHot(::OLE_COLOR* value) override {
        return Get(value, [&] { return control_.get_ForeColorHot(); });
    }
    HRESULT STDMETHODCALLTYPE put_ForeColorHot(::OLE_COLOR value) override {
        return Run([&] { control_.put_ForeColorHot(value); });
    }
    HRESULT STDMETHODCALLTYPE get_SortedRow(LONG* value) override {
        return Get(value, [&] { return control_.get_SortedRow(); });
    }
    HRESULT STDMETHODCALLTYPE put_SortedRow(LONG value) override {
        return Run([&] { control_.put_SortedRow(value); });
    }
    HRESULT STDMETHODCALLTYPE get_ShowFrame(VARIANT_BOOL* value) override {
        return Get(value, [&] { return control_.get_ShowFrame(); });
    }
    HRESULT STDMETHODCALLTYPE put_ShowFrame(VARIANT_BOOL value) override {
        return Run([&] { control_.put_ShowFrame(value); });
    }
    HRESULT STDMETHODCALLTYPE get_ShowSortPic(VARIANT_BOOL* value) override {
        return Get(value, [&] { return control_.get_ShowSortPic(); });
    }
    HRESULT STDMETHODCALLTYPE put_ShowSortPic(VARIANT_BOOL value) override {
        return Run([&] { control_.put_ShowSortPic(value); });
    }
    HRESULT STDMETHODCALLTYPE get_ColumnWidths(BSTR* value) override {
        return Get(value, [&] { return AllocBstr(control_.get_ColumnWidths()); });
    }
    HRESULT STDMETHODCALLTYPE put_ColumnWidths(BSTR value) override {
        return Run([&] { control_.put_ColumnWidths(StringFromBstr(value)); });
    }
    HRESULT STDMETHODCALLTYPE get_SelectedRow(LONG* value) override {
        return Get(value, [&] { return control_.get_SelectedRow(); });
    }
    HRESULT STDMETHODCALLTYPE put_SelectedRow(LONG value) override {
        return Run([&] { control_.put_SelectedRow(value); });
    }
    HRESULT STDMETHODCALLTYPE DrawTab() override {
        return Run([&] { control_.DrawTab(); });
    }
    HRESULT STDMETHODCALLTYPE DrawTabTop() override {
        return Run([&] { control_.DrawTabTop(); });
    }
    HRESULT STDMETHODCALLTYPE AddRow(LONG* iTabWidth, BSTR* sTabText, IPictureDisp** pTabPicture,
                                     LONG* result) override;
    HRESULT STDMETHODCALLTYPE DeleteRow(VARIANT* result) override;
    HRESULT STDMETHODCALLTYPE GetPictureSize(IPictureDisp** pPicture, float* picX, float* picY) override;
    HRESULT STDMETHODCALLTYPE SetTabAccessKeys() override {
        return Run([&] { control_.SetTabAccessKeys(); });
    }
    HRESULT STDMETHODCALLTYPE GetTabAccessKey(short* iKey, LONG* result) override {
        if (!iKey) return E_POINTER;
        return Get(result, [&] { return control_.GetTabAccessKey(*iKey); });
    }
    HRESULT STDMETHODCALLTYPE ShowAboutBox() override {
        return Run([&] { control_.ShowAboutBox(); });
    }

    // IProvideClassInfo2
    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetGUID(DWORD kind, GUID* guid) override;

    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override {
        return IsEqualIID(riid, IID__LumoraListControl) ? S_OK : S_FALSE;
    }

    // IConnectionPointContainer
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override {
        return EnumerateConnectionPoints({&events_, &propertyNotify_}, points);
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;

    // IPersist, through every persistence interface.
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override {
        if (!clsid) return E_POINTER;
        *clsid = CLSID_LumoraListControl;
        return S_OK;
    }
    // IPersistStreamInit
    HRESULT STDMETHODCALLTYPE IsDirty() override { return dirty_ ? S_OK : S_FALSE; }
    HRESULT STDMETHODCALLTYPE Load(IStream* stream) override;
    HRESULT STDMETHODCALLTYPE Save(IStream* stream, BOOL clearDirty) override;
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;
    HRESULT STDMETHODCALLTYPE InitNew() override { return InitialiseAsNew(); }
    // IPersistPropertyBag
    HRESULT STDMETHODCALLTYPE Load(::IPropertyBag* bag, IErrorLog* log) override;
    HRESULT STDMETHODCALLTYPE Save(::IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override;
    // IPersistStorage
    HRESULT STDMETHODCALLTYPE InitNew(IStorage*) override { return InitialiseAsNew(); }
    HRESULT STDMETHODCALLTYPE Load(IStorage* storage) override;
    HRESULT STDMETHODCALLTYPE Save(IStorage* storage, BOOL sameAsLoad) override;
    HRESULT STDMETHODCALLTYPE SaveCompleted(IStorage*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE HandsOffStorage() override { return S_OK; }

    // IOleObject: what a container needs before it activates the control.
    HRESULT STDMETHODCALLTYPE SetClientSite(IOleClientSite* site) override;
    HRESULT STDMETHODCALLTYPE GetClientSite(IOleClientSite** site) override;
    HRESULT STDMETHODCALLTYPE SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Close(DWORD saveOption) override;
    HRESULT STDMETHODCALLTYPE SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DoVerb(LONG verb, LPMSG, IOleClientSite* activeSite, LONG, ::HWND parent,
                                     LPCRECT position) override;
    HRESULT STDMETHODCALLTYPE EnumVerbs(IEnumOLEVERB**) override { return OLE_S_USEREG; }
    HRESULT STDMETHODCALLTYPE Update() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE IsUpToDate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetUserClassID(CLSID* clsid) override { return GetClassID(clsid); }
    HRESULT STDMETHODCALLTYPE GetUserType(DWORD, LPOLESTR*) override { return OLE_S_USEREG; }
    HRESULT STDMETHODCALLTYPE SetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT STDMETHODCALLTYPE Advise(IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD) override { return OLE_E_NOCONNECTION; }
    HRESULT STDMETHODCALLTYPE EnumAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetMiscStatus(DWORD aspect, DWORD* status) override;
    HRESULT STDMETHODCALLTYPE SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // In-place activation: the control's own child window in the
    // container's, through IOleInPlaceObject and IOleInPlaceActiveObject.
    // IOleWindow, through both.
    HRESULT STDMETHODCALLTYPE GetWindow(::HWND* window) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    // IOleInPlaceObject
    HRESULT STDMETHODCALLTYPE InPlaceDeactivate() override;
    HRESULT STDMETHODCALLTYPE UIDeactivate() override;
    HRESULT STDMETHODCALLTYPE SetObjectRects(LPCRECT position, LPCRECT clip) override;
    HRESULT STDMETHODCALLTYPE ReactivateAndUndo() override { return E_NOTIMPL; }
    // IOleInPlaceActiveObject: the control has no accelerators of its own
    // while it has the focus, no menus and no tool bars.
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }

    // IOleControl: the captions' access keys as the container's mnemonics.
    HRESULT STDMETHODCALLTYPE GetControlInfo(CONTROLINFO* info) override;
    HRESULT STDMETHODCALLTYPE OnMnemonic(MSG* message) override;
    HRESULT STDMETHODCALLTYPE OnAmbientPropertyChange(DISPID id) override;
    HRESULT STDMETHODCALLTYPE FreezeEvents(BOOL freeze) override {
        eventSource_.FreezeEvents(freeze != FALSE);
        return S_OK;
    }

    // IViewObject2: the strip drawn into any DC, for a designer's form or a
    // printout, from the same image the window shows.
    HRESULT STDMETHODCALLTYPE Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, ::HDC, ::HDC target, LPCRECTL bounds,
                                   LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override;
    HRESULT STDMETHODCALLTYPE GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, ::HDC, LOGPALETTE**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Unfreeze(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetAdvise(DWORD, DWORD, IAdviseSink*) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetAdvise(DWORD*, DWORD*, IAdviseSink**) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) override {
        return GetExtent(aspect, size);
    }

    // IQuickActivate: a container's site, event sink and notify sink handed
    // over in one call, as SetClientSite and the two Advise calls would.
    HRESULT STDMETHODCALLTYPE QuickActivate(QACONTAINER* container, QACONTROL* control) override;
    HRESULT STDMETHODCALLTYPE SetContentExtent(LPSIZEL size) override { return SetExtent(DVASPECT_CONTENT, size); }
    HRESULT STDMETHODCALLTYPE GetContentExtent(LPSIZEL size) override { return GetExtent(DVASPECT_CONTENT, size); }

    // ISpecifyPropertyPages and the control's pages' own way in.
    HRESULT STDMETHODCALLTYPE GetPages(CAUUID* pages) override;
    LumoraListControl* STDMETHODCALLTYPE Core() override {
        Run([] {});
        return &control_;
    }

private:
    ~ControlObject();

    IUnknown& Identity() noexcept { return *static_cast<_LumoraListControl*>(this); }

    // ISiteOwner
    void OnPropertyChanged(const String& name) override;
    FontPtr ContainerFont() override;
    // One ambient property of the container's site, when it offers them.
    bool ReadAmbient(DISPID id, VARIANT* value);
    // While the container's form is being designed (its UserMode is
    // False) nobody handles the control's events, so none are raised.
    void FollowUserMode();

    // Runs one member: a control created without InitNew or Load (a script's
    // CreateObject) starts as a new control on its first call, and a
    // runtime error becomes the error object and the control-facility result.
    template <typename Body>
    HRESULT Run(Body&& body) noexcept;
    template <typename T, typename Body>
    HRESULT Get(T* value, Body&& body) noexcept {
        if (!value) return E_POINTER;
        return Run([&] { *value = body(); });
    }
    HRESULT InitialiseAsNew();
    // AddRow through IDispatch, with its arguments matched here: the
    // system's type-driven dispatch does not give every by-reference
    // optional argument its default when it is left out.
    HRESULT InvokeAddRow(WORD flags, DISPPARAMS* params, VARIANT* result, UINT* argumentError);
    // The property's DISPID, or DISPID_UNKNOWN for a name the interface
    // does not have.
    DISPID DispidOf(const String& name);

    // IContainerLink
    void RequestPosition(const ::RECT& position) override;
    void FocusChanged(bool gotFocus) override;
    void AccessKeysChanged() override;
    // Activates the control in place in the container's site (creating its
    // window) and, when ui is set, makes it the UI-active object with the
    // focus.
    HRESULT ActivateInPlace(IOleClientSite* activeSite, ::HWND parent, LPCRECT position, bool ui);
    HRESULT ShowPropertyPages(::HWND parent);
    // The container's IOleControlSite, when it has one.
    ScopedComPtr<IOleControlSite> ControlSite();
    // Builds the accelerator table of the captions' access keys anew.
    void BuildAccelerators();
    // The access key a matched mnemonic stands for: the character Alt
    // typed, or the caption key on the key Alt pressed; 0 when none.
    char16_t AccessKeyOfMessage(const MSG& message);

    ModuleReference module_;
    LONG references_ = 1;
    ScopedComPtr<ITypeLib> library_;
    ScopedComPtr<ITypeInfo> dispatchInfo_;
    ScopedComPtr<ITypeInfo> vtableInfo_;
    ConnectionPoint events_;
    ConnectionPoint propertyNotify_;
    ControlEventSource eventSource_;
    ScopedComPtr<IOleClientSite> clientSite_;
    WindowSite site_;
    LumoraListControl control_;
    ScopedComPtr<IOleInPlaceSite> inPlaceSite_;
    ScopedComPtr<IOleInPlaceFrame> frame_;
    ScopedComPtr<IOleInPlaceUIWindow> document_;
    bool uiActive_ = false;
    // The access keys as Alt+key accelerators, for GetControlInfo, and the
    // entries it holds, for OnMnemonic.
    ::HACCEL accelerators_ = nullptr;
    std::vector<ACCEL> acceleratorTable_;
    bool initialised_ = false;
    bool dirty_ = false;
    bool designMode_ = false;
};

ControlObject::~ControlObject() {
    // The window's last messages must not reach a control that is going.
    site_.DestroyChildWindow();
    site_.Attach(nullptr);
    if (accelerators_) ::DestroyAcceleratorTable(accelerators_);
    control_.Advise(nullptr);
    control_.Terminate();
    events_.DisconnectAll();
    propertyNotify_.DisconnectAll();
}

HRESULT ControlObject::Initialise() {
    HRESULT hr = LoadServerTypeLibrary(library_.Receive());
    if (FAILED(hr)) return hr;
    hr = library_->GetTypeInfoOfGuid(IID__LumoraListControl, dispatchInfo_.Receive());
    if (FAILED(hr)) return hr;
    // The dual interface's type information describes its dispatch half;
    // the vtable half is the one ITypeInfo::Invoke calls through.
    HREFTYPE vtable = 0;
    hr = dispatchInfo_->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtable);
    if (FAILED(hr)) return hr;
    return dispatchInfo_->GetRefTypeInfo(vtable, vtableInfo_.Receive());
}

HRESULT STDMETHODCALLTYPE ControlObject::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    void* result = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, IID__LumoraListControl))
        result = static_cast<_LumoraListControl*>(this);
    else if (IsEqualIID(riid, IID_IProvideClassInfo) || IsEqualIID(riid, IID_IProvideClassInfo2))
        result = static_cast<IProvideClassInfo2*>(this);
    else if (IsEqualIID(riid, IID_ISupportErrorInfo))
        result = static_cast<ISupportErrorInfo*>(this);
    else if (IsEqualIID(riid, IID_IConnectionPointContainer))
        result = static_cast<IConnectionPointContainer*>(this);
    else if (IsEqualIID(riid, IID_IPersist) || IsEqualIID(riid, IID_IPersistStreamInit))
        result = static_cast<IPersistStreamInit*>(this);
    else if (IsEqualIID(riid, IID_IPersistPropertyBag))
        result = static_cast<IPersistPropertyBag*>(this);
    else if (IsEqualIID(riid, IID_IPersistStorage))
        result = static_cast<IPersistStorage*>(this);
    else if (IsEqualIID(riid, IID_IOleObject))
        result = static_cast<IOleObject*>(this);
    else if (IsEqualIID(riid, IID_IOleWindow) || IsEqualIID(riid, IID_IOleInPlaceObject))
        result = static_cast<IOleInPlaceObject*>(this);
    else if (IsEqualIID(riid, IID_IOleInPlaceActiveObject))
        result = static_cast<IOleInPlaceActiveObject*>(this);
    else if (IsEqualIID(riid, IID_IOleControl))
        result = static_cast<IOleControl*>(this);
    else if (IsEqualIID(riid, IID_IViewObject) || IsEqualIID(riid, IID_IViewObject2))
        result = static_cast<IViewObject2*>(this);
    else if (IsEqualIID(riid, IID_ISpecifyPropertyPages))
        result = static_cast<ISpecifyPropertyPages*>(this);
    else if (IsEqualIID(riid, IID_IQuickActivate))
        result = static_cast<IQuickActivate*>(this);
    else if (IsEqualIID(riid, kControlCoreId))
        result = static_cast<IControlCore*>(this);
    *object = result;
    if (!result) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ControlObject::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ControlObject::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    dispatchInfo_->AddRef();
    *info = dispatchInfo_.get();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ControlObject::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    return ::DispGetIDsOfNames(dispatchInfo_.get(), names, count, ids);
}

HRESULT STDMETHODCALLTYPE ControlObject::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                                VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    ::SetErrorInfo(0, nullptr);
    // Hold the object through the call: an event handler may release the
    // caller's last reference.
    AddRef();
    HRESULT hr = id == kAddRow ? InvokeAddRow(flags, params, result, argumentError)
                               : vtableInfo_->Invoke(static_cast<_LumoraListControl*>(this), id, flags, params, result,
                                                     exception, argumentError);
    // A member's runtime error reaches a late-bound caller as an exception
    // with the error object's source and description.
    if (FAILED(hr) && HRESULT_FACILITY(hr) == FACILITY_CONTROL) {
        FillExcepInfo(hr, exception);
        hr = DISP_E_EXCEPTION;
    }
    Release();
    return hr;
}

template <typename Body>
HRESULT ControlObject::Run(Body&& body) noexcept {
    ::SetErrorInfo(0, nullptr);
    const WindowSite::ChangeBatch batch(site_);
    try {
        if (!initialised_) {
            initialised_ = true;
            control_.InitProperties();
            dirty_ = false;
        }
        body();
        return S_OK;
    } catch (const RuntimeError& error) {
        return ReportRuntimeError(error.number(), DescribeError(error.number()));
    } catch (const std::bad_alloc&) {
        return ReportRuntimeError(err::kOutOfMemory, DescribeError(err::kOutOfMemory));
    }
}

HRESULT STDMETHODCALLTYPE ControlObject::AddRow(LONG* iTabWidth, BSTR* sTabText, IPictureDisp** pTabPicture,
                                                LONG* result) {
    if (!result) return E_POINTER;
    return Run([&] {
        // Arguments left out stand for their defaults, and the member writes
        // back into the ones given.
        Long width = iTabWidth ? *iTabWidth : 60;
        String text = sTabText ? StringFromBstr(*sTabText) : String();
        PicturePtr picture = pTabPicture ? PictureFromDispatch(*pTabPicture) : nullptr;
        *result = control_.AddRow(width, text, picture);
        if (iTabWidth) *iTabWidth = width;
        if (sTabText) {
            BSTR written = AllocBstr(text);
            ::SysFreeString(*sTabText);
            *sTabText = written;
        }
        if (pTabPicture) {
            IPictureDisp* written = DispatchFromPicture(picture);
            if (*pTabPicture) (*pTabPicture)->Release();
            *pTabPicture = written;
        }
    });
}

namespace {

// One of AddRow's arguments as the caller passed it: missing, by value, or
// by reference to a typed variable or to a Variant.
class AddRowArgument {
public:
    explicit AddRowArgument(VARIANT* given) : given_(given) {
        if (given_ && V_VT(given_) == (VT_BYREF | VT_VARIANT)) {
            given_ = V_VARIANTREF(given_);
            variantVariable_ = true;
        }
        if (given_ && V_VT(given_) == VT_ERROR && V_ERROR(given_) == DISP_E_PARAMNOTFOUND) given_ = nullptr;
    }

    bool missing() const noexcept { return given_ == nullptr; }
    // The value converted to type, as the runtime converts arguments.
    HRESULT Read(VARTYPE type, VARIANT* value) const {
        ScopedVariant plain;
        HRESULT hr = ::VariantCopyInd(plain.get(), given_);
        if (FAILED(hr)) return hr;
        if (type == VT_DISPATCH && (V_VT(plain.get()) == VT_EMPTY || V_VT(plain.get()) == VT_NULL)) {
            V_VT(value) = VT_DISPATCH;
            V_DISPATCH(value) = nullptr;
            return S_OK;
        }
        return ::VariantChangeType(value, plain.get(), 0, type);
    }
    // What AddRow wrote back, for a caller that passed a variable: a
    // Variant variable takes the value as it is, a typed one in its type.
    void WriteBack(const VARIANT& value) const {
        if (!given_) return;
        if (variantVariable_) {
            ::VariantCopy(given_, const_cast<VARIANT*>(&value));
            return;
        }
        if (!(V_VT(given_) & VT_BYREF)) return;
        ScopedVariant converted;
        if (FAILED(::VariantChangeType(converted.get(), const_cast<VARIANT*>(&value), 0,
                                       static_cast<VARTYPE>(V_VT(given_) & ~VT_BYREF))))
            return;
        VARIANT* result = converted.get();
        switch (V_VT(given_) & ~VT_BYREF) {
            case VT_I2:
                *V_I2REF(given_) = V_I2(result);
                break;
            case VT_I4:
                *V_I4REF(given_) = V_I4(result);
                break;
            case VT_R4:
                *V_R4REF(given_) = V_R4(result);
                break;
            case VT_R8:
                *V_R8REF(given_) = V_R8(result);
                break;
            case VT_BSTR:
                ::SysFreeString(*V_BSTRREF(given_));
                *V_BSTRREF(given_) = V_BSTR(result);
                V_VT(result) = VT_EMPTY;
                break;
            case VT_DISPATCH:
                if (*V_DISPATCHREF(given_)) (*V_DISPATCHREF(given_))->Release();
                *V_DISPATCHREF(given_) = V_DISPATCH(result);
                V_VT(result) = VT_EMPTY;
                break;
            default:
                break;
        }
    }

private:
    VARIANT* given_;
    bool variantVariable_ = false;
};

}  // namespace

HRESULT ControlObject::InvokeAddRow(WORD flags, DISPPARAMS* params, VARIANT* result, UINT* argumentError) {
    if (!(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET))) return DISP_E_MEMBERNOTFOUND;
    if (!params || params->cArgs > kAddRowArguments || params->cNamedArgs > params->cArgs) return DISP_E_BADPARAMCOUNT;
    // Positional arguments come last in rgvarg, in reverse; named ones
    // first, each with its position.
    VARIANT* given[kAddRowArguments] = {};
    const UINT positional = params->cArgs - params->cNamedArgs;
    for (UINT i = 0; i < positional; ++i) given[i] = &params->rgvarg[params->cArgs - 1 - i];
    for (UINT i = 0; i < params->cNamedArgs; ++i) {
        const DISPID position = params->rgdispidNamedArgs[i];
        if (position < 0 || position >= static_cast<DISPID>(kAddRowArguments) || given[position]) {
            if (argumentError) *argumentError = i;
            return DISP_E_PARAMNOTFOUND;
        }
        given[position] = &params->rgvarg[i];
    }
    const AddRowArgument width(given[0]);
    const AddRowArgument text(given[1]);
    const AddRowArgument picture(given[2]);
    ScopedVariant widthValue;
    ScopedVariant textValue;
    ScopedVariant pictureValue;
    V_VT(widthValue.get()) = VT_I4;
    V_I4(widthValue.get()) = 60;
    V_VT(textValue.get()) = VT_BSTR;
    V_BSTR(textValue.get()) = ::SysAllocString(L"");
    V_VT(pictureValue.get()) = VT_DISPATCH;
    V_DISPATCH(pictureValue.get()) = nullptr;
    const struct {
        const AddRowArgument& argument;
        VARTYPE type;
        VARIANT* value;
    } arguments[] = {
        {width, VT_I4, widthValue.get()}, {text, VT_BSTR, textValue.get()}, {picture, VT_DISPATCH, pictureValue.get()}};
    for (UINT i = 0; i < kAddRowArguments; ++i) {
        if (arguments[i].argument.missing()) continue;
        ::VariantClear(arguments[i].value);
        if (FAILED(arguments[i].argument.Read(arguments[i].type, arguments[i].value))) {
            // Positions count from the last argument, as rgvarg does.
            if (argumentError) *argumentError = params->cArgs - 1 - i;
            return DISP_E_TYPEMISMATCH;
        }
    }
    IPictureDisp* pictureDisp = nullptr;
    if (V_DISPATCH(pictureValue.get()) &&
        FAILED(
            V_DISPATCH(pictureValue.get())->QueryInterface(IID_IPictureDisp, reinterpret_cast<void**>(&pictureDisp))))
        return ReportRuntimeError(err::kInvalidPicture, DescribeError(err::kInvalidPicture));
    LONG column = 0;
    const HRESULT hr = AddRow(&V_I4(widthValue.get()), &V_BSTR(textValue.get()), &pictureDisp, &column);
    ::VariantClear(pictureValue.get());
    V_VT(pictureValue.get()) = VT_DISPATCH;
    V_DISPATCH(pictureValue.get()) = reinterpret_cast<IDispatch*>(pictureDisp);
    if (FAILED(hr)) return hr;
    for (const auto& argument : arguments) argument.argument.WriteBack(*argument.value);
    if (result) {
        ::VariantInit(result);
        V_VT(result) = VT_I4;
        V_I4(result) = column;
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ControlObject::DeleteRow(VARIANT* result) {
    if (!result) return E_POINTER;
    return Run([&] {
        const Variant value = control_.DeleteRow();
        ::VariantInit(result);
        VariantToCom(value, result);
    });
}

HRESULT STDMETHODCALLTYPE ControlObject::GetPictureSize(IPictureDisp** pPicture, float* picX, float* picY) {
    if (!pPicture || !picX || !picY) return E_POINTER;
    return Run([&] {
        Single x = *picX;
        Single y = *picY;
        control_.GetPictureSize(PictureFromDispatch(*pPicture), x, y);
        *picX = x;
        *picY = y;
    });
}

HRESULT STDMETHODCALLTYPE ControlObject::GetClassInfo(ITypeInfo** info) {
    if (!info) return E_POINTER;
    return library_->GetTypeInfoOfGuid(CLSID_LumoraListControl, info);
}

HRESULT STDMETHODCALLTYPE ControlObject::GetGUID(DWORD kind, GUID* guid) {
    if (!guid) return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
        *guid = GUID_NULL;
        return E_INVALIDARG;
    }
    *guid = DIID___LumoraListControl;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ControlObject::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
    if (!point) return E_POINTER;
    *point = nullptr;
    if (IsEqualIID(riid, DIID___LumoraListControl))
        *point = &events_;
    else if (IsEqualIID(riid, IID_IPropertyNotifySink))
        *point = &propertyNotify_;
    else
        return CONNECT_E_NOCONNECTION;
    (*point)->AddRef();
    return S_OK;
}

HRESULT ControlObject::InitialiseAsNew() {
    if (initialised_) return CO_E_ALREADYINITIALIZED;
    // Run initialises a fresh control before its body.
    const HRESULT hr = Run([] {});
    dirty_ = false;
    return hr;
}

HRESULT STDMETHODCALLTYPE ControlObject::Load(IStream* stream) {
    if (!stream) return E_POINTER;
    if (initialised_) return CO_E_ALREADYINITIALIZED;
    forms::MemoryPropertyBag bag;
    const HRESULT hr = ReadSavedState(*stream, bag);
    if (FAILED(hr)) return hr;
    initialised_ = true;
    control_.ReadProperties(bag);
    dirty_ = false;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ControlObject::Save(IStream* stream, BOOL clearDirty) {
    if (!stream) return E_POINTER;
    HRESULT hr = Run([] {});
    if (SUCCEEDED(hr)) hr = SaveControlToStream(control_, *stream);
    if (SUCCEEDED(hr) && clearDirty) dirty_ = false;
    return hr;
}

HRESULT STDMETHODCALLTYPE ControlObject::GetSizeMax(ULARGE_INTEGER* size) {
    if (!size) return E_POINTER;
    const HRESULT hr = Run([] {});
    return FAILED(hr) ? hr : SavedStateSize(control_, size);
}

HRESULT STDMETHODCALLTYPE ControlObject::Load(::IPropertyBag* bag, IErrorLog* log) {
    if (!bag) return E_POINTER;
    if (initialised_) return CO_E_ALREADYINITIALIZED;
    initialised_ = true;
    ContainerPropertyBag properties(*bag, log);
    // Loading skips whatever it cannot read, step by step; only a failure
    // outside the control's own steps gets here.
    try {
        control_.ReadProperties(properties);
    } catch (const RuntimeError& error) {
        return ReportRuntimeError(error.number(), DescribeError(error.number()));
    }
    dirty_ = false;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ControlObject::Save(::IPropertyBag* bag, BOOL clearDirty, BOOL) {
    if (!bag) return E_POINTER;
    ContainerPropertyBag properties(*bag, nullptr);
    const HRESULT hr = Run([&] { control_.WriteProperties(properties); });
    if (SUCCEEDED(hr) && clearDirty) dirty_ = false;
    return hr;
}

HRESULT STDMETHODCALLTYPE ControlObject::Load(IStorage* storage) {
    if (!storage) return E_POINTER;
    ScopedComPtr<IStream> stream;
    const HRESULT hr =
        storage->OpenStream(kContentsStream, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.Receive());
    if (FAILED(hr)) return hr;
    return Load(stream.get());
}

HRESULT STDMETHODCALLTYPE ControlObject::Save(IStorage* storage, BOOL) {
    if (!storage) return E_POINTER;
    ScopedComPtr<IStream> stream;
    const HRESULT hr =
        storage->CreateStream(kContentsStream, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0, stream.Receive());
    if (FAILED(hr)) return hr;
    return Save(stream.get(), TRUE);
}

HRESULT STDMETHODCALLTYPE ControlObject::SetClientSite(IOleClientSite* site) {
    if (site) site->AddRef();
    clientSite_.Reset();
    *clientSite_.Receive() = site;
    FollowUserMode();
    return S_OK;
}

void ControlObject::FollowUserMode() {
    ScopedVariant userMode;
    // Without the ambient property the control is in use, as in a script.
    const bool design = ReadAmbient(DISPID_AMBIENT_USERMODE, userMode.get()) && V_VT(userMode.get()) == VT_BOOL &&
                        V_BOOL(userMode.get()) == VARIANT_FALSE;
    if (design == designMode_) return;
    designMode_ = design;
    eventSource_.FreezeEvents(design);
}

HRESULT STDMETHODCALLTYPE ControlObject::GetClientSite(IOleClientSite** site) {
    if (!site) return E_POINTER;
    *site = clientSite_.get();
    if (*site) (*site)->AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ControlObject::SetExtent(DWORD aspect, SIZEL* size) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!size) return E_POINTER;
    // An active control's size is its window's, which SetObjectRects sets.
    if (site_.Window()) return S_OK;
    // Only the width is the container's: the control keeps its own height.
    const long long pixels =
        static_cast<long long>(size->cx) * ScreenDpi(LOGPIXELSX) / static_cast<long long>(kHimetricPerInch);
    return Run([&] { site_.SetWidth(static_cast<int>(std::clamp<long long>(pixels, 1, 32767))); });
}

HRESULT STDMETHODCALLTYPE ControlObject::GetExtent(DWORD aspect, SIZEL* size) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!size) return E_POINTER;
    size->cx = ::MulDiv(site_.Width(), static_cast<int>(kHimetricPerInch), ScreenDpi(LOGPIXELSX));
    size->cy = ::MulDiv(site_.Height(), static_cast<int>(kHimetricPerInch), ScreenDpi(LOGPIXELSY));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ControlObject::QuickActivate(QACONTAINER* container, QACONTROL* control) {
    if (!container || !control) return E_POINTER;
    // Older containers pass shorter structures; the members used here were
    // in the first one.
    if (container->cbSize < offsetof(QACONTAINER, pUnkEventSink) + sizeof(container->pUnkEventSink) ||
        control->cbSize < offsetof(QACONTROL, dwPointerActivationPolicy) + sizeof(control->dwPointerActivationPolicy))
        return E_INVALIDARG;
    const HRESULT hr = SetClientSite(container->pClientSite);
    if (FAILED(hr)) return hr;
    // A sink that is not what its point takes is left unconnected, as
    // Advise would refuse it; its cookie stays 0.
    DWORD eventCookie = 0;
    DWORD notifyCookie = 0;
    if (container->pUnkEventSink) events_.Advise(container->pUnkEventSink, &eventCookie);
    if (container->pPropertyNotifySink) propertyNotify_.Advise(container->pPropertyNotifySink, &notifyCookie);
    control->dwMiscStatus = kControlMiscStatus;
    control->dwViewStatus = 0;
    control->dwEventCookie = eventCookie;
    control->dwPropNotifyCookie = notifyCookie;
    control->dwPointerActivationPolicy = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ControlObject::GetMiscStatus(DWORD aspect, DWORD* status) {
    if (!status) return E_POINTER;
    *status = aspect == DVASPECT_CONTENT ? kControlMiscStatus : 0;
    return S_OK;
}

// In-place activation ---------------------------------------------------

HRESULT STDMETHODCALLTYPE ControlObject::DoVerb(LONG verb, LPMSG, IOleClientSite* activeSite, LONG, ::HWND parent,
                                                LPCRECT position) {
    switch (verb) {
        case OLEIVERB_INPLACEACTIVATE:
            return ActivateInPlace(activeSite, parent, position, false);
        case OLEIVERB_PRIMARY:
        case OLEIVERB_SHOW:
        case OLEIVERB_UIACTIVATE:
            return ActivateInPlace(activeSite, parent, position, true);
        case OLEIVERB_HIDE:
            UIDeactivate();
            if (site_.Window()) ::ShowWindow(site_.Window(), SW_HIDE);
            return S_OK;
        case OLEIVERB_PROPERTIES:
            return ShowPropertyPages(parent);
        default:
            return verb > 0 ? OLEOBJ_S_INVALIDVERB : E_NOTIMPL;
    }
}

HRESULT ControlObject::ActivateInPlace(IOleClientSite* activeSite, ::HWND parent, LPCRECT position, bool ui) {
    // A new control gets its properties before anything shows it.
    HRESULT hr = Run([] {});
    if (FAILED(hr)) return hr;
    if (!site_.Window()) {
        IOleClientSite* client = activeSite ? activeSite : clientSite_.get();
        if (!client) return E_UNEXPECTED;
        ScopedComPtr<IOleInPlaceSite> inPlace;
        hr = client->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(inPlace.Receive()));
        if (FAILED(hr)) return hr;
        if (inPlace->CanInPlaceActivate() != S_OK) return OLEOBJ_S_CANNOT_DOVERB_NOW;
        inPlace->OnInPlaceActivate();
        ::HWND container = parent;
        if (FAILED(inPlace->GetWindow(&container)) && !parent) return E_FAIL;
        OLEINPLACEFRAMEINFO frameInfo{};
        frameInfo.cb = sizeof(frameInfo);
        ::RECT place = position ? *position : ::RECT{};
        ::RECT clip{};
        frame_.Reset();
        document_.Reset();
        if (FAILED(inPlace->GetWindowContext(frame_.Receive(), document_.Receive(), &place, &clip, &frameInfo)) &&
            position)
            place = *position;
        // The window's first Resize may already ask the container for the
        // strip's height.
        inPlace->AddRef();
        *inPlaceSite_.Receive() = inPlace.get();
        if (!site_.CreateChildWindow(container, place)) {
            inPlaceSite_.Reset();
            inPlace->OnInPlaceDeactivate();
            return E_FAIL;
        }
    }
    ::ShowWindow(site_.Window(), SW_SHOWNA);
    if (!ui || uiActive_) return S_OK;
    uiActive_ = true;
    inPlaceSite_->OnUIActivate();
    if (frame_) frame_->SetActiveObject(this, nullptr);
    if (document_) document_->SetActiveObject(this, nullptr);
    if (::GetFocus() != site_.Window()) ::SetFocus(site_.Window());
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ControlObject::UIDeactivate() {
    if (!uiActive_) return S_OK;
    uiActive_ = false;
    if (frame_) frame_->SetActiveObject(nullptr, nullptr);
    if (document_) document_->SetActiveObject(nullptr, nullptr);
    if (inPlaceSite_) inPlaceSite_->OnUIDeactivate(FALSE);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ControlObject::InPlaceDeactivate() {
    if (!site_.Window()) return S_OK;
    UIDeactivate();
    site_.DestroyChildWindow();
    frame_.Reset();
    document_.Reset();
    if (inPlaceSite_) {
        // The site may let the control go from inside the call.
        AddRef();
        IOleInPlaceSite* site = inPlaceSite_.get();
        site->AddRef();
        inPlaceSite_.Reset();
        site->OnInPlaceDeactivate();
        site->Release();
        Release();
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ControlObject::Close(DWORD saveOption) {
    AddRef();
    InPlaceDeactivate();
    if (saveOption == OLECLOSE_SAVEIFDIRTY && dirty_ && clientSite_) clientSite_->SaveObject();
    Release();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ControlObject::SetObjectRects(LPCRECT position, LPCRECT) {
    if (!position) return E_POINTER;
    if (!site_.Window()) return OLE_E_NOT_INPLACEACTIVE;
    site_.Place(*position);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ControlObject::GetWindow(::HWND* window) {
    if (!window) return E_POINTER;
    *window = site_.Window();
    return *window ? S_OK : E_FAIL;
}

void ControlObject::RequestPosition(const ::RECT& position) {
    if (inPlaceSite_) inPlaceSite_->OnPosRectChange(&position);
}

ScopedComPtr<IOleControlSite> ControlObject::ControlSite() {
    ScopedComPtr<IOleControlSite> site;
    if (clientSite_) clientSite_->QueryInterface(IID_IOleControlSite, reinterpret_cast<void**>(site.Receive()));
    return site;
}

void ControlObject::FocusChanged(bool gotFocus) {
    if (const ScopedComPtr<IOleControlSite> site = ControlSite()) site->OnFocus(gotFocus ? TRUE : FALSE);
}

HRESULT ControlObject::ShowPropertyPages(::HWND parent) {
    ScopedComPtr<ISpecifyPropertyPages> specify;
    if (FAILED(QueryInterface(IID_ISpecifyPropertyPages, reinterpret_cast<void**>(specify.Receive()))))
        return E_NOTIMPL;
    CAUUID pages{};
    HRESULT hr = specify->GetPages(&pages);
    if (FAILED(hr)) return hr;
    IUnknown* objects[] = {static_cast<IOleObject*>(this)};
    hr = ::OleCreatePropertyFrame(parent ? parent : site_.Window(), 0, 0, L"LumoraListControl", 1, objects,
                                  pages.cElems, pages.pElems, LOCALE_USER_DEFAULT, 0, nullptr);
    ::CoTaskMemFree(pages.pElems);
    return hr;
}

// Access keys as mnemonics ------------------------------------------------

namespace {

// The virtual key that types character, or 0 when no key of the keyboard
// does.
WORD VirtualKeyOf(char16_t character) {
    if ((character >= u'a' && character <= u'z') || (character >= u'A' && character <= u'Z'))
        return static_cast<WORD>(character & ~0x20);
    if (character >= u'0' && character <= u'9') return static_cast<WORD>(character);
    const SHORT scan = ::VkKeyScanW(static_cast<WCHAR>(character));
    return scan == -1 ? 0 : static_cast<WORD>(scan & 0xFF);
}

// The character in the other case, or the character itself for a script
// without case (Han, Kana) and for signs.
char16_t OtherCase(char16_t character) {
    WCHAR upper = static_cast<WCHAR>(character);
    WCHAR lower = static_cast<WCHAR>(character);
    ::CharUpperBuffW(&upper, 1);
    ::CharLowerBuffW(&lower, 1);
    return static_cast<char16_t>(upper != character ? upper : lower);
}

bool IsSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

// The most entries CONTROLINFO can count.
constexpr std::size_t kMostAccelerators = std::numeric_limits<USHORT>::max();

void AddAccelerator(std::vector<ACCEL>& table, BYTE flags, WORD key) {
    if (table.size() >= kMostAccelerators) return;
    const bool known = std::any_of(table.begin(), table.end(),
                                   [&](const ACCEL& entry) { return entry.fVirt == flags && entry.key == key; });
    if (!known) table.push_back(ACCEL{flags, key, static_cast<WORD>(table.size() + 1)});
}

// Whether a key message a container handed on is Alt and one of the
// table's keys: the key itself for the virtual-key entries, the character
// it typed for the others.
bool MatchesAccelerator(const std::vector<ACCEL>& table, const MSG& message) {
    const bool typed = message.message == WM_SYSCHAR;
    const bool pressed = message.message == WM_SYSKEYDOWN;
    if (!typed && !pressed) return false;
    return std::any_of(table.begin(), table.end(), [&](const ACCEL& entry) {
        return entry.key == message.wParam && ((entry.fVirt & FVIRTKEY) != 0) == pressed;
    });
}

}  // namespace

void ControlObject::BuildAccelerators() {
    // Each key is offered twice over: as the keyboard's own key, for
    // containers that match the key press, and as the character in both
    // cases, for containers that match what Alt and the key typed; only the
    // character reaches a container for a key of another script than the
    // keyboard's. ACCEL keys are single UTF-16 units, so a key beyond them
    // (a surrogate pair) cannot be offered at all.
    std::vector<ACCEL> table;
    for (const char16_t key : control_.TabAccessKeys()) {
        if (IsSurrogate(key)) continue;
        if (const WORD virtualKey = VirtualKeyOf(key)) AddAccelerator(table, FALT | FVIRTKEY, virtualKey);
        AddAccelerator(table, FALT, key);
        AddAccelerator(table, FALT, OtherCase(key));
    }
    if (accelerators_) ::DestroyAcceleratorTable(std::exchange(accelerators_, nullptr));
    acceleratorTable_.clear();
    if (table.empty()) return;
    accelerators_ = ::CreateAcceleratorTableW(table.data(), static_cast<int>(table.size()));
    if (accelerators_) acceleratorTable_ = std::move(table);
}

void ControlObject::AccessKeysChanged() {
    BuildAccelerators();
    if (const ScopedComPtr<IOleControlSite> site = ControlSite()) site->OnControlInfoChanged();
}

HRESULT STDMETHODCALLTYPE ControlObject::GetControlInfo(CONTROLINFO* info) {
    if (!info) return E_POINTER;
    if (info->cb < sizeof(CONTROLINFO)) return E_INVALIDARG;
    // The table follows the keys; a control that never set them yet still
    // answers the keys its captions have.
    if (!accelerators_) BuildAccelerators();
    info->hAccel = accelerators_;
    info->cAccel = static_cast<USHORT>(acceleratorTable_.size());
    info->dwFlags = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ControlObject::OnMnemonic(MSG* message) {
    if (!message) return E_POINTER;
    if (!site_.Window()) return E_UNEXPECTED;
    if (!accelerators_) BuildAccelerators();
    // A container that matched loosely may hand on a key that is none of
    // ours: the focus then stays where the user had it.
    if (!MatchesAccelerator(acceleratorTable_, *message)) return S_FALSE;
    ::SetFocus(site_.Window());
    const char16_t key = AccessKeyOfMessage(*message);
    if (key != 0) Run([&] { control_.AccessKeyPressed(key); });
    return S_OK;
}

char16_t ControlObject::AccessKeyOfMessage(const MSG& message) {
    if (message.message == WM_SYSCHAR) return static_cast<char16_t>(message.wParam);
    for (const char16_t key : control_.TabAccessKeys())
        if (!IsSurrogate(key) && VirtualKeyOf(key) == message.wParam) return key;
    return 0;
}

HRESULT STDMETHODCALLTYPE ControlObject::OnAmbientPropertyChange(DISPID id) {
    // The ambient font matters only when a new control adopts it, and the
    // site reads it then; a placed control keeps the font it has.
    if (id == DISPID_AMBIENT_USERMODE || id == DISPID_UNKNOWN) FollowUserMode();
    return S_OK;
}

// Drawing into a container's DC -------------------------------------------

HRESULT STDMETHODCALLTYPE ControlObject::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, ::HDC, ::HDC target,
                                              LPCRECTL bounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR),
                                              ULONG_PTR) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!target || !bounds) return E_INVALIDARG;
    const HRESULT hr = Run([] {});
    if (FAILED(hr)) return hr;
    // The image holds the strip as the last paint pass left it, the same
    // pixels the window shows.
    const ::HDC image = reinterpret_cast<::HDC>(site_.hDC().value);
    const int width = static_cast<int>(bounds->right - bounds->left);
    const int height = static_cast<int>(bounds->bottom - bounds->top);
    const int oldMode = ::SetStretchBltMode(target, COLORONCOLOR);
    const int imageWidth = site_.DeviceWidth();
    const int imageHeight = site_.DeviceHeight();
    const BOOL drawn = width == imageWidth && height == imageHeight
                           ? ::BitBlt(target, bounds->left, bounds->top, width, height, image, 0, 0, SRCCOPY)
                           : ::StretchBlt(target, bounds->left, bounds->top, width, height, image, 0, 0, imageWidth,
                                          imageHeight, SRCCOPY);
    ::SetStretchBltMode(target, oldMode);
    return drawn ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE ControlObject::GetPages(CAUUID* pages) {
    if (!pages) return E_POINTER;
    // The information page comes first, the system's font and colour pages
    // after the control's own.
    static const CLSID kPages[] = {CLSID_TabsC, CLSID_Allgemein, CLSID_Register, kStockFontPage, kStockColorPage};
    pages->pElems = static_cast<GUID*>(::CoTaskMemAlloc(sizeof(kPages)));
    if (!pages->pElems) {
        pages->cElems = 0;
        return E_OUTOFMEMORY;
    }
    std::copy(std::begin(kPages), std::end(kPages), pages->pElems);
    pages->cElems = static_cast<ULONG>(std::size(kPages));
    return S_OK;
}

void ControlObject::OnPropertyChanged(const String& name) {
    dirty_ = true;
    NotifyPropertyChanged(propertyNotify_, DispidOf(name));
}

DISPID ControlObject::DispidOf(const String& name) {
    std::wstring wide(name.begin(), name.end());
    LPOLESTR names[] = {wide.data()};
    DISPID id = DISPID_UNKNOWN;
    if (FAILED(dispatchInfo_->GetIDsOfNames(names, 1, &id))) return DISPID_UNKNOWN;
    return id;
}

bool ControlObject::ReadAmbient(DISPID id, VARIANT* value) {
    if (!clientSite_) return false;
    ScopedComPtr<IDispatch> ambient;
    if (FAILED(clientSite_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(ambient.Receive())))) return false;
    DISPPARAMS none{};
    return SUCCEEDED(
        ambient->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, value, nullptr, nullptr));
}

FontPtr ControlObject::ContainerFont() {
    ScopedVariant value;
    if (!ReadAmbient(DISPID_AMBIENT_FONT, value.get())) return nullptr;
    if (V_VT(value.get()) != VT_DISPATCH && V_VT(value.get()) != VT_UNKNOWN) return nullptr;
    try {
        return FontFromDispatch(V_UNKNOWN(value.get()));
    } catch (const RuntimeError&) {
        // A container font that is no font object is no font at all.
        return nullptr;
    }
}

}  // namespace

HRESULT CreateControlObject(REFIID riid, void** object) {
    auto* control = new (std::nothrow) ControlObject();
    if (!control) return E_OUTOFMEMORY;
    HRESULT hr = control->Initialise();
    if (SUCCEEDED(hr)) hr = control->QueryInterface(riid, object);
    control->Release();
    return hr;
}

}  // namespace lumora::server
