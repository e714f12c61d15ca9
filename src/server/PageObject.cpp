// SPDX-License-Identifier: MIT
// The property-page classes. Containers create them by class identifier
// from the control's list of pages and host them in their property frame;
// each also answers with its own (empty) dispatch interface from the type
// library. The page's logic edits the first selected control; its view is a
// child dialog that the frame places where the page goes.
#include "PageObject.h"

#include <functional>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "lumora/pages/Allgemein.h"
#include "lumora/pages/Register.h"
#include "lumora/pages/TabsC.h"
#include "lumora/runtime/RuntimeError.h"

#include "AboutBoxDialog.h"
#include "ControlCore.h"
#include "DorvaneLumoraStyleList.h"
#include "PageDialog.h"
#include "ServerModule.h"
#include "SystemDialogs.h"
#include "WindowlessSite.h"
#include "platform/win32/ScopedComPtr.h"

namespace lumora::server {
namespace {

using win32::ScopedComPtr;

// The controls the frame hands the page: those of the selection that are
// ours, in the frame's order. Each is held until the next selection.
class FrameSelection final : public pages::ISelectedControls {
public:
    void Select(ULONG count, IUnknown** objects) {
        controls_.clear();
        for (ULONG i = 0; objects && i < count; ++i) {
            ScopedComPtr<IControlCore> control;
            if (objects[i] &&
                SUCCEEDED(objects[i]->QueryInterface(kControlCoreId, reinterpret_cast<void**>(control.Receive()))))
                controls_.push_back(std::move(control));
        }
    }
    Long Count() override { return static_cast<Long>(controls_.size()); }
    LumoraListControl& Item(Long index) override {
        if (index < 0 || index >= Count()) Raise(err::kSubscriptOutOfRange);
        return *controls_[static_cast<std::size_t>(index)]->Core();
    }

private:
    std::vector<ScopedComPtr<IControlCore>> controls_;
};

// What the pages need of the system: message boxes and the file dialog of
// their own, and the pictures, files and the icon surface of a control site
// that has no control.
class PagePlatform final : private ISiteOwner {
public:
    PagePlatform() : site_(*this) {}

    SystemMessageBoxes messages;
    SystemFileDialog fileDialog;
    SystemShell shell;
    SystemScreen screen;
    AboutBoxDialog aboutView;

    pages::RegisterServices RegisterServices() {
        return {messages, fileDialog, site_.pictures(), site_.files(), site_.picTemp()};
    }
    // Message boxes and the About box belong to the page's window while it
    // is shown.
    void SetOwner(::HWND owner) {
        messages.SetOwner(owner);
        aboutView.SetOwner(owner);
    }

private:
    void OnPropertyChanged(const String&) override {}
    FontPtr ContainerFont() override { return nullptr; }

    WindowlessSite site_;
};

using PageFactory = std::function<std::unique_ptr<pages::PropertyPage>(
    pages::ISelectedControls& selection, PagePlatform& platform, pages::AboutBox& aboutBox)>;

class PageObject final : public IPropertyPage2, public IDispatch, private pages::IPageView {
public:
    PageObject(const IID& dispatchId, const PageFactory& factory)
        : dispatchId_(dispatchId),
          aboutBox_(platform_.aboutView, platform_.shell, platform_.screen),
          page_(factory(selection_, platform_, aboutBox_)) {
        page_->Observe(this);
    }
    PageObject(const PageObject&) = delete;
    PageObject& operator=(const PageObject&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ::InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = ::InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return left;
    }

    // IPropertyPage2
    HRESULT STDMETHODCALLTYPE SetPageSite(IPropertyPageSite* site) override;
    HRESULT STDMETHODCALLTYPE Activate(::HWND parent, LPCRECT rect, BOOL modal) override;
    HRESULT STDMETHODCALLTYPE Deactivate() override;
    HRESULT STDMETHODCALLTYPE GetPageInfo(PROPPAGEINFO* info) override;
    HRESULT STDMETHODCALLTYPE SetObjects(ULONG count, IUnknown** objects) override;
    HRESULT STDMETHODCALLTYPE Show(UINT command) override;
    HRESULT STDMETHODCALLTYPE Move(LPCRECT rect) override;
    HRESULT STDMETHODCALLTYPE IsPageDirty() override { return page_->get_Changed() ? S_OK : S_FALSE; }
    HRESULT STDMETHODCALLTYPE Apply() override;
    HRESULT STDMETHODCALLTYPE Help(LPCOLESTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE EditProperty(DISPID id) override;

    // IDispatch: the pages' dispatch interfaces have no members.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) override {
        for (UINT i = 0; ids && i < count; ++i) ids[i] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return DISP_E_MEMBERNOTFOUND;
    }

private:
    ~PageObject() override;

