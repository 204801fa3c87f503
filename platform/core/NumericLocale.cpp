#include "platform/core/NumericLocale.h"

locale_t GetCLocale()
{
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", (locale_t)0);
    return cLocale;
}

CScopedCLocale::CScopedCLocale()
{
    const locale_t c = GetCLocale();
    if (c)
        m_previous = uselocale(c);
}

CScopedCLocale::~CScopedCLocale()
{
    if (m_previous)
        uselocale(m_previous);
}
