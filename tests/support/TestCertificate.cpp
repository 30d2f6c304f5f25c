#include "tests/support/TestCertificate.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "platform/base/Files.h"
#include "tests/support/FixtureWords.h"
#include "tests/support/TempHome.h"

namespace testsupport {
namespace {

void openssl(const std::string& folder, const std::string& arguments) {
  const std::string command = "cd '" + folder + "' && openssl " + arguments + " 2>/dev/null";
  if (std::system(command.c_str()) != 0) throw std::runtime_error("openssl failed: " + arguments);
}

}  // namespace

// P-256 keys; a CA valid for two days, a server certificate it signs for 127.0.0.1 and
// localhost, and a client certificate.
TestCertificate::TestCertificate() : TestCertificate(Existing{}, makeTempDir("vocab-cert")) {
  ownsFolder_ = true;
  const std::string newKey = "-newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes";
  writeTextFile(folder_ + "/server.ext",
                "basicConstraints=critical,CA:FALSE\nsubjectAltName=IP:127.0.0.1,DNS:localhost\n"
                "extendedKeyUsage=serverAuth\n");
  openssl(folder_, "req -x509 " + newKey + " -days 2 -subj '/CN=Vocab Test CA' -keyout ca.key " +
                       "-out ca.pem");
  openssl(folder_, "req " + newKey + " -subj /CN=127.0.0.1 -keyout server.key -out server.csr");
  openssl(folder_,
          "x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 "
          "-extfile server.ext -out server.pem");
  writeTextFile(folder_ + "/client.ext",
                "basicConstraints=critical,CA:FALSE\nextendedKeyUsage=clientAuth\n");
  clientCertificateFor("learner");
}

std::pair<std::string, std::string> TestCertificate::clientCertificateFor(
    const std::string& commonName) const {
  const std::string name = commonName == "learner" ? "client" : "client-" + commonName;
  const std::pair<std::string, std::string> paths{folder_ + "/" + name + ".pem",
                                                  folder_ + "/" + name + ".key"};
  if (plat::files::exists(paths.first)) return paths;
  const std::string newKey = "-newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes";
  openssl(folder_, "req " + newKey + " -subj /CN=" + commonName + " -keyout " + name +
                       ".key -out " + name + ".csr");
  openssl(folder_, "x509 -req -in " + name +
                       ".csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 "
                       "-extfile client.ext -out " +
                       name + ".pem");
  return paths;
}

TestCertificate::TestCertificate(Existing, std::string folder)
    : ownsFolder_(false),
      folder_(std::move(folder)),
      caPath_(folder_ + "/ca.pem"),
      certificatePath_(folder_ + "/server.pem"),
      keyPath_(folder_ + "/server.key"),
      clientCertificatePath_(folder_ + "/client.pem"),
      clientKeyPath_(folder_ + "/client.key") {}

std::unique_ptr<TestCertificate> TestCertificate::madeIn(const std::string& folder) {
  return std::unique_ptr<TestCertificate>(new TestCertificate(Existing{}, folder));
}

TestCertificate::~TestCertificate() {
  if (!ownsFolder_) return;
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

std::string TestCertificate::caPem() const {
  return plat::files::readFile(caPath_).value_or("");
}

}  // namespace testsupport
