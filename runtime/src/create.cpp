// Creation by class id. The runtime's own services are built in and need no registry;
// registered classes come from the library their InprocServer32 key names.
#include "comrt/create.h"

#include "comrt/boundary.h"
#include "comrt/codepage.h"
#include "comrt/com_ptr.h"
#include "comrt/guid.h"
#include "comrt/library.h"
#include "comrt/registry.h"
#include "comrt/xml.h"
#include "loader_search.h"
#include "xml_objects.h"

namespace {

using CreateBuiltIn = IUnknown* (*)();
using GetClassObjectEntry = HRESULT (*)(const GUID&, const GUID&, void**);

// The class object of a built-in class: one static object, never destroyed, so its
// reference count has nothing to do.
class BuiltInFactory final : public IClassFactory {
public:
    explicit constexpr BuiltInFactory(CreateBuiltIn create) : create_(create) {}
    HRESULT QueryInterface(const GUID& iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
    HRESULT CreateInstance(IUnknown* outer, const GUID& iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return comrt::GuardBoundary([&] {
            auto instance = comrt::ComPtr<IUnknown>::Attach(create_());
            return instance->QueryInterface(iid, out);
        });
    }
    HRESULT LockServer(BOOL) override { return S_OK; }

private:
    CreateBuiltIn create_;
};

struct BuiltInClass {
    const CLSID* clsid;
    BuiltInFactory* factory;
};

BuiltInFactory domDocumentFactory{[] { return static_cast<IUnknown*>(new comrt::detail::XmlDocument()); }};

const BuiltInClass kBuiltIn[] = {
    {&CLSID_DOMDocument60, &domDocumentFactory},
};

BuiltInFactory* BuiltInFactoryOf(const CLSID& clsid) {
    for (const BuiltInClass& builtIn : kBuiltIn)
        if (*builtIn.clsid == clsid) return builtIn.factory;
    return nullptr;
}

// The registry read for one question; a registry that cannot be read is reported with
// its reason kept for the caller.
template <class Question>
HRESULT AskRegistry(Question&& question) {
    try {
        return question(comrt::registry::Load());
    } catch (const comrt::registry::RegistryError& error) {
        comrt::registry::SetLastError(error.what());
        return REGDB_E_READREGDB;
    }
}

const comrt::registry::Key* FindUnderClassesRoot(const comrt::registry::Tree& tree,
                                                 std::initializer_list<std::string_view> names) {
    const comrt::registry::Key* key = tree.rootIfPresent("HKCR");
    for (std::string_view name : names) {
        if (!key) return nullptr;
        key = key->subkey(name);
    }
    return key;
}

HRESULT GetRegisteredClassObject(const CLSID& clsid, const IID& iid, void** out, const void* caller) {
    char clsidText[GUID_STRING_CHARS + 1];
    if (FAILED(comrt_GuidToString(clsid, clsidText, sizeof clsidText))) return E_INVALIDARG;
    std::string library;
    const HRESULT looked = AskRegistry([&](const comrt::registry::Tree& tree) {
        const comrt::registry::Key* server = FindUnderClassesRoot(tree, {"CLSID", clsidText, "InprocServer32"});
        if (!server || !server->defaultValue() || server->defaultValue()->empty()) return REGDB_E_CLASSNOTREG;
        library = *server->defaultValue();
        return S_OK;
    });
    if (FAILED(looked)) return looked;
    void* handle = comrt::detail::LoadAutoFreeOnce(library, caller);
    if (!handle) return CO_E_DLLNOTFOUND;
    auto entry = reinterpret_cast<GetClassObjectEntry>(
        GetProcAddress(reinterpret_cast<HMODULE>(handle), "DllGetClassObject"));
    if (!entry) return CO_E_ERRORINDLL;
    const HRESULT hr = entry(clsid, iid, out);
    if (FAILED(hr) && out) *out = nullptr;
    return hr;
}

}  // namespace

extern "C" HRESULT CoGetClassObject(const CLSID& clsid, uint32_t context, void* serverInfo, const IID& iid,
                                    void** out) {
    const void* caller = __builtin_return_address(0);
    if (!out) return E_POINTER;
    *out = nullptr;
    if (serverInfo) return E_INVALIDARG;
    if (!(context & CLSCTX_INPROC_SERVER)) return REGDB_E_CLASSNOTREG;
    if (BuiltInFactory* factory = BuiltInFactoryOf(clsid)) return factory->QueryInterface(iid, out);
    return comrt::GuardBoundary([&] { return GetRegisteredClassObject(clsid, iid, out, caller); });
}

extern "C" HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, uint32_t context, const IID& iid,
                                    void** out) {
    const void* caller = __builtin_return_address(0);
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!(context & CLSCTX_INPROC_SERVER)) return REGDB_E_CLASSNOTREG;
    if (BuiltInFactory* factory = BuiltInFactoryOf(clsid)) return factory->CreateInstance(outer, iid, out);
    return comrt::GuardBoundary([&] {
        comrt::ComPtr<IClassFactory> factory;
        const HRESULT got = GetRegisteredClassObject(clsid, IID_IClassFactory, factory.put_void(), caller);
        if (FAILED(got)) return got;
        if (!factory) return E_UNEXPECTED;
        const HRESULT created = factory->CreateInstance(outer, iid, out);
        if (FAILED(created)) *out = nullptr;
        return created;
    });
}

extern "C" HRESULT CLSIDFromProgID(const OLECHAR* progId, CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = GUID{};
    if (!progId) return E_POINTER;
    return comrt::GuardBoundary([&] {
        const std::string id = comrt::WideToUtf8(progId);
        if (id.empty() || id.find('\\') != std::string::npos) return CO_E_CLASSSTRING;
        return AskRegistry([&](const comrt::registry::Tree& tree) {
            const comrt::registry::Key* key = FindUnderClassesRoot(tree, {id});
            if (!key) return CO_E_CLASSSTRING;
            // A version-independent id points at its current version.
            if (const comrt::registry::Key* curVer = key->subkey("CurVer");
                curVer && curVer->defaultValue() && !curVer->defaultValue()->empty() &&
                curVer->defaultValue()->find('\\') == std::string::npos) {
                if (const comrt::registry::Key* current = FindUnderClassesRoot(tree, {*curVer->defaultValue()});
                    current && current->subkey("CLSID"))
                    key = current;
            }
            const comrt::registry::Key* classKey = key->subkey("CLSID");
            if (!classKey || !classKey->defaultValue()) return CO_E_CLASSSTRING;
            const HRESULT parsed = comrt_StringToGuid(classKey->defaultValue()->c_str(), clsid);
            if (FAILED(parsed)) {
                *clsid = GUID{};
                return CO_E_CLASSSTRING;
            }
            return S_OK;
        });
    });
}
