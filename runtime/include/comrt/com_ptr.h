// ComPtr: the one move-only reference type. It holds one reference and releases it on
// every path; put() releases what it held before handing out its slot.
#pragma once

#include <utility>

#include "comrt/unknown.h"

namespace comrt {

template <class T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(std::nullptr_t) noexcept {}
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) reset(std::exchange(other.ptr_, nullptr));
        return *this;
    }
    ~ComPtr() { reset(); }

    // Takes over a reference the caller already owns (no AddRef).
    static ComPtr Attach(T* p) noexcept {
        ComPtr c;
        c.ptr_ = p;
        return c;
    }
    // Adds a reference of its own to p.
    static ComPtr Share(T* p) noexcept {
        if (p) p->AddRef();
        return Attach(p);
    }

    T* get() const noexcept { return ptr_; }
    T* operator->() const noexcept { return ptr_; }
    explicit operator bool() const noexcept { return ptr_ != nullptr; }

    // Releases the held reference, then gives the slot for an out argument.
    T** put() noexcept {
        reset();
        return &ptr_;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

    // Gives the reference away; the caller now owns it.
    [[nodiscard]] T* detach() noexcept { return std::exchange(ptr_, nullptr); }

    // Hands the caller a new reference through an out argument.
    void copy_to(T** out) const noexcept {
        if (ptr_) ptr_->AddRef();
        *out = ptr_;
    }

    void reset(T* p = nullptr) noexcept {
        T* old = std::exchange(ptr_, p);
        if (old) old->Release();
    }

    // Queries the held object for iid into out; E_POINTER when nothing is held.
    template <class U>
    HRESULT As(const IID& iid, ComPtr<U>& out) const noexcept {
        if (!ptr_) {
            out.reset();
            return E_POINTER;
        }
        return ptr_->QueryInterface(iid, out.put_void());
    }

private:
    T* ptr_ = nullptr;
};

}  // namespace comrt
