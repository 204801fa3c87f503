#pragma once
// The enumerations of a link (state, scope, display protocol, link type) with
// the names shown to the user, and the sets of link types and tag types that
// the display filter and the page sizes treat alike.
//
// The name functions give "" for a value outside their table: values come
// from stored data and views as well as from the engine, and a wrong one must
// not read past the table.

#include <cstdint>
#include <string_view>

enum LinkState : int
{
    kStateUnknown = 0,
    kStateWaiting = 1,
    kStateProcessing = 2,
    kStateDownloaded = 3,
    kStateInfoOnly = 4,
    kStateBroken = 5,
    kStateRedirected = 6,
    kStateNotSupported = 7,
    kStateNotAvailableOffline = 8,
    kStateFiltered = 9,
    kStateStopped = 10,
    kStateMaxRecursion = 11,
    kStateIsExternal = 12,
    kLinkStateCount = 13,
};

// Shown to the user as "interest".
enum LinkScope : int
{
    kScopeUnknown = 0,
    kScopeInternal = 1,
    kScopeExternal = 2,
    kScopeExtraExternal = 3,
    kScopeNotSupported = 4,
    kLinkScopeCount = 5,
};

enum LinkProtocol : int
{
    kProtocolUnknown = 0,
    kProtocolLocal = 1,
    kProtocolHttp = 2,
    kProtocolHttps = 3,
    kProtocolFtp = 4,
    kProtocolMail = 5,
    kProtocolScript = 6,
    kLinkProtocolCount = 7,
};

// The link types whose names LinkTypeName (transfer/client/ResourceKind.h)
// gives.
enum LinkType : int
{
    kTypeUnknown = 0,
    kTypeText = 1,
    kTypeFile = 2,
    kTypeHtml = 3,
    kTypeImage = 4,
    kTypeAudio = 5,
    kTypeVideo = 6,
    kTypeArchive = 7,
    kTypeFtpList = 8,
    kTypeFtpLink = 9,
    kTypeLocalFolder = 10,
    kTypeHttpRedirect = 11,
    kTypeForm = 12,
    kTypeGenericUrl = 13,
    kTypeUrlList = 14,
    kTypeMailto = 15,
    kTypeScript = 16,
    kTypeAnchor = 17,
    kLinkTypeCount = 18,
};

// Tag types are the link kinds of foundation/markup/LinkWalk.h (26 of them,
// GetLinkKindName gives their names).
inline constexpr int kTagTypeCount = 26;

// "Unknown" ... "Is External".
std::string_view LinkStateName(int state);
// "Unknown", "Internal", "External", "Extra external", "Not supported".
std::string_view LinkScopeName(int scope);
// "Unknown", "Local", "HTTP", "HTTPS", "FTP", "SMPT(E-mail)", "Script".
std::string_view LinkProtocolName(int protocol);

// The display protocol of a URL: Local for a local path, else by its scheme
// (http, https, ftp, mailto, javascript); Unknown for every other scheme and
// for text without a known scheme prefix.
int GetLinkProtocol(std::string_view url);

// Pages and lists that have sublinks: HTML, FTPLIST, LOCALFOLDER,
// HTTPREDIRECT, FORM, GENERICURL and URLLIST.
bool IsContainerType(int linkType);
// Tags whose target adds its size to the page that holds it (images, style
// sheets, frames, scripts, embedded objects, backgrounds, sounds).
bool IsPagePartTag(int tagType);
// FRAME, IFRAME, LAYER and ILAYER sources: their page sizes pass on up to the
// page that holds the frame.
bool IsFrameTag(int tagType);

// Bit value of a mask over an enumeration; values outside 0 to 31 are in no
// mask.
bool MaskHasBit(int32_t mask, int value);
