#pragma once
// COwnedForm: the parsed HTML form a link record owns, copied deeply with the
// record. The form model's header stays out of the link model's: the copy
// and the delete live in OwnedForm.cpp, where the form's type is complete.

#include <memory>

class CFormData;

class COwnedForm
{
public:
    COwnedForm();
    COwnedForm(const COwnedForm& other);
    COwnedForm(COwnedForm&& other) noexcept;
    COwnedForm& operator=(const COwnedForm& other);
    COwnedForm& operator=(COwnedForm&& other) noexcept;
    ~COwnedForm();

    // Takes the form over (null: no form).
    void Adopt(std::unique_ptr<CFormData> form);
    void Reset();

    CFormData* Get() const { return m_form.get(); }
    explicit operator bool() const { return m_form != nullptr; }

private:
    std::unique_ptr<CFormData> m_form;
};
