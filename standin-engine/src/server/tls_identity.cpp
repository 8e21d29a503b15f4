#include "tls_identity.h"

#include <arpa/inet.h>
#include <openssl/bn.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509v3.h>

#include <memory>

#include "cli.h"

namespace {

template <typename T, void (*Free)(T*)>
using Owned = std::unique_ptr<T, decltype([](T* p) { Free(p); })>;

void check(bool ok) {
  if (!ok) throw Failure("The server’s certificate could not be made.");
}

std::string pem_of(auto write) {
  Owned<BIO, BIO_free_all> bio(BIO_new(BIO_s_mem()));
  check(bio && write(bio.get()) == 1);
  char* data = nullptr;
  long size = BIO_get_mem_data(bio.get(), &data);
  return std::string(data, static_cast<size_t>(size));
}

bool is_ip(const std::string& host) {
  unsigned char bytes[16];
  return inet_pton(AF_INET, host.c_str(), bytes) == 1 ||
         inet_pton(AF_INET6, host.c_str(), bytes) == 1;
}

}  // namespace

TlsIdentity make_tls_identity(const Address& address) {
  Owned<EVP_PKEY, EVP_PKEY_free> key(EVP_EC_gen("P-256"));
  check(key != nullptr);
  Owned<X509, X509_free> certificate(X509_new());
  check(certificate != nullptr);
  X509* cert = certificate.get();
  X509_set_version(cert, 2);
  unsigned char serial[16];
  check(RAND_bytes(serial, sizeof serial) == 1);
  serial[0] &= 0x7f;
  Owned<BIGNUM, BN_free> number(BN_bin2bn(serial, sizeof serial, nullptr));
  check(number && BN_to_ASN1_INTEGER(number.get(), X509_get_serialNumber(cert)));
  X509_gmtime_adj(X509_getm_notBefore(cert), -60 * 60);
  X509_time_adj_ex(X509_getm_notAfter(cert), 365 * 30, 0, nullptr);
  X509_set_pubkey(cert, key.get());
  X509_NAME* name = X509_get_subject_name(cert);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8,
                             reinterpret_cast<const unsigned char*>("Quorvane Home"), -1, -1, 0);
  X509_set_issuer_name(cert, name);
  std::string san = (is_ip(address.host) ? "IP:" : "DNS:") + address.host;
  X509V3_CTX context;
  X509V3_set_ctx_nodb(&context);
  X509V3_set_ctx(&context, cert, cert, nullptr, nullptr, 0);
  Owned<X509_EXTENSION, X509_EXTENSION_free> extension(
      X509V3_EXT_conf_nid(nullptr, &context, NID_subject_alt_name, san.c_str()));
  check(extension && X509_add_ext(cert, extension.get(), -1) == 1);
  check(X509_sign(cert, key.get(), EVP_sha256()) > 0);
  return {pem_of([&](BIO* bio) {
            return PEM_write_bio_PrivateKey(bio, key.get(), nullptr, nullptr, 0, nullptr, nullptr);
          }),
          pem_of([&](BIO* bio) { return PEM_write_bio_X509(bio, cert); })};
}

void save_tls_identity(const fs::path& data, const TlsIdentity& identity) {
  write_file_atomically(data / "key.pem", identity.key, 0600);
  write_file_atomically(data / "certificate.pem", identity.certificate, 0644);
}

TlsIdentity load_tls_identity(const fs::path& data) {
  return {read_file(data / "key.pem"), read_file(data / "certificate.pem")};
}
