#include "correlations/correlation_base.h"

#include <new>
#include <utility>

#include "comrt/boundary.h"
#include "correlations/bstr_text.h"
#include "correlations/class_id_text.h"

namespace volacor {
namespace {

std::string ClassIdText(const GUID& classId) {
    char text[CLSID_STRING_SIZE] = {};
    ClassIdToString(classId, text, sizeof text);
    return text;
}

HRESULT NewBstr(const std::string& text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return comrt::GuardBoundary([&] {
        comrt::UniqueBstr copy = AnsiToBstr(text);
        if (!copy) return E_OUTOFMEMORY;
        *out = copy.release();
        return S_OK;
    });
}

HRESULT Report(int32_t value, int32_t* out) {
    if (!out) return E_POINTER;
    *out = value;
    return S_OK;
}

}  // namespace

CCorrelationBase::CCorrelationBase(const ClassDescription& description, PhaseProcedure procedure, IUnknown* outer)
    : description_(description),
      procedure_(procedure),
      controlling_(outer ? outer : &inner_),
      classId_(ClassIdText(description.classId)),
      displayName_(description.displayName) {}

CCorrelationBase::~CCorrelationBase() = default;

HRESULT CCorrelationBase::QueryInterface(const GUID& iid, void** out) { return controlling_->QueryInterface(iid, out); }
ULONG CCorrelationBase::AddRef() { return controlling_->AddRef(); }
ULONG CCorrelationBase::Release() { return controlling_->Release(); }

HRESULT CCorrelationBase::InnerQueryInterface(const GUID& iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    IUnknown* answer = nullptr;
    if (iid == IID_IUnknown)
        answer = &inner_;
    else if (iid == IID_IDispatch || iid == description_.dualInterfaceId)
        answer = DualInterfacePointer();
    else if (iid == IID_ICorrelation)
        answer = static_cast<ICorrelation*>(this);
    else
        return E_NOINTERFACE;
    answer->AddRef();
    *out = answer;
    return S_OK;
}

ULONG CCorrelationBase::InnerAddRef() noexcept { return ++referenceCount_; }

ULONG CCorrelationBase::InnerRelease() noexcept {
    const ULONG left = --referenceCount_;
    if (left == 0) {
        // Held at 1 for the teardown: a host that takes and gives back a reference while
        // it is let go of (a client querying the object from its own release) must not
        // destroy the object a second time.
        referenceCount_ = 1;
        ReleaseHostObjects();
        delete this;
    }
    return left;
}

void CCorrelationBase::ReleaseHostObjects() noexcept {
    // Moved out first, so the object is consistent (no clients, no variables) whatever
    // the host does while each reference goes; and released while the object is still
    // whole, so a callback that queries it reaches every interface it serves.
    auto connections = std::move(connections_);
    connections.clear();
    vlRatioVar_.reset();
    removeNcVar_.reset();
    refTempVar_.reset();
    phaseValuesVar_.reset();
    parameterSet_.reset();
    resultSet_.reset();
}

HRESULT CCorrelationBase::CompleteCreation(CCorrelationBase* object, const GUID& iid, void** out) noexcept {
    // The creation reference, held for the whole of creation: nothing final construction
    // does can destroy the object, and on every way out its release destroys an object
    // that nobody else took.
    object->InnerAddRef();
    const auto creation = comrt::ComPtr<IUnknown>::Attach(&object->inner_);
    if (!out) return E_POINTER;
    *out = nullptr;
    const HRESULT hr = comrt::GuardBoundary([object] { return object->FinalConstruct(); });
    if (FAILED(hr)) return hr;
    return object->InnerQueryInterface(iid, out);
}

HRESULT CCorrelationBase::GetTypeInfoCount(uint32_t* count) {
    if (!count) return E_POINTER;
    *count = 0;  // no type information until the type library is registered
    return S_OK;
}

HRESULT CCorrelationBase::GetTypeInfo(uint32_t, LCID, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    return E_NOTIMPL;
}

HRESULT CCorrelationBase::GetIDsOfNames(const GUID&, OLECHAR**, uint32_t, LCID, DISPID* ids) {
    if (!ids) return E_POINTER;
    return E_NOTIMPL;
}

HRESULT CCorrelationBase::Invoke(DISPID, const GUID&, LCID, uint16_t, DISPPARAMS*, VARIANT*, EXCEPINFO*, uint32_t*) {
    return E_NOTIMPL;
}

HRESULT CCorrelationBase::get_Name(BSTR* name) { return NewBstr(displayName_, name); }
HRESULT CCorrelationBase::get_ClassId(BSTR* classId) { return NewBstr(classId_, classId); }
HRESULT CCorrelationBase::get_Attribute1(int32_t* value) { return Report(attribute1_, value); }
HRESULT CCorrelationBase::get_Attribute2(int32_t* value) { return Report(attribute2_, value); }
HRESULT CCorrelationBase::get_Attribute3(int32_t* value) { return Report(attribute2_, value); }
HRESULT CCorrelationBase::get_Attribute4(int32_t* value) { return Report(attribute4_, value); }

HRESULT CCorrelationBase::get_Parameters(IVariableSet** parameters) {
    if (!parameters) return E_POINTER;
    parameterSet_.copy_to(parameters);
    return S_OK;
}

HRESULT CCorrelationBase::Attach(IUnknown* client, int32_t clientKey, int32_t* cookie, IVariableSet** setLocation) {
    if (!cookie || !setLocation) return E_POINTER;
    return comrt::GuardBoundary([&] {
        if (!client) return CONNECT_E_NOCONNECTION;
        comrt::ComPtr<ICorrelationClient> correlationClient;
        if (FAILED(client->QueryInterface(IID_ICorrelationClient, correlationClient.put_void())) || !correlationClient)
            return CONNECT_E_NOCONNECTION;

        // The record and its room in the list are made before Clone: running out of
        // memory then leaves nothing taken and the set location untouched.
        std::unique_ptr<CConnectionInfo> record(new (std::nothrow) CConnectionInfo);
        if (!record) return E_OUTOFMEMORY;
        if (connections_.size() == connections_.capacity()) connections_.reserve(connections_.size() * 2 + 1);

        if (!resultSet_ || FAILED(resultSet_->Clone(setLocation))) return CONNECT_E_NOCONNECTION;

        record->clientKey = clientKey;
        record->cookie = static_cast<int32_t>(connections_.size()) + 1;
        record->client = std::move(correlationClient);
        record->variableSet = comrt::ComPtr<IVariableSet>::Attach(*setLocation);  // takes over, adds none
        *cookie = record->cookie;
        connections_.push_back(std::move(record));  // room reserved above: cannot throw
        return S_OK;
    });
}

std::ptrdiff_t CCorrelationBase::FindConnection(int32_t cookie) const noexcept {
    for (size_t i = 0; i < connections_.size(); ++i)
        if (connections_[i]->cookie == cookie) return static_cast<std::ptrdiff_t>(i);
    return -1;
}

HRESULT CCorrelationBase::Detach(int32_t cookie) {
    return comrt::GuardBoundary([&] {
        const std::ptrdiff_t index = FindConnection(cookie);
        if (index < 0) return CONNECT_E_CANNOTCONNECT;
        std::unique_ptr<CConnectionInfo> removed = std::move(connections_[static_cast<size_t>(index)]);
        connections_.erase(connections_.begin() + index);
        // Each cookie equals its record's position again before any host code runs.
        for (size_t i = static_cast<size_t>(index); i < connections_.size(); ++i) connections_[i]->cookie -= 1;
        removed.reset();
        return S_OK;
    });
}

}  // namespace volacor