    // IPageView: the elements' changes go to the dialog while it is shown;
    // a page that becomes changed asks the frame to enable Apply.
    void ElementUpdated(const pages::Element& element, std::string_view property) override;
    void ChangedUpdated(bool changed) override;

    // Gives the focus to the editor EditProperty chose, once it is shown.
    void FocusEditor();

    // Runs one of the page's own steps; a runtime error it lets through
    // fails the call.
    HRESULT Run(const std::function<void()>& step) noexcept;

    IID dispatchId_;
    LONG references_ = 1;
    ModuleReference module_;
    ScopedComPtr<IPropertyPageSite> site_;
    FrameSelection selection_;
    PagePlatform platform_;
    pages::AboutBox aboutBox_;
    std::unique_ptr<pages::PropertyPage> page_;
    std::unique_ptr<PageDialog> dialog_;
    pages::Element* editor_ = nullptr;
};

// The name of one of the control's properties, empty for an identifier it
// does not have.
std::u16string PropertyName(DISPID id) {
    ScopedComPtr<ITypeLib> library;
    ScopedComPtr<ITypeInfo> info;
    if (FAILED(LoadServerTypeLibrary(library.Receive())) ||
        FAILED(library->GetTypeInfoOfGuid(IID__LumoraListControl, info.Receive())))
        return {};
    BSTR name = nullptr;
    if (FAILED(info->GetDocumentation(id, &name, nullptr, nullptr, nullptr)) || !name) return {};
    std::u16string text(reinterpret_cast<const char16_t*>(name), ::SysStringLen(name));
    ::SysFreeString(name);
    return text;
}

PageObject::~PageObject() {
    dialog_.reset();
    page_->Observe(nullptr);
}

HRESULT STDMETHODCALLTYPE PageObject::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    void* result = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IPropertyPage) || IsEqualIID(riid, IID_IPropertyPage2))
        result = static_cast<IPropertyPage2*>(this);
    else if (IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, dispatchId_))
        result = static_cast<IDispatch*>(this);
    *object = result;
    if (!result) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

