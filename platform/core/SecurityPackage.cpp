#include "platform/core/SecurityPackage.h"

#include "platform/core/CriticalSection.h"
#include "platform/core/Text.h"

#include <map>
#include <vector>

namespace
{
// dwUpper of a handle tells its kind, so a context handle given where a
// credential is expected (or the reverse) is refused.
constexpr uintptr_t kCredentialKind = 0x43524544; // "CRED"
constexpr uintptr_t kContextKind = 0x43545854;    // "CTXT"

struct CredentialEntry
{
    std::shared_ptr<ISecurityPackage> package;
    std::shared_ptr<ISecurityCredential> credential;
};

struct Registry
{
    CCriticalSection lock;
    std::vector<std::shared_ptr<ISecurityPackage>> packages;
    std::map<uintptr_t, CredentialEntry> credentials;
    std::map<uintptr_t, std::shared_ptr<ISecurityContext>> contexts;
    uintptr_t nextTicket = 1;
};

Registry& GetRegistry()
{
    static Registry registry;
    return registry;
}

// Under the registry lock.
std::shared_ptr<ISecurityPackage> FindPackage(Registry& registry, std::string_view name)
{
    for (const auto& package : registry.packages)
        if (EqualsNoCase(package->GetInfo().Name, name))
            return package;
    return nullptr;
}

// The same under the registry's lock; the package then works outside it.
std::shared_ptr<ISecurityPackage> LookUpPackage(Registry& registry, std::string_view name)
{
    CScopedLock lock(registry.lock);
    return FindPackage(registry, name);
}

bool FindCredential(const CredHandle* handle, CredentialEntry& entry)
{
    if (!handle || !SecIsValidHandle(*handle) || handle->dwUpper != kCredentialKind)
        return false;
    Registry& registry = GetRegistry();
    CScopedLock lock(registry.lock);
    const auto it = registry.credentials.find(handle->dwLower);
    if (it == registry.credentials.end())
        return false;
    entry = it->second;
    return true;
}

std::shared_ptr<ISecurityContext> FindContext(const CtxtHandle* handle)
{
    if (!handle || !SecIsValidHandle(*handle) || handle->dwUpper != kContextKind)
        return nullptr;
    Registry& registry = GetRegistry();
    CScopedLock lock(registry.lock);
    const auto it = registry.contexts.find(handle->dwLower);
    return it == registry.contexts.end() ? nullptr : it->second;
}

// The first token buffer of a description; null when it has none or is not
// of the one known version.
SecBuffer* FindTokenBuffer(const SecBufferDesc* desc)
{
    if (!desc || desc->ulVersion != SECBUFFER_VERSION || (desc->cBuffers > 0 && !desc->pBuffers))
        return nullptr;
    for (uint32_t i = 0; i < desc->cBuffers; ++i)
        if (desc->pBuffers[i].BufferType == SECBUFFER_TOKEN)
            return &desc->pBuffers[i];
    return nullptr;
}

bool IsSuccess(SECURITY_STATUS status)
{
    return status == SEC_E_OK || status == SEC_I_CONTINUE_NEEDED || status == SEC_I_COMPLETE_NEEDED ||
           status == SEC_I_COMPLETE_AND_CONTINUE;
}

bool IsWellFormed(const SEC_WINNT_AUTH_IDENTITY& identity)
{
    return identity.Flags == SEC_WINNT_AUTH_IDENTITY_ANSI && (identity.User || identity.UserLength == 0) &&
           (identity.Domain || identity.DomainLength == 0) &&
           (identity.Password || identity.PasswordLength == 0);
}
} // namespace

bool RegisterSecurityPackage(std::shared_ptr<ISecurityPackage> package, bool replace)
{
    if (!package)
        return false;
    const std::string name = package->GetInfo().Name;
    if (name.empty())
        return false;
    Registry& registry = GetRegistry();
    CScopedLock lock(registry.lock);
    for (auto& existing : registry.packages)
    {
        if (EqualsNoCase(existing->GetInfo().Name, name))
        {
            if (!replace)
                return false;
            existing = std::move(package);
            return true;
        }
    }
    registry.packages.push_back(std::move(package));
    return true;
}

bool UnregisterSecurityPackage(std::string_view name)
{
    Registry& registry = GetRegistry();
    CScopedLock lock(registry.lock);
    for (auto it = registry.packages.begin(); it != registry.packages.end(); ++it)
    {
        if (EqualsNoCase((*it)->GetInfo().Name, name))
        {
            registry.packages.erase(it);
            return true;
        }
    }
    return false;
}

SECURITY_STATUS QuerySecurityPackageInfo(std::string_view packageName, SecPkgInfo& info)
{
    Registry& registry = GetRegistry();
    const std::shared_ptr<ISecurityPackage> package = LookUpPackage(registry, packageName);
    if (!package)
        return SEC_E_SECPKG_NOT_FOUND;
    info = package->GetInfo();
    return SEC_E_OK;
}

