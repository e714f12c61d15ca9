// SPDX-License-Identifier: MIT
// Nothing outlives its use: the library unloads once its objects and locks
// are gone, and a control gives back every GDI object and every reference
// it took.
#include "WindowsHeaders.h"

#include <gtest/gtest.h>

#include "ControlObject.h"
#include "DorvaneLumoraStyleList.h"
#include "WindowlessSite.h"
#include "server/DispatchCalls.h"

namespace lumora::server::testing {
namespace {

using CanUnloadNow = HRESULT(STDAPICALLTYPE*)();

// How many references an object holds right now.
ULONG References(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

TEST(Lifetime, LibraryMayUnloadOnlyWithoutObjectsAndLocks) {
    HMODULE library = ::LoadLibraryA(LUMORA_SERVER_PATH);
    ASSERT_NE(library, nullptr);
    const auto canUnloadNow =
        reinterpret_cast<CanUnloadNow>(reinterpret_cast<void*>(::GetProcAddress(library, "DllCanUnloadNow")));
    ASSERT_NE(canUnloadNow, nullptr);
    // Objects of earlier tests are gone once COM lets go of them.
    ::CoFreeUnusedLibraries();
    EXPECT_EQ(canUnloadNow(), S_OK);

    IClassFactory* factory = nullptr;
    ASSERT_EQ(::CoGetClassObject(CLSID_LumoraListControl, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                 reinterpret_cast<void**>(&factory)),
              S_OK);
    EXPECT_EQ(canUnloadNow(), S_FALSE) << "a class factory is alive";
    IDispatch* control = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&control)), S_OK);
    IUnknown* aggregated = nullptr;
    EXPECT_EQ(factory->CreateInstance(control, IID_IUnknown, reinterpret_cast<void**>(&aggregated)),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory->Release();
    EXPECT_EQ(canUnloadNow(), S_FALSE) << "a control and a lock are alive";

    IConnectionPointContainer* container = nullptr;
    ASSERT_EQ(control->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)), S_OK);
    IConnectionPoint* point = nullptr;
    ASSERT_EQ(container->FindConnectionPoint(DIID___LumoraListControl, &point), S_OK);
    container->Release();
    control->Release();
    EXPECT_EQ(canUnloadNow(), S_FALSE) << "a connection point keeps its control";
    point->Release();
    EXPECT_EQ(canUnloadNow(), S_FALSE) << "the lock is still held";

    IClassFactory* again = nullptr;
    ASSERT_EQ(::CoGetClassObject(CLSID_LumoraListControl, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                 reinterpret_cast<void**>(&again)),
              S_OK);
    EXPECT_EQ(again->LockServer(FALSE), S_OK);
    again->Release();
    EXPECT_EQ(canUnloadNow(), S_OK);
    ::FreeLibrary(library);
}

TEST(Lifetime, ControlReleasesEveryGdiObjectAndReference) {
    const long gdiBefore = WindowlessSite::LiveGdiObjects();
    PICTDESC description{};
    description.cbSizeofstruct = sizeof(PICTDESC);
    description.picType = PICTYPE_BITMAP;
    description.bmp.hbitmap = ::CreateBitmap(8, 8, 1, 32, nullptr);
    IPictureDisp* picture = nullptr;
    ASSERT_EQ(::OleCreatePictureIndirect(&description, IID_IPictureDisp, TRUE, reinterpret_cast<void**>(&picture)),
              S_OK);
    const ULONG pictureReferences = References(picture);

    {
        IDispatch* control = nullptr;
        ASSERT_EQ(CreateControlObject(IID_IDispatch, reinterpret_cast<void**>(&control)), S_OK);
        EXPECT_GT(WindowlessSite::LiveGdiObjects(), gdiBefore) << "the persistent image";
        Call(control, L"AddRow", {Var(40L), Var(L"&Name"), Var::Object(picture)});
        Put(control, L"FontBold", Var::Boolean(true));
        Put(control, L"SelectedRow", Var(2L));
        Get(control, L"RowWidth", {Var(9L)});  // fails, and must not leak either
        IPersistStreamInit* persist = nullptr;
        ASSERT_EQ(control->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&persist)), S_OK);
        IStream* stream = nullptr;
        ::CreateStreamOnHGlobal(nullptr, TRUE, &stream);
        EXPECT_EQ(persist->Save(stream, TRUE), S_OK);
        stream->Release();
        persist->Release();
        EXPECT_GT(References(picture), pictureReferences) << "the column holds the picture";
        EXPECT_EQ(control->Release(), 0u);
    }

    EXPECT_EQ(WindowlessSite::LiveGdiObjects(), gdiBefore);
    EXPECT_EQ(References(picture), pictureReferences);
    picture->Release();
}

}  // namespace
}  // namespace lumora::server::testing
