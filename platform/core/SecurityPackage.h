#pragma once
// The security-package layer: client authentication tokens for the Negotiate
// and NTLM schemes of HTTP, with the vocabulary callers of a security support
// provider expect (credentials and context handles, status codes, token
// buffers). The layer itself holds no protocol: packages register under their
// names (ISecurityPackage below) and the layer routes each call by handle to
// the package and the per-handle state that package created. The transfer
// library installs the NTLM engine as "NTLM" and "Negotiate"
// (transfer/auth/NtlmSecurityPackage.h); tests may register scripted packages.
//
// Handles are small tickets, not pointers: a freed, never-issued or
// wrong-kind handle gives SEC_E_INVALID_HANDLE instead of touching freed
// memory. Every call may come from any thread; one context is meant to be
// driven by one thread at a time, and a context deleted while another thread
// is inside one of its calls stays alive until that call returns.
//
// Texts of an identity are UTF-8 (this program's "ANSI" code page).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

using SECURITY_STATUS = int32_t;

constexpr SECURITY_STATUS SecStatus(uint32_t value)
{
    return static_cast<SECURITY_STATUS>(value);
}

inline constexpr SECURITY_STATUS SEC_E_OK = 0;
// The token goes to the server, whose answer is needed for the next step.
inline constexpr SECURITY_STATUS SEC_I_CONTINUE_NEEDED = SecStatus(0x00090312);
// The token must be finished with CompleteAuthToken before it is sent; then
// the exchange is over (COMPLETE_NEEDED) or goes on (COMPLETE_AND_CONTINUE).
inline constexpr SECURITY_STATUS SEC_I_COMPLETE_NEEDED = SecStatus(0x00090313);
inline constexpr SECURITY_STATUS SEC_I_COMPLETE_AND_CONTINUE = SecStatus(0x00090314);
inline constexpr SECURITY_STATUS SEC_E_INSUFFICIENT_MEMORY = SecStatus(0x80090300);
inline constexpr SECURITY_STATUS SEC_E_INVALID_HANDLE = SecStatus(0x80090301);
inline constexpr SECURITY_STATUS SEC_E_UNSUPPORTED_FUNCTION = SecStatus(0x80090302);
inline constexpr SECURITY_STATUS SEC_E_INTERNAL_ERROR = SecStatus(0x80090304);
inline constexpr SECURITY_STATUS SEC_E_SECPKG_NOT_FOUND = SecStatus(0x80090305);
inline constexpr SECURITY_STATUS SEC_E_INVALID_TOKEN = SecStatus(0x80090308);
inline constexpr SECURITY_STATUS SEC_E_LOGON_DENIED = SecStatus(0x8009030C);
inline constexpr SECURITY_STATUS SEC_E_UNKNOWN_CREDENTIALS = SecStatus(0x8009030D);
inline constexpr SECURITY_STATUS SEC_E_NO_CREDENTIALS = SecStatus(0x8009030E);
inline constexpr SECURITY_STATUS SEC_E_OUT_OF_SEQUENCE = SecStatus(0x80090310);
inline constexpr SECURITY_STATUS SEC_E_BUFFER_TOO_SMALL = SecStatus(0x80090321);

// Credential use: this layer only authenticates clients (outbound).
inline constexpr uint32_t SECPKG_CRED_INBOUND = 1;
inline constexpr uint32_t SECPKG_CRED_OUTBOUND = 2;

// Data representations; tokens of the packages here have one fixed byte
// order, so both are accepted and neither changes anything.
inline constexpr uint32_t SECURITY_NETWORK_DREP = 0x00;
inline constexpr uint32_t SECURITY_NATIVE_DREP = 0x10;

inline constexpr uint32_t SECBUFFER_VERSION = 0;
inline constexpr uint32_t SECBUFFER_EMPTY = 0;
inline constexpr uint32_t SECBUFFER_TOKEN = 2;

// Identity flags: only the 8-bit ("ANSI") form is understood.
inline constexpr uint32_t SEC_WINNT_AUTH_IDENTITY_ANSI = 1;
inline constexpr uint32_t SEC_WINNT_AUTH_IDENTITY_UNICODE = 2;

// A handle is valid while dwLower is not 0 and the layer still knows it.
struct SecHandle
{
    uintptr_t dwLower = 0;
    uintptr_t dwUpper = 0;
};
using CredHandle = SecHandle;
using CtxtHandle = SecHandle;

inline bool SecIsValidHandle(const SecHandle& handle)
{
    return handle.dwLower != 0;
}

// One token buffer. As input: cbBuffer bytes at pvBuffer. As output: the
// caller gives the capacity in cbBuffer; the package writes the token and
// sets cbBuffer to its length.
struct SecBuffer
{
    uint32_t cbBuffer = 0;
    uint32_t BufferType = SECBUFFER_EMPTY;
    void* pvBuffer = nullptr;
};

struct SecBufferDesc
{
    uint32_t ulVersion = SECBUFFER_VERSION;
    uint32_t cBuffers = 0;
    SecBuffer* pBuffers = nullptr;
};

