#include "platform/core/ThreadLastError.h"

namespace
{
thread_local int32_t t_lastError = ERROR_SUCCESS;
}

void SetThreadLastError(int32_t error)
{
    t_lastError = error;
}

int32_t GetThreadLastError()
{
    return t_lastError;
}
