// SPDX-License-Identifier: MIT
#include "ConnectionPoints.h"

#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "DorvaneLumoraStyleList.h"

namespace lumora::server {
namespace {

using win32::ScopedComPtr;

// Stands in for the control: counts its references and says when the last
// one went, when it lets its connection point go as the control would.
class FakeOwner final : public IConnectionPointContainer {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IConnectionPointContainer)) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override {
        if (--references == 0 && onLastRelease) onLastRelease();
        return references;
    }
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID, IConnectionPoint**) override { return E_NOTIMPL; }

    ULONG references = 0;
    std::function<void()> onLastRelease;
};

// A container's event sink: writes one line per call into a log shared by
// all sinks, the arguments in the order Invoke got them, and may act on the
// arguments before it returns.
class EventSink final : public IDispatch {
public:
    EventSink(std::string name, std::vector<std::string>& log) : name_(std::move(name)), log_(log) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDispatch) &&
            !IsEqualIID(riid, DIID___LumoraListControl)) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID riid, LCID, WORD flags, DISPPARAMS* parameters, VARIANT*,
                                     EXCEPINFO* exception, UINT*) override {
        EXPECT_TRUE(IsEqualIID(riid, IID_NULL));
        EXPECT_EQ(flags, DISPATCH_METHOD);
        EXPECT_EQ(parameters->cNamedArgs, 0u);
        std::ostringstream line;
        line << name_ << ' ' << dispid << '(';
        for (UINT i = 0; i < parameters->cArgs; ++i) line << (i ? ", " : "") << Describe(parameters->rgvarg[i]);
        line << ')';
        log_.push_back(line.str());
        if (onInvoke) onInvoke(*parameters);
        if (failure == DISP_E_EXCEPTION) {
            exception->bstrSource = ::SysAllocString(L"sink");
            exception->bstrDescription = ::SysAllocString(L"handler failed");
        }
        return failure;
    }

    ULONG references = 0;
    std::function<void(DISPPARAMS&)> onInvoke;
    HRESULT failure = S_OK;

private:
    static std::string Describe(const VARIANTARG& argument) {
        std::ostringstream text;
        const bool byReference = (V_VT(&argument) & VT_BYREF) != 0;
        switch (V_VT(&argument) & ~VT_BYREF) {
            case VT_I2:
                text << "I2" << (byReference ? "&:" : ":") << *V_I2REF(&argument);
                break;
            case VT_I4:
                text << "I4" << (byReference ? "&:" : ":") << *V_I4REF(&argument);
                break;
            case VT_R4:
                text << "R4" << (byReference ? "&:" : ":") << *V_R4REF(&argument);
                break;
            case VT_BSTR: {
                const BSTR value = *V_BSTRREF(&argument);
                text << "BSTR" << (byReference ? "&:" : ":")
                     << ToUtf8(value ? String(value, value + SysStringLen(value)) : String());
                break;
            }
            default:
                text << "vt " << V_VT(&argument);
        }
        return text.str();
    }

    std::string name_;
    std::vector<std::string>& log_;
};

class PropertySink final : public IPropertyNotifySink {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IPropertyNotifySink)) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE OnChanged(DISPID dispid) override {
        changed.push_back(dispid);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override { return S_OK; }

    ULONG references = 0;
    std::vector<DISPID> changed;
};

// The arguments every event test raises with.
struct MouseArguments {
    Integer button = 1;
    Integer shift = 2;
    Single x = 1.5f;
    Single y = 2.5f;
    Long sortRow = 7;
    String sort = u"ASC";
    Integer previousTab = 3;
};

// A sink that replaces the first by-reference argument of these types, as
// a handler that assigns to them does.
void ReplaceText(DISPPARAMS& parameters, const wchar_t* text) {
    BSTR* variable = V_BSTRREF(&parameters.rgvarg[0]);
    ::SysFreeString(*variable);
    *variable = text ? ::SysAllocString(text) : nullptr;
}

