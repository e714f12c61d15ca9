// SPDX-License-Identifier: MIT
#include "ConnectionPoints.h"

#include <oleauto.h>

#include <algorithm>
#include <array>
#include <memory>
#include <new>
#include <utility>

#include "ServerModule.h"

namespace lumora::server {

namespace {

// What an enumerator hands out: connections as CONNECTDATA, connection
// points as themselves. Either way the element carries one reference.
struct ConnectionsKind {
    using Interface = IEnumConnections;
    using Element = CONNECTDATA;
    static const IID& Iid() noexcept { return IID_IEnumConnections; }
    static IUnknown* Unknown(const CONNECTDATA& element) noexcept { return element.pUnk; }
};

struct PointsKind {
    using Interface = IEnumConnectionPoints;
    using Element = IConnectionPoint*;
    static const IID& Iid() noexcept { return IID_IEnumConnectionPoints; }
    static IUnknown* Unknown(IConnectionPoint* element) noexcept { return element; }
};

// The elements an enumerator and all its clones walk over, each held with a
// reference of its own for as long as any of them lives.
template <typename Kind>
class Snapshot {
public:
    using Element = typename Kind::Element;

    explicit Snapshot(std::vector<Element> elements) noexcept : elements_(std::move(elements)) {
        for (const Element& element : elements_) Kind::Unknown(element)->AddRef();
    }
    ~Snapshot() {
        for (const Element& element : elements_) Kind::Unknown(element)->Release();
    }
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;

    const std::vector<Element>& Elements() const noexcept { return elements_; }

private:
    std::vector<Element> elements_;
};

template <typename Kind>
class Enumerator final : public Kind::Interface {
public:
    using Interface = typename Kind::Interface;
    using Element = typename Kind::Element;

    Enumerator(std::shared_ptr<const Snapshot<Kind>> snapshot, size_t position) noexcept
        : snapshot_(std::move(snapshot)), position_(position) {}
    Enumerator(const Enumerator&) = delete;
    Enumerator& operator=(const Enumerator&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, Kind::Iid())) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<Interface*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ::InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = ::InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return left;
    }

