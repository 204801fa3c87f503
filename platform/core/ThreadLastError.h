#pragma once
// The calling thread's last error number, for operations whose failure is a
// plain false and whose reason the caller may ask for afterwards (the SSPI
// client's token steps, for one). Each thread has its own value, so a worker
// never sees another thread's reason. A thread starts with 0.
//
// The numbers are Windows error numbers (the names below) or, where an
// operation says so, a SECURITY_STATUS (platform/core/SecurityPackage.h)
// stored as its 32-bit signed value.

#include <cstdint>

inline constexpr int32_t ERROR_SUCCESS = 0;
inline constexpr int32_t ERROR_INVALID_PARAMETER = 87;
inline constexpr int32_t ERROR_LOGON_FAILURE = 1326;

void SetThreadLastError(int32_t error);
int32_t GetThreadLastError();