SECURITY_STATUS AcquireCredentialsHandle(std::string_view packageName, uint32_t credentialUse,
                                         const SEC_WINNT_AUTH_IDENTITY* identity, CredHandle* credential)
{
    if (!credential)
        return SEC_E_INVALID_HANDLE;
    if (!(credentialUse & SECPKG_CRED_OUTBOUND))
        return SEC_E_UNSUPPORTED_FUNCTION;
    if (identity && !IsWellFormed(*identity))
        return SEC_E_UNKNOWN_CREDENTIALS;

    Registry& registry = GetRegistry();
    const std::shared_ptr<ISecurityPackage> package = LookUpPackage(registry, packageName);
    if (!package)
        return SEC_E_SECPKG_NOT_FOUND;

    // The package works outside the lock: deriving keys takes a while.
    std::shared_ptr<ISecurityCredential> made;
    const SECURITY_STATUS status = package->AcquireCredential(identity, made);
    if (status != SEC_E_OK)
        return status;
    if (!made)
        return SEC_E_INTERNAL_ERROR;

    CScopedLock lock(registry.lock);
    const uintptr_t ticket = registry.nextTicket++;
    registry.credentials[ticket] = CredentialEntry{std::move(package), std::move(made)};
    credential->dwLower = ticket;
    credential->dwUpper = kCredentialKind;
    return SEC_E_OK;
}

SECURITY_STATUS InitializeSecurityContext(const CredHandle* credential, const CtxtHandle* context,
                                          uint32_t contextRequirements, uint32_t dataRepresentation,
                                          const SecBufferDesc* input, CtxtHandle* newContext,
                                          SecBufferDesc* output)
{
    (void)dataRepresentation;
    if (!newContext)
        return SEC_E_INVALID_HANDLE;
    CredentialEntry entry;
    if (!FindCredential(credential, entry))
        return SEC_E_INVALID_HANDLE;
    if (contextRequirements != 0)
        return SEC_E_UNSUPPORTED_FUNCTION;
    SecBuffer* outToken = FindTokenBuffer(output);
    if (!outToken || (outToken->cbBuffer > 0 && !outToken->pvBuffer))
        return SEC_E_INVALID_TOKEN;
    if (input && input->ulVersion != SECBUFFER_VERSION)
        return SEC_E_INVALID_TOKEN;
    const SecBuffer* inToken = input ? FindTokenBuffer(input) : nullptr;
    if (inToken && inToken->cbBuffer > 0 && !inToken->pvBuffer)
        return SEC_E_INVALID_TOKEN;

    if (context)
    {
        const std::shared_ptr<ISecurityContext> existing = FindContext(context);
        if (!existing)
            return SEC_E_INVALID_HANDLE;
        const CtxtHandle same = *context;
        const SECURITY_STATUS status = existing->Step(inToken, *outToken);
        *newContext = same;
        return status;
    }

    std::shared_ptr<ISecurityContext> made = entry.package->NewContext(entry.credential);
    if (!made)
    {
        *newContext = CtxtHandle{};
        return SEC_E_INSUFFICIENT_MEMORY;
    }
    const SECURITY_STATUS status = made->Step(inToken, *outToken);
    if (!IsSuccess(status))
    {
        *newContext = CtxtHandle{};
        return status;
    }
    Registry& registry = GetRegistry();
    CScopedLock lock(registry.lock);
    const uintptr_t ticket = registry.nextTicket++;
    registry.contexts[ticket] = std::move(made);
    newContext->dwLower = ticket;
    newContext->dwUpper = kContextKind;
    return status;
}

SECURITY_STATUS CompleteAuthToken(const CtxtHandle* context, SecBufferDesc* token)
{
    const std::shared_ptr<ISecurityContext> existing = FindContext(context);
    if (!existing)
        return SEC_E_INVALID_HANDLE;
    if (!token || token->ulVersion != SECBUFFER_VERSION || (token->cBuffers > 0 && !token->pBuffers))
        return SEC_E_INVALID_TOKEN;
    return existing->CompleteToken(*token);
}

SECURITY_STATUS DeleteSecurityContext(const CtxtHandle* context)
{
    if (!context || !SecIsValidHandle(*context) || context->dwUpper != kContextKind)
        return SEC_E_INVALID_HANDLE;
    std::shared_ptr<ISecurityContext> released;
    Registry& registry = GetRegistry();
    {
        CScopedLock lock(registry.lock);
        const auto it = registry.contexts.find(context->dwLower);
        if (it == registry.contexts.end())
            return SEC_E_INVALID_HANDLE;
        released = std::move(it->second);
        registry.contexts.erase(it);
    }
    // The exchange (and its copy of the keys) ends here, outside the lock,
    // unless another thread is still inside one of its calls.
    released.reset();
    return SEC_E_OK;
}

SECURITY_STATUS FreeCredentialsHandle(const CredHandle* credential)
{
    if (!credential || !SecIsValidHandle(*credential) || credential->dwUpper != kCredentialKind)
        return SEC_E_INVALID_HANDLE;
    CredentialEntry released;
    Registry& registry = GetRegistry();
    {
        CScopedLock lock(registry.lock);
        const auto it = registry.credentials.find(credential->dwLower);
        if (it == registry.credentials.end())
            return SEC_E_INVALID_HANDLE;
        released = std::move(it->second);
        registry.credentials.erase(it);
    }
    return SEC_E_OK;
}

size_t GetSecurityContextCount()
{
    Registry& registry = GetRegistry();
    CScopedLock lock(registry.lock);
    return registry.contexts.size();
}

size_t GetSecurityCredentialCount()
{
    Registry& registry = GetRegistry();
    CScopedLock lock(registry.lock);
    return registry.credentials.size();
}
