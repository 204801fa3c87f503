#pragma once
// The BIO method of our own through which OpenSSL moves a TLS connection's
// encrypted records: type 0x505 (OpenSSL's socket type value, so code that
// looks for a socket BIO in a chain finds it) named "socket". Its read and
// write call the owning CConnection's deadline-guarded raw receive and send
// (through the CSSLConnection kept in the BIO's data pointer), so a silent
// server ends a handshake or a read with the connection's time-out, and the
// traffic observer sees the bytes on the wire. A BIO whose data pointer is
// null (the connection was freed) answers -1.

struct bio_method_st;

// The one method object of the process, made on first use; null only when
// OpenSSL could not allocate it.
bio_method_st* SslBioSocketMethod();
