// SPDX-License-Identifier: MIT
#pragma once

#include <utility>

namespace lumora::win32 {

// Owns one reference to a COM object and releases it when it goes. The
// object's type need only be complete where the holder is destroyed, so
// headers can name it without the system headers.
template <typename T>
class ScopedComPtr {
public:
    ScopedComPtr() = default;
    explicit ScopedComPtr(T* object) noexcept : object_(object) {}
    ~ScopedComPtr() { Reset(); }
    ScopedComPtr(const ScopedComPtr&) = delete;
    ScopedComPtr& operator=(const ScopedComPtr&) = delete;
    ScopedComPtr(ScopedComPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    ScopedComPtr& operator=(ScopedComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            object_ = std::exchange(other.object_, nullptr);
        }
        return *this;
    }

    T* get() const noexcept { return object_; }
    T* operator->() const noexcept { return object_; }
    explicit operator bool() const noexcept { return object_ != nullptr; }

    // For a call that hands out a new reference through a T** argument.
    T** Receive() noexcept {
        Reset();
        return &object_;
    }

    void Reset() noexcept {
        if (object_) std::exchange(object_, nullptr)->Release();
    }

private:
    T* object_ = nullptr;
};

}  // namespace lumora::win32
