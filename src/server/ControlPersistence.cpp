// SPDX-License-Identifier: MIT
#include "ControlPersistence.h"

#include <memory>

#include "lumora/runtime/RuntimeError.h"
#include "platform/win32/ComError.h"
#include "platform/win32/ScopedComPtr.h"
#include "platform/win32/Win32Font.h"
#include "platform/win32/Win32Picture.h"

#include "ComErrorInfo.h"

namespace lumora::server {

using win32::ScopedComPtr;

Variant ContainerPropertyBag::ReadProperty(const String& name, const std::optional<Variant>& defaultValue) {
    const std::wstring key(name.begin(), name.end());
    ScopedVariant value;
    const HRESULT hr = bag_.Read(key.c_str(), value.get(), log_);
    if (FAILED(hr)) {
        if (defaultValue) return *defaultValue;
        Raise(err::kKeyNotFound);
    }
    return VariantFromCom(*value);
}

void ContainerPropertyBag::WriteProperty(const String& name, const Variant& value,
                                         const std::optional<Variant>& defaultValue) {
    if (defaultValue && value.SameValueAs(*defaultValue)) return;
    const std::wstring key(name.begin(), name.end());
    ScopedVariant converted;
    VariantToCom(value, converted.get());
    win32::CheckCom(bag_.Write(key.c_str(), converted.get()));
}

namespace {

// Pictures and fonts of the binary format as the system's own objects.
class SystemFormObjects final : public forms::IFormObjects {
public:
    std::string SavePicture(const PicturePtr& picture) override {
        const auto* system = dynamic_cast<const win32::Win32Picture*>(picture.get());
        if (!system) Raise(err::kInvalidPicture);
        return system->FileBytes();
    }
    PicturePtr LoadPicture(std::string_view bytes) override {
        return win32::Win32Picture::FromFileBytes(std::string(bytes));
    }
    FontPtr CreateFont(const FontDescription& description) override { return win32::Win32Font::Create(description); }
};

std::string SerializeControl(LumoraListControl& control) {
    forms::MemoryPropertyBag bag;
    control.WriteProperties(bag);
    SystemFormObjects objects;
    return forms::WriteFormStream(forms::EntriesOf(bag), objects);
}

// Reads exactly size bytes, or fails with STG_E_READFAULT.
HRESULT ReadExactly(IStream& stream, char* into, std::size_t size) {
    while (size > 0) {
        ULONG read = 0;
        const ULONG chunk = static_cast<ULONG>(std::min<std::size_t>(size, 1u << 20));
        const HRESULT hr = stream.Read(into, chunk, &read);
        if (FAILED(hr)) return hr;
        if (read == 0) return STG_E_READFAULT;
        into += read;
        size -= read;
    }
    return S_OK;
}

// A runtime error inside the format's code becomes the error object the
// caller reads and its control-facility result.
template <typename Step>
HRESULT Guarded(Step&& step) noexcept {
    try {
        return step();
    } catch (const forms::FormStreamError& error) {
        ReportRuntimeError(err::kPathFileAccess, error.what());
        return E_FAIL;
    } catch (const RuntimeError& error) {
        return ReportRuntimeError(error.number(), error.description());
    } catch (const std::bad_alloc&) {
        return ReportRuntimeError(err::kOutOfMemory, DescribeError(err::kOutOfMemory));
    }
}

}  // namespace

HRESULT SaveControlToStream(LumoraListControl& control, IStream& stream) {
    return Guarded([&] {
        const std::string bytes = SerializeControl(control);
        ULONG written = 0;
        const HRESULT hr = stream.Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
        if (FAILED(hr)) return hr;
        return written == bytes.size() ? S_OK : STG_E_MEDIUMFULL;
    });
}

HRESULT SavedStateSize(LumoraListControl& control, ULARGE_INTEGER* size) {
    return Guarded([&] {
        size->QuadPart = SerializeControl(control).size();
        return S_OK;
    });
}

HRESULT ReadSavedState(IStream& stream, forms::MemoryPropertyBag& bag) {
    return Guarded([&] {
        std::string bytes(forms::kFormStreamHeaderSize, '\0');
        HRESULT hr = ReadExactly(stream, bytes.data(), bytes.size());
        if (FAILED(hr)) return hr;
        const std::size_t payload = forms::FormStreamPayloadLength(bytes);
        bytes.resize(bytes.size() + payload);
        hr = ReadExactly(stream, bytes.data() + forms::kFormStreamHeaderSize, payload);
        if (FAILED(hr)) return hr;
        SystemFormObjects objects;
        bag = forms::BagOf(forms::ReadFormStream(bytes, objects));
        return S_OK;
    });
}

}  // namespace lumora::server
