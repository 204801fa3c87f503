#pragma once
// Reading the client certificate and its private key that the TLS layer
// shows a server which demands one. The files are read when a server asks,
// not before, so an encrypted key is only unlocked when it is needed.

#include "Common/SslClientSettings.h"

#include <string>

struct x509_st;
struct evp_pkey_st;

// Reads the identity's certificate (the first one in its PEM file) and its
// key (from the key file, or from the certificate's file when no key file is
// given), unlocking an encrypted key with the pass phrase. On true the caller
// owns one reference to each. On false nothing is handed out and `error`
// says why in a few words; it never contains the pass phrase.
bool LoadSslClientCertificate(const SslClientIdentity& identity, x509_st** certificate, evp_pkey_st** key,
                              std::string& error);
