#include "foundation/links/PublicSuffix.h"

#include "platform/core/Text.h"

#include <libpsl.h>

#include <string>

bool IsPublicSuffix(std::string_view domain)
{
    const std::string name = MakeLower(Trim(domain, "."));
    if (name.empty())
        return false;
    // The built-in context is static and read-only: safe from any thread.
    const psl_ctx_t* list = psl_builtin();
    return list && psl_is_public_suffix2(list, name.c_str(), PSL_TYPE_ANY | PSL_TYPE_NO_STAR_RULE) != 0;
}