// User, domain and password with their byte lengths (no terminating zero
// needed). A null text goes with length 0.
struct SEC_WINNT_AUTH_IDENTITY
{
    const char* User = nullptr;
    uint32_t UserLength = 0;
    const char* Domain = nullptr;
    uint32_t DomainLength = 0;
    const char* Password = nullptr;
    uint32_t PasswordLength = 0;
    uint32_t Flags = SEC_WINNT_AUTH_IDENTITY_ANSI;
};

struct SecPkgInfo
{
    uint32_t fCapabilities = 0;
    uint16_t wVersion = 1;
    uint16_t wRPCID = 0;
    uint32_t cbMaxToken = 0; // the largest token the package ever writes
    std::string Name;
    std::string Comment;
};

// ---- The package side ------------------------------------------------------

// What a package keeps for one acquired credential (user, keys...).
class ISecurityCredential
{
public:
    virtual ~ISecurityCredential() = default;
};

// One authentication exchange of a package.
class ISecurityContext
{
public:
    virtual ~ISecurityContext() = default;
    // One step. input is the server's token (null on the first step). The
    // token is written to output.pvBuffer, at most output.cbBuffer bytes,
    // and output.cbBuffer becomes its length; on a failure output.cbBuffer
    // is 0. Returns SEC_E_OK, one of the SEC_I_ codes or an error.
    virtual SECURITY_STATUS Step(const SecBuffer* input, SecBuffer& output) = 0;
    // Finishes a token after SEC_I_COMPLETE_NEEDED or _AND_CONTINUE.
    virtual SECURITY_STATUS CompleteToken(SecBufferDesc& token) = 0;
};

class ISecurityPackage
{
public:
    virtual ~ISecurityPackage() = default;
    // The name it is found by (compared ignoring ASCII case) and its limits.
    virtual SecPkgInfo GetInfo() const = 0;
    // identity null: the logged-on user. The layer has checked the
    // identity's form (flags ANSI, no length without a text).
    virtual SECURITY_STATUS AcquireCredential(const SEC_WINNT_AUTH_IDENTITY* identity,
                                              std::shared_ptr<ISecurityCredential>& credential) = 0;
    // A new exchange on a credential that this package acquired.
    virtual std::unique_ptr<ISecurityContext> NewContext(std::shared_ptr<ISecurityCredential> credential) = 0;
};

// Adds a package under its name. With replace false an existing package of
// that name stays and the result is false; with replace true it is replaced
// (handles issued earlier keep using the package that issued them).
bool RegisterSecurityPackage(std::shared_ptr<ISecurityPackage> package, bool replace);
// Removes the package of that name; false when there was none.
bool UnregisterSecurityPackage(std::string_view name);

// ---- The caller side -------------------------------------------------------

// SEC_E_SECPKG_NOT_FOUND for an unknown package.
SECURITY_STATUS QuerySecurityPackageInfo(std::string_view packageName, SecPkgInfo& info);

// identity null: the logged-on user's credentials. credentialUse must ask for
// outbound use (SEC_E_UNSUPPORTED_FUNCTION otherwise); an identity that is
// not ANSI or gives a length without its text is SEC_E_UNKNOWN_CREDENTIALS.
// On success *credential is a new handle; otherwise it is left unchanged.
SECURITY_STATUS AcquireCredentialsHandle(std::string_view packageName, uint32_t credentialUse,
                                         const SEC_WINNT_AUTH_IDENTITY* identity, CredHandle* credential);

// One step of an exchange. context null starts a new exchange on the
// credential: when the step succeeds (SEC_E_OK or a SEC_I_ code) the new
// handle goes into *newContext, otherwise the exchange is dropped and
// *newContext becomes an empty handle. context not null continues that
// exchange and *newContext receives the same handle (it may be the same
// variable); the exchange stays after a failed step, for the caller to
// delete. input (may be null) and output are read for their first
// SECBUFFER_TOKEN buffer; output must have one. contextRequirements must be
// 0 here (no signing or sealing is offered): SEC_E_UNSUPPORTED_FUNCTION
// otherwise.
SECURITY_STATUS InitializeSecurityContext(const CredHandle* credential, const CtxtHandle* context,
                                          uint32_t contextRequirements, uint32_t dataRepresentation,
                                          const SecBufferDesc* input, CtxtHandle* newContext,
                                          SecBufferDesc* output);

SECURITY_STATUS CompleteAuthToken(const CtxtHandle* context, SecBufferDesc* token);

// Releases an exchange or a credential. An exchange keeps its credential
// alive, so freeing the credential first is allowed. The caller's handle is
// not changed; using it again gives SEC_E_INVALID_HANDLE.
SECURITY_STATUS DeleteSecurityContext(const CtxtHandle* context);
SECURITY_STATUS FreeCredentialsHandle(const CredHandle* credential);

// How many handles are live, for diagnostics and leak checks.
size_t GetSecurityContextCount();
size_t GetSecurityCredentialCount();
