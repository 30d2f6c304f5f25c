// MD4 against its definition's test suite and against OpenSSL's legacy copy at every padding
// boundary; HMAC-MD5 against RFC 2202, short and over-long keys.
#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/provider.h>

#include <string>

#include "platform/crypto/Digest.h"
#include "platform/crypto/Md4.h"

using plat::crypto::hex;
using plat::crypto::hmacMd5;
using plat::crypto::md4;

TEST(Md4, MatchesTheTestSuiteOfItsDefinition) {
  EXPECT_EQ(hex(md4("")), "31d6cfe0d16ae931b73c59d7e0c089c0");
  EXPECT_EQ(hex(md4("a")), "bde52cb31de33e46245e05fbdbd6fb24");
  EXPECT_EQ(hex(md4("abc")), "a448017aaf21d8525fc10ae87aa6729d");
  EXPECT_EQ(hex(md4("message digest")), "d9130a8164549fe818874806e1c7014b");
  EXPECT_EQ(hex(md4("abcdefghijklmnopqrstuvwxyz")), "d79e1c308aa5bbcdeea8ed63df412da9");
  EXPECT_EQ(hex(md4("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789")),
            "043f8582f241db351ce627e153e7f0e4");
  std::string digits;
  for (int i = 0; i < 8; ++i) digits += "1234567890";
  EXPECT_EQ(hex(md4(digits)), "e33b4ddc9c38f2199c3e7b164fcc0536");
}

TEST(Md4, AgreesWithOpenSslsLegacyCopyAroundEveryBlockBoundary) {
  OSSL_PROVIDER* legacy = OSSL_PROVIDER_load(nullptr, "legacy");
  OSSL_PROVIDER* fallback = OSSL_PROVIDER_load(nullptr, "default");
  EVP_MD* reference = EVP_MD_fetch(nullptr, "MD4", nullptr);
  if (!reference) GTEST_SKIP() << "this OpenSSL has no legacy MD4 to compare with";
  for (size_t length : {1u, 55u, 56u, 57u, 63u, 64u, 65u, 119u, 120u, 128u, 1000u}) {
    std::string data(length, '\0');
    for (size_t i = 0; i < length; ++i) data[i] = static_cast<char>(i * 131 + 7);
    unsigned char expected[16];
    unsigned int written = 0;
    ASSERT_EQ(EVP_Digest(data.data(), data.size(), expected, &written, reference, nullptr), 1);
    EXPECT_EQ(hex(md4(data)), hex(expected, 16)) << length << " bytes";
  }
  EVP_MD_free(reference);
  OSSL_PROVIDER_unload(legacy);
  OSSL_PROVIDER_unload(fallback);
}

TEST(HmacMd5, MatchesRfc2202ForShortEmptyAndOverlongKeys) {
  EXPECT_EQ(hex(hmacMd5("Jefe", "what do ya want for nothing?")),
            "750c783e6ab0b503eaa86e310a5db738");
  EXPECT_EQ(hex(hmacMd5(std::string(80, '\xaa'),
                        "Test Using Larger Than Block-Size Key - Hash Key First")),
            "6b1ab7fe4bd7bf8f0b62e6ce61b9d0cd");
  EXPECT_EQ(hex(hmacMd5("", "")), "74e6f7298a9c2d168935f58c001bad88");
}