class ConnectionPointTest : public ::testing::Test {
protected:
    DWORD Advise(IConnectionPoint& point, IUnknown& sink) {
        DWORD cookie = 0;
        EXPECT_EQ(point.Advise(&sink, &cookie), S_OK);
        return cookie;
    }

    // Declared before the points: a point releases its sinks when it goes.
    FakeOwner owner;
    std::vector<std::string> log;
    EventSink first{"first", log};
    EventSink second{"second", log};
    PropertySink watcher;
    PropertySink otherWatcher;
    std::optional<ConnectionPoint> events{std::in_place, owner, owner, DIID___LumoraListControl};
    ConnectionPoint notifications{owner, owner, IID_IPropertyNotifySink};
    ControlEventSource source{*events};
};

TEST_F(ConnectionPointTest, CookiesStartAtOneAndAreNeverReused) {
    EXPECT_EQ(Advise(*events, first), 1u);
    EXPECT_EQ(Advise(*events, second), 2u);
    EXPECT_EQ(events->Unadvise(1), S_OK);
    EXPECT_EQ(Advise(*events, first), 3u);
    EXPECT_EQ(Advise(*events, second), 4u);
    EXPECT_EQ(events->Unadvise(1), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(events->Unadvise(0), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(events->Unadvise(99), CONNECT_E_NOCONNECTION);
    for (DWORD cookie : {2, 3, 4}) EXPECT_EQ(events->Unadvise(cookie), S_OK) << cookie;
    EXPECT_EQ(first.references, 0u);
    EXPECT_EQ(second.references, 0u);
}

TEST_F(ConnectionPointTest, RefusedAdviseLeavesNoConnectionAndNoReference) {
    struct Case {
        const char* name;
        IConnectionPoint* point;
        IUnknown* sink;
        bool withCookie;
        HRESULT expected;
    };
    const Case cases[] = {
        {"no sink", &*events, nullptr, true, E_POINTER},
        {"no cookie", &*events, &first, false, E_POINTER},
        {"property sink on the events", &*events, &watcher, true, CONNECT_E_CANNOTCONNECT},
        {"event sink on the notifications", &notifications, &first, true, CONNECT_E_CANNOTCONNECT},
    };
    for (const Case& c : cases) {
        DWORD cookie = 42;
        EXPECT_EQ(c.point->Advise(c.sink, c.withCookie ? &cookie : nullptr), c.expected) << c.name;
        if (c.withCookie) {
            EXPECT_EQ(cookie, 0u) << c.name;
        }
    }
    EXPECT_EQ(first.references, 0u);
    EXPECT_EQ(watcher.references, 0u);
    EXPECT_TRUE(events->Sinks().empty());
    EXPECT_TRUE(notifications.Sinks().empty());
}

TEST_F(ConnectionPointTest, AnswersForItselfAndHandsOutItsContainer) {
    IID iid{};
    EXPECT_EQ(events->GetConnectionInterface(&iid), S_OK);
    EXPECT_TRUE(IsEqualIID(iid, DIID___LumoraListControl));
    EXPECT_EQ(events->GetConnectionInterface(nullptr), E_POINTER);

    IConnectionPointContainer* container = nullptr;
    EXPECT_EQ(events->GetConnectionPointContainer(&container), S_OK);
    EXPECT_EQ(container, &owner);
    EXPECT_EQ(owner.references, 1u);
    container->Release();
    EXPECT_EQ(events->GetConnectionPointContainer(nullptr), E_POINTER);

    for (const IID* asked : {&IID_IUnknown, &IID_IConnectionPoint}) {
        void* answer = nullptr;
        EXPECT_EQ(events->QueryInterface(*asked, &answer), S_OK);
        EXPECT_EQ(answer, static_cast<IConnectionPoint*>(&*events));
        EXPECT_EQ(owner.references, 1u) << "the point counts on its owner";
        events->Release();
    }
    void* answer = &owner;
    EXPECT_EQ(events->QueryInterface(IID_IDispatch, &answer), E_NOINTERFACE);
    EXPECT_EQ(answer, nullptr);
    EXPECT_EQ(owner.references, 0u);
}

TEST_F(ConnectionPointTest, EnumeratesConnectionsAsTheyWereWhenAsked) {
    Advise(*events, first);
    Advise(*events, second);
    ScopedComPtr<IEnumConnections> connections;
    ASSERT_EQ(events->EnumConnections(connections.Receive()), S_OK);
    EXPECT_EQ(events->Unadvise(1), S_OK) << "later changes do not show";

    CONNECTDATA data[3]{};
    ULONG fetched = 0;
    ASSERT_EQ(connections->Next(3, data, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 2u);
    EXPECT_EQ(data[0].pUnk, static_cast<IUnknown*>(&first));
    EXPECT_EQ(data[0].dwCookie, 1u);
    EXPECT_EQ(data[1].pUnk, static_cast<IUnknown*>(&second));
    EXPECT_EQ(data[1].dwCookie, 2u);
    for (ULONG i = 0; i < fetched; ++i) data[i].pUnk->Release();
    EXPECT_EQ(connections->Next(2, data, nullptr), E_POINTER);

    EXPECT_EQ(connections->Reset(), S_OK);
    EXPECT_EQ(connections->Skip(1), S_OK);
    ScopedComPtr<IEnumConnections> clone;
    ASSERT_EQ(connections->Clone(clone.Receive()), S_OK);
    EXPECT_EQ(connections->Skip(2), S_FALSE);
    ASSERT_EQ(clone->Next(1, data, nullptr), S_OK) << "a clone starts where its original was";
    EXPECT_EQ(data[0].dwCookie, 2u);
    data[0].pUnk->Release();
    EXPECT_EQ(clone->Next(1, data, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);

    connections.Reset();
    clone.Reset();
    EXPECT_EQ(first.references, 0u);
    EXPECT_EQ(second.references, 1u);
}

TEST_F(ConnectionPointTest, EnumeratesThePointsHoldingTheirOwner) {
    ScopedComPtr<IEnumConnectionPoints> points;
    ASSERT_EQ(EnumerateConnectionPoints({&*events, &notifications}, points.Receive()), S_OK);
    EXPECT_EQ(owner.references, 2u);

    IConnectionPoint* found[2]{};
    ULONG fetched = 0;
    ASSERT_EQ(points->Next(2, found, &fetched), S_OK);
    EXPECT_EQ(fetched, 2u);
    EXPECT_EQ(found[0], &*events);
    EXPECT_EQ(found[1], &notifications);
    for (IConnectionPoint* point : found) point->Release();
    EXPECT_EQ(EnumerateConnectionPoints({&*events}, nullptr), E_POINTER);

    points.Reset();
    EXPECT_EQ(owner.references, 0u);
}

TEST_F(ConnectionPointTest, EventsReachEverySinkInOrderWithArgumentsReversedByReference) {
    struct Case {
        const char* name;
        std::function<void(ControlEventSource&, MouseArguments&)> raise;
        std::string arguments;
    };
    const std::string mouse = "(I4&:7, R4&:2.5, R4&:1.5, I2&:2, I2&:1)";
    const Case cases[] = {
        {"RowPressed", [](auto& s, auto& a) { s.RowPressed(a.previousTab, a.sortRow, a.sort); },
         "1(BSTR&:ASC, I4&:7, I2&:3)"},
        {"MouseIn", [](auto& s, auto& a) { s.MouseIn(a.button, a.shift, a.x, a.y, a.sortRow); }, "2" + mouse},
        {"MouseOut", [](auto& s, auto& a) { s.MouseOut(a.button, a.shift, a.x, a.y, a.sortRow); }, "3" + mouse},
        {"MouseDown", [](auto& s, auto& a) { s.MouseDown(a.button, a.shift, a.x, a.y, a.sortRow, a.sort); },
         "4(BSTR&:ASC, I4&:7, R4&:2.5, R4&:1.5, I2&:2, I2&:1)"},
        {"MouseUp", [](auto& s, auto& a) { s.MouseUp(a.button, a.shift, a.x, a.y, a.sortRow); }, "5" + mouse},
    };
    Advise(*events, first);
    Advise(*events, second);
    for (const Case& c : cases) {
        log.clear();
        MouseArguments arguments;
        c.raise(source, arguments);
        EXPECT_EQ(log, (std::vector<std::string>{"first " + c.arguments, "second " + c.arguments})) << c.name;
    }
    EXPECT_EQ(owner.references, 0u);
}

TEST_F(ConnectionPointTest, WhatASinkWritesBackIsSeenByTheNextSinkAndTheControl) {
    Advise(*events, first);
    Advise(*events, second);
    first.onInvoke = [](DISPPARAMS& parameters) {
        ReplaceText(parameters, L"DESC");
        *V_I4REF(&parameters.rgvarg[1]) = 9;
        *V_I2REF(&parameters.rgvarg[parameters.cArgs - 1]) = 5;
    };
    MouseArguments arguments;
    source.MouseDown(arguments.button, arguments.shift, arguments.x, arguments.y, arguments.sortRow, arguments.sort);
    source.RowPressed(arguments.previousTab, arguments.sortRow, arguments.sort);

    const std::vector<std::string> expected = {
        "first 4(BSTR&:ASC, I4&:7, R4&:2.5, R4&:1.5, I2&:2, I2&:1)",
        "second 4(BSTR&:DESC, I4&:9, R4&:2.5, R4&:1.5, I2&:2, I2&:5)",
        "first 1(BSTR&:DESC, I4&:9, I2&:3)",
        "second 1(BSTR&:DESC, I4&:9, I2&:5)",
    };
    EXPECT_EQ(log, expected);
    EXPECT_EQ(arguments.sort, u"DESC");
    EXPECT_EQ(arguments.sortRow, 9);
    EXPECT_EQ(arguments.button, 5);
    EXPECT_EQ(arguments.previousTab, 5);
}

TEST_F(ConnectionPointTest, ASinkMayLeaveNoTextAtAll) {
    Advise(*events, first);
    Advise(*events, second);
    first.onInvoke = [](DISPPARAMS& parameters) { ReplaceText(parameters, nullptr); };
    MouseArguments arguments;
    source.RowPressed(arguments.previousTab, arguments.sortRow, arguments.sort);
    EXPECT_EQ(log.back(), "second 1(BSTR&:, I4&:7, I2&:3)");
    EXPECT_EQ(arguments.sort, u"");
}

TEST_F(ConnectionPointTest, SinksThatDisconnectDuringAnEventAreCalledNoMore) {
    struct Case {
        const char* name;
        DWORD firstDisconnects;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {"itself", 1, {"first 2", "second 2"}},
        {"the sink after it", 2, {"first 2"}},
    };
    for (const Case& c : cases) {
        events->DisconnectAll();
        log.clear();
        const DWORD firstCookie = Advise(*events, first);
        const DWORD secondCookie = Advise(*events, second);
        const DWORD leaving = c.firstDisconnects == 1 ? firstCookie : secondCookie;
        first.onInvoke = [&](DISPPARAMS&) { EXPECT_EQ(events->Unadvise(leaving), S_OK); };
        MouseArguments arguments;
        source.MouseIn(arguments.button, arguments.shift, arguments.x, arguments.y, arguments.sortRow);
        std::vector<std::string> calls;
        for (const std::string& line : log) calls.push_back(line.substr(0, line.find('(')));
        EXPECT_EQ(calls, c.calls) << c.name;
        EXPECT_EQ(c.firstDisconnects == 1 ? first.references : second.references, 0u) << c.name;
    }
}

TEST_F(ConnectionPointTest, AFailingSinkDoesNotKeepTheEventFromTheOthers) {
    Advise(*events, first);
    Advise(*events, second);
    first.failure = DISP_E_EXCEPTION;
    MouseArguments arguments;
    source.MouseUp(arguments.button, arguments.shift, arguments.x, arguments.y, arguments.sortRow);
    first.failure = E_FAIL;
    source.MouseUp(arguments.button, arguments.shift, arguments.x, arguments.y, arguments.sortRow);
    EXPECT_EQ(log.size(), 4u);
    EXPECT_EQ(log[1].substr(0, 8), "second 5");
    EXPECT_EQ(log[3].substr(0, 8), "second 5");
}

TEST_F(ConnectionPointTest, FrozenEventsAreDroppedUntilEveryFreezeIsUndone) {
    Advise(*events, first);
    MouseArguments arguments;
    const auto raise = [&] {
        source.MouseIn(arguments.button, arguments.shift, arguments.x, arguments.y, arguments.sortRow);
    };
    source.FreezeEvents(true);
    source.FreezeEvents(true);
    raise();
    source.FreezeEvents(false);
    raise();
    EXPECT_TRUE(log.empty());
    source.FreezeEvents(false);
    raise();
    source.FreezeEvents(false);
    raise();
    EXPECT_EQ(log.size(), 2u) << "an unmatched unfreeze changes nothing";
}

TEST_F(ConnectionPointTest, PropertyChangesReachEveryNotifySink) {
    Advise(notifications, watcher);
    Advise(notifications, otherWatcher);
    NotifyPropertyChanged(notifications, 0x68030020);
    NotifyPropertyChanged(notifications, DISPID_UNKNOWN);
    const std::vector<DISPID> expected = {0x68030020, DISPID_UNKNOWN};
    EXPECT_EQ(watcher.changed, expected);
    EXPECT_EQ(otherWatcher.changed, expected);
    EXPECT_EQ(owner.references, 0u);
}

TEST_F(ConnectionPointTest, DisconnectingOrDestroyingReleasesEverySink) {
    Advise(*events, first);
    Advise(*events, second);
    Advise(notifications, watcher);
    MouseArguments arguments;
    source.MouseDown(arguments.button, arguments.shift, arguments.x, arguments.y, arguments.sortRow, arguments.sort);
    NotifyPropertyChanged(notifications, 1);
    EXPECT_EQ(first.references, 1u);

    notifications.DisconnectAll();
    EXPECT_EQ(watcher.references, 0u);
    EXPECT_EQ(notifications.Unadvise(1), CONNECT_E_NOCONNECTION);
    events.reset();
    EXPECT_EQ(first.references, 0u);
    EXPECT_EQ(second.references, 0u);
    EXPECT_EQ(owner.references, 0u);
}

TEST_F(ConnectionPointTest, ASinkReleasingTheControlLetsTheEventFinish) {
    owner.references = 1;
    owner.onLastRelease = [this] { events.reset(); };
    Advise(*events, first);
    Advise(*events, second);
    first.onInvoke = [this](DISPPARAMS&) { owner.Release(); };
    second.onInvoke = [this](DISPPARAMS& parameters) {
        EXPECT_TRUE(events.has_value());
        ReplaceText(parameters, L"DESC");
    };
    MouseArguments arguments;
    source.RowPressed(arguments.previousTab, arguments.sortRow, arguments.sort);
    EXPECT_EQ(log.size(), 2u);
    EXPECT_EQ(arguments.sort, u"DESC");
    EXPECT_FALSE(events.has_value()) << "the control goes once the event is done";
    EXPECT_EQ(first.references, 0u);
    EXPECT_EQ(second.references, 0u);
}

}  // namespace
}  // namespace lumora::server