    // Hands out up to count elements, each with a reference the caller
    // releases. Only a request for one element may leave out fetched.
    HRESULT STDMETHODCALLTYPE Next(ULONG count, Element* elements, ULONG* fetched) override {
        if (fetched) *fetched = 0;
        if (!elements || (count != 1 && !fetched)) return E_POINTER;
        const std::vector<Element>& all = snapshot_->Elements();
        const ULONG taken = static_cast<ULONG>(std::min<size_t>(count, all.size() - position_));
        for (ULONG i = 0; i < taken; ++i) {
            elements[i] = all[position_ + i];
            Kind::Unknown(elements[i])->AddRef();
        }
        position_ += taken;
        if (fetched) *fetched = taken;
        return taken == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        const size_t left = snapshot_->Elements().size() - position_;
        position_ += std::min<size_t>(count, left);
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        position_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(Interface** clone) override {
        if (!clone) return E_POINTER;
        *clone = new (std::nothrow) Enumerator(snapshot_, position_);
        return *clone ? S_OK : E_OUTOFMEMORY;
    }

private:
    ~Enumerator() = default;

    std::shared_ptr<const Snapshot<Kind>> snapshot_;
    size_t position_;
    LONG references_ = 1;
    ModuleReference module_;
};

template <typename Kind>
HRESULT MakeEnumerator(std::vector<typename Kind::Element> elements, typename Kind::Interface** result) noexcept {
    if (!result) return E_POINTER;
    *result = nullptr;
    try {
        auto snapshot = std::make_shared<const Snapshot<Kind>>(std::move(elements));
        *result = new Enumerator<Kind>(std::move(snapshot), 0);
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

// The most arguments an event of the control has (MouseDown's six).
constexpr size_t kMaxEventArguments = 6;

// The arguments of one event as the sinks' Invoke receives them: each one by
// reference to a variable of its automation type, in reverse order. The
// variables start as copies of the control's and are copied back when every
// sink has had its turn, so the control sees what the last sink left.
class EventArguments {
public:
    EventArguments() = default;
    ~EventArguments() {
        for (size_t i = 0; i < count_; ++i) {
            if (arguments_[i].type == VT_BSTR) ::SysFreeString(arguments_[i].value.text);
        }
    }
    EventArguments(const EventArguments&) = delete;
    EventArguments& operator=(const EventArguments&) = delete;

    void Add(Integer& variable) noexcept { Append(VT_I2, &variable).value.integer = variable; }
    void Add(Long& variable) noexcept { Append(VT_I4, &variable).value.number = variable; }
    void Add(Single& variable) noexcept { Append(VT_R4, &variable).value.single = variable; }
    void Add(String& variable) {
        static_assert(sizeof(OLECHAR) == sizeof(char16_t));
        BSTR text =
            ::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(variable.data()), static_cast<UINT>(variable.size()));
        if (!text) throw std::bad_alloc();
        Append(VT_BSTR, &variable).value.text = text;
    }

    // Built anew for every sink: a sink that scribbles over the VARIANTARGs
    // themselves must not hand the next sink broken arguments.
    DISPPARAMS Parameters() noexcept {
        for (size_t i = 0; i < count_; ++i) {
            VARIANTARG& argument = variants_[count_ - 1 - i];
            ::VariantInit(&argument);
            V_VT(&argument) = VT_BYREF | arguments_[i].type;
            V_BYREF(&argument) = &arguments_[i].value;
        }
        return DISPPARAMS{variants_.data(), nullptr, static_cast<UINT>(count_), 0};
    }

    // A sink that replaced a string freed the one it was given, as the
    // by-reference rules ask; the variable holds the one the last sink left,
    // which the destructor frees. A sink may also leave a null string,
    // which reads as empty.
    void CopyBack() {
        for (size_t i = 0; i < count_; ++i) {
            Argument& argument = arguments_[i];
            switch (argument.type) {
                case VT_I2:
                    *static_cast<Integer*>(argument.target) = argument.value.integer;
                    break;
                case VT_I4:
                    *static_cast<Long*>(argument.target) = argument.value.number;
                    break;
                case VT_R4:
                    *static_cast<Single*>(argument.target) = argument.value.single;
                    break;
                case VT_BSTR:
                    *static_cast<String*>(argument.target) = TextOf(argument.value.text);
                    break;
            }
        }
    }

private:
    struct Argument {
        VARTYPE type = VT_EMPTY;
        // The control's own variable.
        void* target = nullptr;
        union {
            SHORT integer;
            LONG number;
            FLOAT single;
            BSTR text;
        } value{};
    };

    Argument& Append(VARTYPE type, void* target) noexcept {
        Argument& argument = arguments_[count_++];
        argument.type = type;
        argument.target = target;
        return argument;
    }

    static String TextOf(BSTR text) {
        if (!text) return {};
        return String(reinterpret_cast<const char16_t*>(text), ::SysStringLen(text));
    }

    std::array<Argument, kMaxEventArguments> arguments_{};
    std::array<VARIANTARG, kMaxEventArguments> variants_{};
    size_t count_ = 0;
};

// Holds the point's owner for the length of a call to the sinks: a sink may
// release the control or close it, and the loop still reads the point.
win32::ScopedComPtr<IConnectionPoint> KeepAlive(ConnectionPoint& point) noexcept {
    point.AddRef();
    return win32::ScopedComPtr<IConnectionPoint>(&point);
}

void ClearException(EXCEPINFO& exception) noexcept {
    ::SysFreeString(exception.bstrSource);
    ::SysFreeString(exception.bstrDescription);
    ::SysFreeString(exception.bstrHelpFile);
}

// Calls every sink connected when the event started and still connected
// when its turn comes; what a sink returns or raises concerns only that
// sink.
void Invoke(ConnectionPoint& events, DISPID dispid, EventArguments& arguments) {
    const auto keepAlive = KeepAlive(events);
    for (const ConnectionPoint::Sink& sink : events.Sinks()) {
        if (!events.IsConnected(sink.cookie)) continue;
        // The sink answered the events' dispinterface, whose vtable is IDispatch's.
        auto* dispatch = static_cast<IDispatch*>(sink.sink.get());
        DISPPARAMS parameters = arguments.Parameters();
        VARIANT result;
        ::VariantInit(&result);
        EXCEPINFO exception{};
        UINT argumentError = 0;
        dispatch->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, &result, &exception,
                         &argumentError);
        ClearException(exception);
        ::VariantClear(&result);
    }
    arguments.CopyBack();
}

template <typename... Values>
void Raise(ConnectionPoint& events, DISPID dispid, Values&... values) noexcept {
    try {
        EventArguments arguments;
        (arguments.Add(values), ...);
        Invoke(events, dispid, arguments);
    } catch (const std::bad_alloc&) {
        // Without memory for the arguments or the list of sinks the event
        // cannot go out; the control carries on without it.
    }
}

}  // namespace

ConnectionPoint::ConnectionPoint(IUnknown& owner, IConnectionPointContainer& container, const IID& iid) noexcept
    : owner_(owner), container_(container), iid_(iid) {}

ConnectionPoint::~ConnectionPoint() { DisconnectAll(); }

