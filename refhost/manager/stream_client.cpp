#include "refhost/manager/stream_client.h"

#include <atomic>
#include <new>

#include "refhost/stream/material_stream.h"

namespace refhost {
namespace {

using volacor::ICorrelationClient;
using volacor::ICorrelationContext;

std::atomic<int64_t> live{0};

// Reference counting of the two objects: relaxed increments, and the release that reaches
// zero orders the deletion (acquire-release).
template <class Interface>
class Counted : public Interface {
public:
    HRESULT QueryInterface(const GUID& iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!(iid == IID_IUnknown) && !(iid == OwnId())) return E_NOINTERFACE;
        AddRef();
        *out = static_cast<Interface*>(this);
        return S_OK;
    }
    ULONG AddRef() override { return count_.fetch_add(1, std::memory_order_relaxed) + 1; }
    ULONG Release() override {
        const ULONG left = count_.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (left == 0) delete this;
        return left;
    }

protected:
    Counted() { live.fetch_add(1, std::memory_order_relaxed); }
    virtual ~Counted() { live.fetch_sub(1, std::memory_order_relaxed); }
    virtual const IID& OwnId() const = 0;

private:
    std::atomic<ULONG> count_{1};
};

class StreamContext final : public Counted<ICorrelationContext> {
public:
    explicit StreamContext(comrt::ComPtr<MaterialStream> stream) : stream_(std::move(stream)) {}

    HRESULT GetMaterial(IUnknown** material) override {
        if (!material) return E_POINTER;
        return stream_->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(material));
    }
    HRESULT GetActive(int32_t* active) override {
        if (!active) return E_POINTER;
        *active = 1;
        return S_OK;
    }

private:
    const IID& OwnId() const override { return volacor::IID_ICorrelationContext; }
    comrt::ComPtr<MaterialStream> stream_;
};

class StreamClient final : public Counted<ICorrelationClient> {
public:
    explicit StreamClient(MaterialStream& stream) : stream_(comrt::ComPtr<MaterialStream>::Share(&stream)) {}

    HRESULT GetContext(int32_t /*clientKey*/, ICorrelationContext** context, int32_t /*position*/) override {
        if (!context) return E_POINTER;
        *context = new (std::nothrow) StreamContext(comrt::ComPtr<MaterialStream>::Share(stream_.get()));
        return *context ? S_OK : E_OUTOFMEMORY;
    }

private:
    const IID& OwnId() const override { return volacor::IID_ICorrelationClient; }
    comrt::ComPtr<MaterialStream> stream_;
};

}  // namespace

int64_t LiveStreamClients() { return live.load(); }

comrt::ComPtr<ICorrelationClient> MakeStreamClient(MaterialStream& stream) {
    return comrt::ComPtr<ICorrelationClient>::Attach(new StreamClient(stream));
}

}  // namespace refhost
