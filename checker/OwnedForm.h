#pragma once
// COwnedForm: the parsed HTML form a link record owns, copied deeply with the
// record. The link model only holds the form; building, copying and deleting
// it are the form model's business, so the copy and delete operations are
// bound where the form is handed over (Adopt), with the form's type complete
// there, and the link model never needs the form model's header.

#include <memory>
#include <utility>

class CFormData;

class COwnedForm
{
public:
    COwnedForm() = default;
    COwnedForm(const COwnedForm& other) : m_ops(other.m_ops)
    {
        if (other.m_form)
            m_form = m_ops->clone(other.m_form);
    }
    COwnedForm(COwnedForm&& other) noexcept
        : m_form(std::exchange(other.m_form, nullptr)), m_ops(std::exchange(other.m_ops, nullptr))
    {
    }
    COwnedForm& operator=(const COwnedForm& other)
    {
        if (this != &other)
        {
            COwnedForm copy(other);
            Swap(copy);
        }
        return *this;
    }
    COwnedForm& operator=(COwnedForm&& other) noexcept
    {
        COwnedForm taken(std::move(other));
        Swap(taken);
        return *this;
    }
    ~COwnedForm() { Reset(); }

    // Takes the form over (null: no form). T is CFormData, complete where
    // this is called.
    template <class T>
    void Adopt(std::unique_ptr<T> form)
    {
        static const Ops ops = {
            [](const CFormData* f) -> CFormData* { return new T(*static_cast<const T*>(f)); },
            [](CFormData* f) { delete static_cast<T*>(f); },
        };
        Reset();
        if (form)
        {
            m_form = form.release();
            m_ops = &ops;
        }
    }

    void Reset()
    {
        if (m_form)
            m_ops->destroy(m_form);
        m_form = nullptr;
        m_ops = nullptr;
    }

    CFormData* Get() const { return m_form; }
    explicit operator bool() const { return m_form != nullptr; }

private:
    struct Ops
    {
        CFormData* (*clone)(const CFormData*);
        void (*destroy)(CFormData*);
    };

    void Swap(COwnedForm& other) noexcept
    {
        std::swap(m_form, other.m_form);
        std::swap(m_ops, other.m_ops);
    }

    CFormData* m_form = nullptr;
    const Ops* m_ops = nullptr;
};
