#include "refhost/manager/correlation_manager.h"

#include <array>
#include <cstdio>
#include <mutex>

#include "comrt/codepage.h"
#include "comrt/create.h"
#include "comrt/guid.h"
#include "comrt/library.h"
#include "comrt/owners.h"
#include "host/variables.h"
#include "refhost/manager/calculation_lock.h"
#include "refhost/manager/stream_client.h"
#include "refhost/stream/material_stream.h"

namespace refhost {

using comrt::ComPtr;
using volacor::EMPTY_VALUE;
using volacor::ICorrelation;
using volacor::IRealVariable;
using volacor::IRealVectorVariable;
using volacor::IVariableSet;

namespace {

using GetClassObjectFn = HRESULT (*)(const GUID&, const GUID&, void**);

std::string StatusText(HRESULT status) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(status));
    return text;
}

[[noreturn]] void Fail(const std::string& what, HRESULT status) {
    throw CorrelationError(what + " (status " + StatusText(status) + ")", status);
}

std::string TakeText(BSTR text) {
    comrt::UniqueBstr owned(text);
    return comrt::WideToUtf8(std::u16string_view(text, SysStringLen(text)));
}

comrt::UniqueBstr Wide(std::string_view text) {
    const std::u16string wide = comrt::Utf8ToWide(text);
    return comrt::UniqueBstr(SysAllocStringLen(wide.data(), static_cast<uint32_t>(wide.size())));
}

// The variable of that tagged name in the set, as IRealVariable; null when absent.
ComPtr<IRealVariable> FindReal(IVariableSet& set, std::string_view name) {
    ComPtr<IUnknown> found;
    ComPtr<IRealVariable> real;
    const comrt::UniqueBstr wanted = Wide(name);
    if (set.FindVariable(wanted.get(), found.put()) != S_OK || !found) return real;
    found->QueryInterface(volacor::IID_IRealVariable, real.put_void());
    return real;
}

// "Phase_Values" element of each PhaseIndex (VAP, LIQ1, LIQ2, SOLID, FEED).
constexpr int32_t kElementOfPhase[volacor::PHASE_COUNT] = {1, 2, 3, 5, 0};
constexpr int32_t kPhaseValuesLength = 6;

// A line of the method's that speaks of the phase: "Phase: VAP - ...", or one without a
// phase prefix (which covers every phase, as the single-component line does).
bool Explained(const std::vector<std::string>& messages, const char* phase) {
    const std::string prefix = std::string("Phase: ") + phase + " ";
    for (const std::string& line : messages)
        if (line.rfind(prefix, 0) == 0 || line.rfind("Phase: ", 0) != 0) return true;
    return false;
}

}  // namespace

std::mutex& CalculationMutex() {
    static std::mutex mutex;
    return mutex;
}

// One load of the component library and its class-object export.
class LoadedLibrary {
public:
    explicit LoadedLibrary(const std::string& path) : module_(LoadLibraryA(path.c_str())) {
        if (!module_) throw CorrelationError("cannot load the correlation library \"" + path + "\"", E_FAIL);
        getClassObject_ = reinterpret_cast<GetClassObjectFn>(GetProcAddress(module_.get(), "DllGetClassObject"));
        if (!getClassObject_)
            throw CorrelationError("\"" + path + "\" has no DllGetClassObject: not a component library", E_FAIL);
    }
    HRESULT GetClassObject(const CLSID& classId, IClassFactory** factory) const {
        return getClassObject_(classId, IID_IClassFactory, reinterpret_cast<void**>(factory));
    }

private:
    comrt::UniqueLibrary module_;
    GetClassObjectFn getClassObject_ = nullptr;
};

// --- Correlation

Correlation::Correlation(const MethodInfo& method, ComPtr<ICorrelation> object, std::shared_ptr<LoadedLibrary> library)
    : method_(&method), object_(std::move(object)), library_(std::move(library)) {}

Correlation::Correlation(Correlation&&) noexcept = default;

