// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "forms/FormStream.h"
#include "lumora/control/LumoraListControl.h"
#include "lumora/forms/MemoryPropertyBag.h"
#include "lumora/platform/PropertyBag.h"

#include "ComVariant.h"

namespace lumora::server {

// The container's property bag as the control's: values cross as the
// VARIANT types a form designer's bag stores, and a value equal to its
// default is not written, so the reader's default stands in for it.
class ContainerPropertyBag final : public lumora::IPropertyBag {
public:
    ContainerPropertyBag(::IPropertyBag& bag, IErrorLog* log) noexcept : bag_(bag), log_(log) {}

    // Without a default, a key the bag does not hold raises error 327.
    Variant ReadProperty(const String& name, const std::optional<Variant>& defaultValue) override;
    // A write the bag refuses raises the runtime error its failure stands
    // for.
    void WriteProperty(const String& name, const Variant& value, const std::optional<Variant>& defaultValue) override;

private:
    ::IPropertyBag& bag_;
    IErrorLog* log_;
};

// The control's saved state in its binary format, as IPersistStreamInit
// and IPersistStorage write and read it.
HRESULT SaveControlToStream(LumoraListControl& control, IStream& stream);
// Reads exactly one saved state from the stream into bag, validating all
// of it first: on any failure the bag is left empty and nothing else
// changes. STG_E_READFAULT when the stream ends early, E_FAIL when its
// content is not a saved state.
HRESULT ReadSavedState(IStream& stream, forms::MemoryPropertyBag& bag);
// The size SaveControlToStream would write now.
HRESULT SavedStateSize(LumoraListControl& control, ULARGE_INTEGER* size);

}  // namespace lumora::server
