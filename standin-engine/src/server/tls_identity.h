// The server's TLS identity: a P-256 private key and a self-signed certificate
// for the address computers reach it at. Computers trust exactly this
// certificate, so no certificate authority is involved.
#pragma once

#include <string>

#include "address.h"
#include "files.h"

struct TlsIdentity {
  std::string key;          // PEM
  std::string certificate;  // PEM
};

TlsIdentity make_tls_identity(const Address& address);
// key.pem (0600) and certificate.pem in the data folder.
void save_tls_identity(const fs::path& data, const TlsIdentity& identity);
TlsIdentity load_tls_identity(const fs::path& data);