Correlation& Correlation::operator=(Correlation&& other) noexcept {
    if (this != &other) {
        object_ = std::move(other.object_);  // the old object goes before its library
        library_ = std::move(other.library_);
        method_ = other.method_;
    }
    return *this;
}

Correlation::~Correlation() { object_.reset(); }

std::string Correlation::name() const {
    BSTR text = nullptr;
    if (HRESULT hr = object_->get_Name(&text); FAILED(hr)) Fail("get_Name failed", hr);
    return TakeText(text);
}

std::string Correlation::classId() const {
    BSTR text = nullptr;
    if (HRESULT hr = object_->get_ClassId(&text); FAILED(hr)) Fail("get_ClassId failed", hr);
    return TakeText(text);
}

Parameters Correlation::parameters() const {
    ComPtr<IVariableSet> set;
    if (HRESULT hr = object_->get_Parameters(set.put()); FAILED(hr) || !set)
        Fail("get_Parameters failed", FAILED(hr) ? hr : E_POINTER);
    const auto read = [&](std::string_view name) -> std::optional<double> {
        ComPtr<IRealVariable> variable = FindReal(*set.get(), name);
        double value = EMPTY_VALUE;
        if (!variable) return std::nullopt;
        if (HRESULT hr = variable->GetValue(&value); FAILED(hr)) Fail("reading \"" + std::string(name) + "\" failed", hr);
        if (value == EMPTY_VALUE) return std::nullopt;
        return value;
    };
    return {read("RVPRefTempValue"), read("RemoveNCmolPercent"), read("VLRatioValue")};
}

void Correlation::SetParameters(const Parameters& values) {
    ComPtr<IVariableSet> set;
    if (HRESULT hr = object_->get_Parameters(set.put()); FAILED(hr) || !set)
        Fail("get_Parameters failed", FAILED(hr) ? hr : E_POINTER);
    const auto write = [&](std::string_view name, const std::optional<double>& value) {
        if (!value) return;
        ComPtr<IRealVariable> variable = FindReal(*set.get(), name);
        if (!variable)
            throw CorrelationError(std::string(method_->shortName) + " has no parameter \"" + std::string(name) + "\"",
                                   E_INVALIDARG);
        if (HRESULT hr = variable->SetValue(*value); FAILED(hr)) Fail("writing \"" + std::string(name) + "\" failed", hr);
    };
    write("RVPRefTempValue", values.referenceTemperature_C);
    write("RemoveNCmolPercent", values.removeNcMolePercent);
    write("VLRatioValue", values.vlRatio);
}

void Correlation::NoteSilentEmptyResults(MaterialStream& stream, CalculationResult& result) const {
    const std::array<bool, 4> present = stream.PresentPhases();
    for (int32_t phase : {volacor::FEED, volacor::VAP, volacor::LIQ1, volacor::LIQ2, volacor::SOLID}) {
        const bool calculated = phase == volacor::FEED || (!method_->feedOnly && present[static_cast<size_t>(phase)]);
        if (!calculated || result.rvp_kPa[static_cast<size_t>(phase)]) continue;
        const char* name = volacor::PhaseName(phase);
        if (Explained(result.messages, name)) continue;
        result.notes.push_back(std::string("Phase: ") + name + " - " + std::string(method_->displayName) +
                               " (" + std::string(method_->shortName) + ") gave no result and no reason.");
    }
}

