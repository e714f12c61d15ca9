// SPDX-License-Identifier: MIT
#pragma once

// The portable headers come before <windows.h>, whose macros would rename
// portable members.
#include "lumora/control/ControlEvents.h"
#include "platform/win32/ScopedComPtr.h"

#include <initializer_list>
#include <list>
#include <vector>

#include "WindowsHeaders.h"

#include <ocidl.h>
#include <olectl.h>

namespace lumora::server {

// One connection point of an object: the sinks that containers connected for
// one outgoing interface. It lives inside its object and has no life of its
// own, so AddRef and Release count on the owner; anyone holding the point
// keeps the whole object alive. The control is apartment-threaded: every
// call arrives on the object's own thread.
class ConnectionPoint final : public IConnectionPoint {
public:
    // A connected sink, as QueryInterface answered it for the connection's
    // interface, with a reference of its own.
    struct Sink {
        DWORD cookie = 0;
        win32::ScopedComPtr<IUnknown> sink;
    };

    ConnectionPoint(IUnknown& owner, IConnectionPointContainer& container, const IID& iid) noexcept;
    // Releases every sink still connected.
    ~ConnectionPoint();
    ConnectionPoint(const ConnectionPoint&) = delete;
    ConnectionPoint& operator=(const ConnectionPoint&) = delete;

    // Answers IUnknown and IConnectionPoint with the point itself.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
    // Hands out the owner's container with a new reference.
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) override;
    // Connects a sink that answers the connection's interface, under a
    // cookie never handed out before (the first is 1). A sink that does not
    // answer it gets CONNECT_E_CANNOTCONNECT.
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
    // CONNECT_E_NOCONNECTION for a cookie that is not connected (any more).
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    // Enumerates the connections as they are now; later changes do not show.
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override;

    // The connected sinks in the order they connected, each with a reference
    // of its own, so that a sink that disconnects itself or others during a
    // call stays valid until the caller is done with the list.
    std::vector<Sink> Sinks() const;
    // Whether the cookie is still connected: a sink that another sink
    // disconnected during a call is not called any more.
    bool IsConnected(DWORD cookie) const noexcept;
    // Lets every sink go; the owner calls this when it is closed.
    void DisconnectAll() noexcept;

    const IID& Iid() const noexcept { return iid_; }

private:
    IUnknown& owner_;
    IConnectionPointContainer& container_;
    const IID iid_;
    // A list, as sinks come and go in any order and a sink's holder moves
    // but is not assigned.
    std::list<Sink> connections_;
    // Cookies only grow: a stale cookie from a container must never
    // disconnect someone else's sink.
    DWORD nextCookie_ = 1;
};

// An IEnumConnectionPoints over the object's points, for
// IConnectionPointContainer::EnumConnectionPoints. It holds a reference to
// each point (and so to the object) while it lives.
HRESULT EnumerateConnectionPoints(std::initializer_list<IConnectionPoint*> points, IEnumConnectionPoints** result);

// Raises the control's events to every sink of the events connection point
// through IDispatch::Invoke. Each argument goes by reference: what one sink
// writes back is what the next sink sees, and what the control gets when all
// sinks are done. A failing sink does not keep the event from the others.
class ControlEventSource final : public lumora::ILumoraListControlEvents {
public:
    // The events' DISPIDs in the control's event interface.
    static constexpr DISPID kRowPressed = 1;
    static constexpr DISPID kMouseIn = 2;
    static constexpr DISPID kMouseOut = 3;
    static constexpr DISPID kMouseDown = 4;
    static constexpr DISPID kMouseUp = 5;

    explicit ControlEventSource(ConnectionPoint& events) noexcept : events_(events) {}

    void RowPressed(Integer& PreviousTab, Long& SortRow, String& Sort) override;
    void MouseIn(Integer& Button, Integer& Shift, Single& X, Single& Y, Long& SortRow) override;
    void MouseOut(Integer& Button, Integer& Shift, Single& X, Single& Y, Long& SortRow) override;
    void MouseDown(Integer& Button, Integer& Shift, Single& X, Single& Y, Long& SortRow, String& Sort) override;
    void MouseUp(Integer& Button, Integer& Shift, Single& X, Single& Y, Long& SortRow) override;

    // IOleControl::FreezeEvents: calls nest, and while any freeze is in
    // force events are dropped, not kept for later. An unfreeze without a
    // freeze is ignored.
    void FreezeEvents(bool freeze) noexcept;
    bool EventsFrozen() const noexcept { return frozen_ > 0; }

private:
    ConnectionPoint& events_;
    int frozen_ = 0;
};

// Tells every IPropertyNotifySink connected to sinks that the property with
// this DISPID changed (DISPID_UNKNOWN: several or all of them).
void NotifyPropertyChanged(ConnectionPoint& sinks, DISPID dispid);

}  // namespace lumora::server
