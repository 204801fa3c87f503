#pragma once
// The certificates a server's chain is checked against: the system's
// trusted certificates from OpenSSL's default places (SSL_CERT_FILE and
// SSL_CERT_DIR override them, as in every OpenSSL program). Reading the
// system bundle takes tens of milliseconds, far more than a context, so one
// store serves every handshake of the process; it is read again only when
// one of the two variables changed.

struct x509_store_st;

// A new reference to the shared store (the caller hands it to a context,
// which takes it over), or null when no store could be made.
x509_store_st* AcquireSslTrustStore();
