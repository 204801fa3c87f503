#include "checker/OwnedForm.h"

#include "checker/FormData.h"

COwnedForm::COwnedForm() = default;
COwnedForm::COwnedForm(COwnedForm&& other) noexcept = default;
COwnedForm& COwnedForm::operator=(COwnedForm&& other) noexcept = default;
COwnedForm::~COwnedForm() = default;

COwnedForm::COwnedForm(const COwnedForm& other)
    : m_form(other.m_form ? std::make_unique<CFormData>(*other.m_form) : nullptr)
{
}

COwnedForm& COwnedForm::operator=(const COwnedForm& other)
{
    if (this != &other)
        m_form = other.m_form ? std::make_unique<CFormData>(*other.m_form) : nullptr;
    return *this;
}

void COwnedForm::Adopt(std::unique_ptr<CFormData> form)
{
    m_form = std::move(form);
}

void COwnedForm::Reset()
{
    m_form.reset();
}
