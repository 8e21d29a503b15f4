// The server's network side: TLS on every connection, HTTP/1.1 with keep-alive,
// one thread per connection, each operation bounded by a deadline.
#pragma once

#include "address.h"
#include "service.h"
#include "tls_identity.h"

// Serves until a stop signal, then ends every connection within a second. Says
// on standard error where it listens, and one line per request.
void serve_connections(const Address& listen, const TlsIdentity& identity, Service& service);
