// A certificate authority and a server certificate for 127.0.0.1 and localhost, made with OpenSSL
// when constructed and written as PEM files to a temporary folder (removed on destruction). Used by
// the TLS variant of LoopbackHttpServer; a client that trusts caPath() validates the server. The
// same authority signs a client certificate for servers that ask for one.
#pragma once

#include <memory>
#include <string>
#include <utility>

namespace testsupport {

class TestCertificate {
 public:
  TestCertificate();
  ~TestCertificate();
  TestCertificate(const TestCertificate&) = delete;
  TestCertificate& operator=(const TestCertificate&) = delete;
  // The files another one made in its folder (another process's, say), left there when this goes.
  static std::unique_ptr<TestCertificate> madeIn(const std::string& folder);

  const std::string& folder() const { return folder_; }

  const std::string& caPath() const { return caPath_; }                    // the CA, PEM
  const std::string& certificatePath() const { return certificatePath_; }  // server chain, PEM
  const std::string& keyPath() const { return keyPath_; }                  // server key, PEM
  std::string caPem() const;
  const std::string& clientCertificatePath() const { return clientCertificatePath_; }
  const std::string& clientKeyPath() const { return clientKeyPath_; }
  // A further client certificate of the same authority for `commonName`: its certificate and key
  // files, made on the first call.
  std::pair<std::string, std::string> clientCertificateFor(const std::string& commonName) const;

 private:
  struct Existing {};
  TestCertificate(Existing, std::string folder);

  bool ownsFolder_ = true;
  std::string folder_, caPath_, certificatePath_, keyPath_, clientCertificatePath_, clientKeyPath_;
};

}  // namespace testsupport
