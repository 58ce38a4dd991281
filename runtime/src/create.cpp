// Creation by class id. The runtime's own services are built in and need no registry.
#include "comrt/create.h"

#include "comrt/boundary.h"
#include "comrt/com_ptr.h"
#include "comrt/xml.h"
#include "xml_objects.h"

namespace {

using CreateBuiltIn = IUnknown* (*)();

struct BuiltInClass {
    const CLSID* clsid;
    CreateBuiltIn create;  // gives one reference, or throws
};

const BuiltInClass kBuiltIn[] = {
    {&CLSID_DOMDocument60, [] { return static_cast<IUnknown*>(new comrt::detail::XmlDocument()); }},
};

}  // namespace

extern "C" HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, uint32_t context, const IID& iid,
                                    void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    for (const BuiltInClass& builtIn : kBuiltIn) {
        if (!(*builtIn.clsid == clsid)) continue;
        if (!(context & CLSCTX_INPROC_SERVER)) return REGDB_E_CLASSNOTREG;
        if (outer) return CLASS_E_NOAGGREGATION;
        return comrt::GuardBoundary([&] {
            auto instance = comrt::ComPtr<IUnknown>::Attach(builtIn.create());
            return instance->QueryInterface(iid, out);
        });
    }
    // Registered classes come from the registry, which this runtime does not read yet.
    return REGDB_E_CLASSNOTREG;
}
