#pragma once
// CRefPtr: the owner of one reference on an object that counts its own
// references (AddRef and Release, the object deleting itself at zero), so
// that no caller pairs a Release with each way out by hand. Copies add a
// reference, moves pass it on, destruction and Reset give it back.
//
// Adopt takes over a reference the caller already holds (what GetLog or a
// new object hands out); Share takes one of its own.

#include <utility>

template <class T> class CRefPtr
{
public:
    CRefPtr() = default;
    CRefPtr(const CRefPtr& other) : m_object(other.m_object)
    {
        if (m_object)
            m_object->AddRef();
    }
    CRefPtr(CRefPtr&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}
    CRefPtr& operator=(CRefPtr other) noexcept
    {
        std::swap(m_object, other.m_object);
        return *this;
    }
    ~CRefPtr() { Reset(); }

    static CRefPtr Adopt(T* object)
    {
        CRefPtr owner;
        owner.m_object = object;
        return owner;
    }
    static CRefPtr Share(T* object)
    {
        if (object)
            object->AddRef();
        return Adopt(object);
    }

    void Reset()
    {
        if (T* object = std::exchange(m_object, nullptr))
            object->Release();
    }

    T* Get() const { return m_object; }
    T* operator->() const { return m_object; }
    explicit operator bool() const { return m_object != nullptr; }

private:
    T* m_object = nullptr;
};