HRESULT STDMETHODCALLTYPE ConnectionPoint::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IConnectionPoint)) {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    *object = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE ConnectionPoint::AddRef() { return owner_.AddRef(); }

ULONG STDMETHODCALLTYPE ConnectionPoint::Release() { return owner_.Release(); }

HRESULT STDMETHODCALLTYPE ConnectionPoint::GetConnectionInterface(IID* iid) {
    if (!iid) return E_POINTER;
    *iid = iid_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (!container) return E_POINTER;
    container_.AddRef();
    *container = &container_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (!cookie) return E_POINTER;
    *cookie = 0;
    if (!sink) return E_POINTER;
    // Cookies have run out only after four billion connections; refuse
    // rather than hand out one that is in use.
    if (nextCookie_ == 0) return CONNECT_E_ADVISELIMIT;
    win32::ScopedComPtr<IUnknown> answered;
    if (FAILED(sink->QueryInterface(iid_, reinterpret_cast<void**>(answered.Receive()))) || !answered) {
        return CONNECT_E_CANNOTCONNECT;
    }
    try {
        connections_.push_back(Sink{nextCookie_, std::move(answered)});
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    *cookie = nextCookie_++;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::Unadvise(DWORD cookie) {
    const auto found = std::find_if(connections_.begin(), connections_.end(),
                                    [cookie](const Sink& sink) { return sink.cookie == cookie; });
    if (found == connections_.end()) return CONNECT_E_NOCONNECTION;
    // The sink goes only once the list is whole again: its last release may
    // call back into this point.
    const win32::ScopedComPtr<IUnknown> leaving(std::move(found->sink));
    connections_.erase(found);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ConnectionPoint::EnumConnections(IEnumConnections** connections) {
    std::vector<CONNECTDATA> elements;
    try {
        elements.reserve(connections_.size());
        for (const Sink& sink : connections_) elements.push_back(CONNECTDATA{sink.sink.get(), sink.cookie});
    } catch (const std::bad_alloc&) {
        if (connections) *connections = nullptr;
        return E_OUTOFMEMORY;
    }
    return MakeEnumerator<ConnectionsKind>(std::move(elements), connections);
}

std::vector<ConnectionPoint::Sink> ConnectionPoint::Sinks() const {
    std::vector<Sink> sinks;
    sinks.reserve(connections_.size());
    for (const Sink& connection : connections_) {
        connection.sink->AddRef();
        sinks.push_back(Sink{connection.cookie, win32::ScopedComPtr<IUnknown>(connection.sink.get())});
    }
    return sinks;
}

bool ConnectionPoint::IsConnected(DWORD cookie) const noexcept {
    return std::any_of(connections_.begin(), connections_.end(),
                       [cookie](const Sink& sink) { return sink.cookie == cookie; });
}

void ConnectionPoint::DisconnectAll() noexcept {
    // Emptied first: a sink's last release may call back into this point.
    const std::list<Sink> leaving = std::exchange(connections_, {});
}

HRESULT EnumerateConnectionPoints(std::initializer_list<IConnectionPoint*> points, IEnumConnectionPoints** result) {
    try {
        return MakeEnumerator<PointsKind>(std::vector<IConnectionPoint*>(points), result);
    } catch (const std::bad_alloc&) {
        if (result) *result = nullptr;
        return E_OUTOFMEMORY;
    }
}

void ControlEventSource::RowPressed(Integer& PreviousTab, Long& SortRow, String& Sort) {
    if (!EventsFrozen()) Raise(events_, kRowPressed, PreviousTab, SortRow, Sort);
}

void ControlEventSource::MouseIn(Integer& Button, Integer& Shift, Single& X, Single& Y, Long& SortRow) {
    if (!EventsFrozen()) Raise(events_, kMouseIn, Button, Shift, X, Y, SortRow);
}

void ControlEventSource::MouseOut(Integer& Button, Integer& Shift, Single& X, Single& Y, Long& SortRow) {
    if (!EventsFrozen()) Raise(events_, kMouseOut, Button, Shift, X, Y, SortRow);
}

void ControlEventSource::MouseDown(Integer& Button, Integer& Shift, Single& X, Single& Y, Long& SortRow, String& Sort) {
    if (!EventsFrozen()) Raise(events_, kMouseDown, Button, Shift, X, Y, SortRow, Sort);
}

void ControlEventSource::MouseUp(Integer& Button, Integer& Shift, Single& X, Single& Y, Long& SortRow) {
    if (!EventsFrozen()) Raise(events_, kMouseUp, Button, Shift, X, Y, SortRow);
}

void ControlEventSource::FreezeEvents(bool freeze) noexcept {
    if (freeze) {
        ++frozen_;
    } else if (frozen_ > 0) {
        --frozen_;
    }
}

void NotifyPropertyChanged(ConnectionPoint& sinks, DISPID dispid) {
    const auto keepAlive = KeepAlive(sinks);
    try {
        for (const ConnectionPoint::Sink& sink : sinks.Sinks()) {
            if (sinks.IsConnected(sink.cookie)) static_cast<IPropertyNotifySink*>(sink.sink.get())->OnChanged(dispid);
        }
    } catch (const std::bad_alloc&) {
        // As with events: no notification rather than a failed property change.
    }
}

}  // namespace lumora::server
