// SHA-256 through OpenSSL, which uses the processor's SHA instructions where it
// has them: the names of objects and the stored digests of secrets.
#pragma once

#include <openssl/evp.h>

#include <memory>
#include <string>
#include <string_view>

class Sha256 {
 public:
  Sha256();
  void update(std::string_view data);
  // The digest in lowercase hex; the hasher starts afresh afterwards.
  std::string finish();

 private:
  std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX*)> context_;
};

std::string digest_of(std::string_view data);
// 64 lowercase hex digits: the only names an object can have.
bool is_digest(std::string_view text);