HRESULT PageObject::Run(const std::function<void()>& step) noexcept {
    try {
        step();
        return S_OK;
    } catch (const RuntimeError&) {
        return E_FAIL;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT STDMETHODCALLTYPE PageObject::SetPageSite(IPropertyPageSite* site) {
    if (site) site->AddRef();
    site_.Reset();
    *site_.Receive() = site;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PageObject::Activate(::HWND parent, LPCRECT rect, BOOL) {
    if (!rect) return E_POINTER;
    dialog_.reset();
    auto dialog = std::make_unique<PageDialog>(*page_, parent);
    if (!dialog->Window()) return E_FAIL;
    dialog_ = std::move(dialog);
    platform_.SetOwner(dialog_->Window());
    return Move(rect);
}

HRESULT STDMETHODCALLTYPE PageObject::Deactivate() {
    dialog_.reset();
    platform_.SetOwner(nullptr);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PageObject::GetPageInfo(PROPPAGEINFO* info) {
    if (!info) return E_POINTER;
    const std::wstring title = WideText(page_->Caption());
    const std::size_t bytes = (title.size() + 1) * sizeof(wchar_t);
    auto* copy = static_cast<LPOLESTR>(::CoTaskMemAlloc(bytes));
    if (!copy) return E_OUTOFMEMORY;
    std::copy(title.c_str(), title.c_str() + title.size() + 1, copy);
    info->cb = sizeof(PROPPAGEINFO);
    info->pszTitle = copy;
    info->size = SIZE{PixelsX(page_->Width()), PixelsY(page_->Height())};
    info->pszDocString = nullptr;
    info->pszHelpFile = nullptr;
    info->dwHelpContext = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PageObject::SetObjects(ULONG count, IUnknown** objects) {
    if (count && !objects) return E_POINTER;
    selection_.Select(count, objects);
    // Also an empty selection goes to the page, which then lets go of the
    // control it edited.
    return Run([&] { page_->SelectionChanged(); });
}

HRESULT STDMETHODCALLTYPE PageObject::Show(UINT command) {
    if (!dialog_ || !dialog_->Window()) return E_UNEXPECTED;
    ::ShowWindow(dialog_->Window(), static_cast<int>(command));
    if (command != SW_HIDE) FocusEditor();
    return S_OK;
}

// A frame opened for one property asks for it before or after it shows the
// page: the editor gets the focus now when the page is shown, else when it
// is.
HRESULT STDMETHODCALLTYPE PageObject::EditProperty(DISPID id) {
    const std::u16string name = PropertyName(id);
    pages::Element* editor = name.empty() ? nullptr : page_->EditorOf(name);
    if (!editor) return E_NOTIMPL;
    editor_ = editor;
    FocusEditor();
    return S_OK;
}

void PageObject::FocusEditor() {
    if (!editor_ || !dialog_ || !::IsWindowVisible(dialog_->Window())) return;
    if (const ::HWND window = dialog_->WindowOf(*editor_)) ::SetFocus(window);
    editor_ = nullptr;
}

HRESULT STDMETHODCALLTYPE PageObject::Move(LPCRECT rect) {
    if (!rect) return E_POINTER;
    if (!dialog_ || !dialog_->Window()) return E_UNEXPECTED;
    ::MoveWindow(dialog_->Window(), rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, TRUE);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PageObject::Apply() {
    if (!page_->get_Changed()) return S_OK;
    const HRESULT hr = Run([&] { page_->ApplyChanges(); });
    if (SUCCEEDED(hr)) page_->put_Changed(false);
    return hr;
}

HRESULT STDMETHODCALLTYPE PageObject::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    ScopedComPtr<ITypeLib> library;
    const HRESULT hr = LoadServerTypeLibrary(library.Receive());
    if (FAILED(hr)) return hr;
    return library->GetTypeInfoOfGuid(dispatchId_, info);
}

void PageObject::ElementUpdated(const pages::Element& element, std::string_view property) {
    if (!dialog_) return;
    if (pages::IElementView* view = dialog_->Elements()) view->ElementUpdated(element, property);
}

void PageObject::ChangedUpdated(bool changed) {
    if (changed && site_) site_->OnStatusChange(PROPPAGESTATUS_DIRTY | PROPPAGESTATUS_VALIDATE);
}

HRESULT CreatePage(const IID& dispatchId, const PageFactory& factory, REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    PageObject* page = nullptr;
    try {
        page = new PageObject(dispatchId, factory);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    const HRESULT hr = page->QueryInterface(riid, object);
    page->Release();
    return hr;
}

}  // namespace

HRESULT CreateRegisterPage(REFIID riid, void** object) {
    return CreatePage(
        DIID__Register,
        [](pages::ISelectedControls& selection, PagePlatform& platform, pages::AboutBox&) {
            return std::make_unique<pages::Register>(selection, platform.RegisterServices());
        },
        riid, object);
}

HRESULT CreateTabsCPage(REFIID riid, void** object) {
    return CreatePage(
        DIID__TabsC,
        [](pages::ISelectedControls& selection, PagePlatform&, pages::AboutBox& aboutBox) {
            return std::make_unique<pages::TabsC>(selection, aboutBox);
        },
        riid, object);
}

HRESULT CreateAllgemeinPage(REFIID riid, void** object) {
    return CreatePage(
        DIID__Allgemein,
        [](pages::ISelectedControls& selection, PagePlatform& platform, pages::AboutBox&) {
            return std::make_unique<pages::Allgemein>(selection, platform.messages);
        },
        riid, object);
}

}  // namespace lumora::server
