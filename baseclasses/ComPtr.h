// An owning interface pointer for code whose order of release does not
// matter: it releases what it holds when it goes out of scope. Code that must
// release in a fixed order keeps plain pointers and releases them itself.
#pragma once

#include <unknwn.h>

#include <memory>

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : m_p(other.m_p) { other.m_p = nullptr; }
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != std::addressof(other)) {
            Reset();
            m_p = other.m_p;
            other.m_p = nullptr;
        }
        return *this;
    }
    ~ComPtr() { Reset(); }

    // The slot for an out parameter; whatever was held is released first.
    T** operator&() {
        Reset();
        return &m_p;
    }
    void** Out() { return reinterpret_cast<void**>(&*this); }

    T* operator->() const { return m_p; }
    T* Get() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

    void Reset() {
        if (m_p) m_p->Release();
        m_p = nullptr;
    }

private:
    T* m_p = nullptr;
};