CalculationResult Correlation::Calculate(MaterialStream& stream) {
    const std::lock_guard<std::mutex> lock(CalculationMutex());
    (void)stream.TakeMessages();  // lines of earlier calculations are not this one's
    stream.ResetFlashCount();

    ComPtr<volacor::ICorrelationClient> client = MakeStreamClient(stream);
    IVariableSet* clientSet = nullptr;  // the connection record owns it while attached
    int32_t cookie = 0;
    if (HRESULT hr = object_->Attach(client.get(), 1, &cookie, &clientSet); FAILED(hr))
        Fail("Attach of stream \"" + stream.state().name + "\" failed", hr);
    // Detached on every way out, so the object drops the client (and the stream) it was given.
    struct Attachment {
        ICorrelation* object;
        int32_t cookie;
        ~Attachment() { object->Detach(cookie); }
    } attachment{object_.get(), cookie};

    CalculationResult result;
    ComPtr<IRealVectorVariable> phaseValues;
    {
        ComPtr<IUnknown> found;
        const comrt::UniqueBstr name = Wide("Phase_Values");
        if (clientSet && clientSet->FindVariable(name.get(), found.put()) == S_OK && found)
            found->QueryInterface(volacor::IID_IRealVectorVariable, phaseValues.put_void());
    }
    // Empty before the calculation, so nothing of an earlier one is read back.
    if (phaseValues)
        for (int32_t i = 0; i < kPhaseValuesLength; ++i) phaseValues->SetElement(i, EMPTY_VALUE);

    result.status = object_->Calculate(cookie);
    if (phaseValues && SUCCEEDED(result.status)) {
        for (int32_t phase = 0; phase < volacor::PHASE_COUNT; ++phase) {
            double value = EMPTY_VALUE;
            if (SUCCEEDED(phaseValues->GetElement(kElementOfPhase[phase], &value)) && value != EMPTY_VALUE)
                result.rvp_kPa[static_cast<size_t>(phase)] = value;
        }
    }
    result.messages = MaterialStream::MessagesUtf8(stream.TakeMessages());
    result.flashes = stream.flashCount();
    if (SUCCEEDED(result.status)) NoteSilentEmptyResults(stream, result);
    return result;
}

// --- CorrelationManager

CorrelationManager::CorrelationManager(Activation activation, std::shared_ptr<LoadedLibrary> library)
    : activation_(activation), library_(std::move(library)) {}

CorrelationManager CorrelationManager::FromLibrary(const std::string& path) {
    return CorrelationManager(Activation::LibraryFile, std::make_shared<LoadedLibrary>(path));
}

CorrelationManager CorrelationManager::FromRegistry() { return CorrelationManager(Activation::Registry, nullptr); }

Correlation CorrelationManager::Create(std::string_view method) const {
    const MethodInfo* found = FindMethod(method);
    if (!found) {
        std::string known;
        for (const MethodInfo& m : Methods()) known += (known.empty() ? "" : ", ") + std::string(m.shortName);
        throw CorrelationError("unknown method \"" + std::string(method) + "\" (known: " + known + ")", E_INVALIDARG);
    }
    return Create(*found);
}

Correlation CorrelationManager::Create(const MethodInfo& method) const {
    ComPtr<ICorrelation> object;
    if (activation_ == Activation::LibraryFile) {
        ComPtr<IClassFactory> factory;
        if (HRESULT hr = library_->GetClassObject(method.classId, factory.put()); FAILED(hr) || !factory)
            Fail("the library serves no class object for " + std::string(method.className), FAILED(hr) ? hr : E_FAIL);
        if (HRESULT hr = factory->CreateInstance(nullptr, volacor::IID_ICorrelation, object.put_void()); FAILED(hr))
            Fail("creating " + std::string(method.className) + " failed", hr);
    } else {
        CLSID classId{};
        const comrt::UniqueBstr progId = Wide(method.progId);
        if (HRESULT hr = CLSIDFromProgID(progId.get(), &classId); FAILED(hr))
            Fail("\"" + std::string(method.progId) + "\" is not registered (run `comrt register` on the library)", hr);
        if (!(classId == method.classId))
            Fail("\"" + std::string(method.progId) + "\" is registered under another class id", REGDB_E_CLASSNOTREG);
        if (HRESULT hr = CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, volacor::IID_ICorrelation,
                                          object.put_void());
            FAILED(hr))
            Fail("creating " + std::string(method.progId) + " through the registry failed", hr);
    }
    if (!object) Fail("creating " + std::string(method.className) + " gave no object", E_POINTER);
    return Correlation(method, std::move(object), library_);
}

}  // namespace refhost
