#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <random>

#include "net/HttpDataCompressor.h"
#include "net/HttpDataDecompressor.h"
#include "platform/base/Files.h"
#include "tests/support/TempHome.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes bytesOf(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

// What the gzip program makes of the file at `path`.
Bytes gunzip(const std::string& path) {
  FILE* pipe = popen(("gzip -dc " + path).c_str(), "r");
  Bytes out;
  for (int c; (c = fgetc(pipe)) != EOF;) out.push_back(static_cast<uint8_t>(c));
  EXPECT_EQ(pclose(pipe), 0) << path;
  return out;
}

// Inflates `compressed` in pieces of the lengths `pieceLength(offset)` gives.
Bytes inflateInPieces(const Bytes& compressed, const std::function<size_t(size_t)>& pieceLength) {
  auto decompressor = HttpDataDecompressor::decompressor();
  Bytes inflated;
  HttpErrorPtr error;
  for (size_t at = 0; at < compressed.size();) {
    size_t length = std::min(pieceLength(at), compressed.size() - at);
    auto part = decompressor->uncompressBytes(compressed.data() + at, length, &error);
    EXPECT_TRUE(part && !error) << at;
    if (!part) break;
    inflated.insert(inflated.end(), part->begin(), part->end());
    at += length;
  }
  return inflated;
}

Bytes randomBytes(size_t size, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes bytes(size);
  for (auto& b : bytes) b = static_cast<uint8_t>(rng() % 7);  // compressible but not trivially
  return bytes;
}

void writeFile(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

}  // namespace

// Gzip bodies inflated whole are the HTTP client's own tests.
TEST(GzipCodec, InflatesTheZlibWrapperToo) {
  HttpErrorPtr error;
  Bytes zlibForm(64);
  uLongf size = zlibForm.size();
  compress2(zlibForm.data(), &size, reinterpret_cast<const Bytef*>("abc"), 3, 9);
  zlibForm.resize(size);
  EXPECT_EQ(HttpDataDecompressor::uncompressData(zlibForm, &error), bytesOf("abc"));
  // Empty input gives nothing, and no error.
  EXPECT_FALSE(HttpDataDecompressor::uncompressData({}, &error));
  EXPECT_FALSE(HttpDataCompressor::compressData({}, &error));
  EXPECT_FALSE(error);
}

TEST(GzipCodec, PiecesOfAnyLengthJoinToTheOriginalAndTrailingBytesAreIgnored) {
  Bytes original = randomBytes(5000, 1);
  auto compressor = HttpDataCompressor::compressor();
  Bytes compressed;
  HttpErrorPtr error;
  for (size_t i = 0; i < original.size(); ++i) {
    auto part = compressor->compressBytes(&original[i], 1, &error, i + 1 == original.size());
    ASSERT_TRUE(part) << i;
    compressed.insert(compressed.end(), part->begin(), part->end());
  }
  testsupport::TempHome home;
  writeFile(home.path() + "/pieces.gz", compressed);
  EXPECT_EQ(gunzip(home.path() + "/pieces.gz"), original);
  EXPECT_EQ(inflateInPieces(compressed, [](size_t) { return size_t{1}; }), original);

  original = randomBytes(200000, 2);
  compressed = HttpDataCompressor::compressData(original, &error).value();
  compressed.insert(compressed.end(), {'j', 'u', 'n', 'k'});
  std::mt19937 rng(3);
  EXPECT_EQ(inflateInPieces(compressed, [&](size_t) { return 1 + rng() % 3000; }), original);
}

TEST(GzipCodec, FileFormsRoundTripAtChunkBoundaries) {
  testsupport::TempHome home;
  for (size_t size : {size_t{0}, size_t{1}, kZlibFileChunkSize, 3 * kZlibFileChunkSize + 17}) {
    Bytes original = randomBytes(size, 4);
    std::string source = home.path() + "/source", packed = home.path() + "/packed.gz",
                back = home.path() + "/back";
    writeFile(source, original);
    HttpErrorPtr error;
    ASSERT_TRUE(HttpDataCompressor::compressDataFromFile(source, packed, &error)) << size;
    EXPECT_EQ(gunzip(packed), original) << size;
    ASSERT_TRUE(HttpDataDecompressor::uncompressDataFromFile(packed, back, &error)) << size;
    EXPECT_EQ(plat::files::readFile(back), std::string(original.begin(), original.end())) << size;
  }
}

TEST(GzipCodec, GarbageMissingSourcesAndUnwritableDestinationsAreErrors) {
  testsupport::TempHome home;
  const std::string garbage = home.path() + "/bad.gz", missing = home.path() + "/missing",
                    destination = home.path() + "/out";
  HttpErrorPtr error;
  EXPECT_FALSE(HttpDataDecompressor::uncompressData(bytesOf("this is not compressed"), &error));
  ASSERT_TRUE(error);
  EXPECT_EQ(error->code(), 11);

  writeFile(garbage, bytesOf("definitely not gzip"));
  HttpErrorPtr garbled, absent, unwritable;
  EXPECT_FALSE(HttpDataDecompressor::uncompressDataFromFile(garbage, destination, &garbled));
  EXPECT_FALSE(HttpDataDecompressor::uncompressDataFromFile(missing, destination, &absent));
  EXPECT_FALSE(HttpDataCompressor::compressDataFromFile(garbage, destination + "/x", &unwritable));
  EXPECT_TRUE(garbled && absent && unwritable);
}

TEST(GzipCodec, AStreamCutBeforeItsEndIsAnErrorInMemoryAndFromAFile) {
  testsupport::TempHome home;
  std::string text;
  for (int i = 0; text.size() < 300000; ++i) text += std::to_string(i * 7919 % 100003) + " ";
  const Bytes whole = *HttpDataCompressor::compressData(bytesOf(text), nullptr);
  // Cut inside the deflated data, and just before the trailer's check and length.
  for (size_t kept : {whole.size() / 2, whole.size() - 8}) {
    SCOPED_TRACE(kept);
    const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(kept));
    HttpErrorPtr error;
    EXPECT_FALSE(HttpDataDecompressor::uncompressData(cut, &error));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->localizedDescription(), "Decompression of data failed with code -5");

    const std::string source = home.path() + "/cut.gz", destination = home.path() + "/out";
    writeFile(source, cut);
    HttpErrorPtr fileError;
    EXPECT_FALSE(HttpDataDecompressor::uncompressDataFromFile(source, destination, &fileError));
    EXPECT_TRUE(fileError && fileError->code() == 11);
  }
  // Bytes after a whole stream are no sign of a cut.
  Bytes trailing = whole;
  trailing.push_back('!');
  EXPECT_EQ(HttpDataDecompressor::uncompressData(trailing, nullptr), bytesOf(text));
}

// Some servers and proxies send a gzip body as several members one after another; the body is all
// of them, however the pieces fall, and a cut in the last one is still a cut.
TEST(GzipCodec, AllMembersOfABodyInflateAndACutLastMemberIsAnError) {
  testsupport::TempHome home;
  const Bytes first = randomBytes(300000, 5), second = bytesOf("abc"), third = randomBytes(7000, 6);
  Bytes original = first, members;
  original.insert(original.end(), second.begin(), second.end());
  original.insert(original.end(), third.begin(), third.end());
  for (const Bytes* part : {&first, &second, &third}) {
    const Bytes member = *HttpDataCompressor::compressData(*part, nullptr);
    members.insert(members.end(), member.begin(), member.end());
  }
  const std::string source = home.path() + "/members.gz", destination = home.path() + "/out";
  writeFile(source, members);
  ASSERT_EQ(gunzip(source), original);

  HttpErrorPtr error;
  EXPECT_EQ(HttpDataDecompressor::uncompressData(members, &error), original);
  EXPECT_EQ(inflateInPieces(members, [](size_t) { return size_t{1}; }), original);
  std::mt19937 rng(7);
  EXPECT_EQ(inflateInPieces(members, [&](size_t) { return 1 + rng() % 5000; }), original);
  ASSERT_TRUE(HttpDataDecompressor::uncompressDataFromFile(source, destination, &error));
  EXPECT_TRUE(plat::files::readFile(destination) == std::string(original.begin(), original.end()));

  // Padding after the last member is still no member.
  Bytes padded = members;
  padded.insert(padded.end(), 3, 0);
  EXPECT_EQ(HttpDataDecompressor::uncompressData(padded, nullptr), original);

  // The last member cut inside its data, or right after its first bytes.
  const size_t firstSize = HttpDataCompressor::compressData(first, nullptr)->size();
  for (size_t kept : {members.size() - 100, firstSize + 2}) {
    SCOPED_TRACE(kept);
    const Bytes cut(members.begin(), members.begin() + static_cast<std::ptrdiff_t>(kept));
    HttpErrorPtr cutError, fileError;
    EXPECT_FALSE(HttpDataDecompressor::uncompressData(cut, &cutError));
    EXPECT_TRUE(cutError && cutError->code() == 11);
    writeFile(source, cut);
    EXPECT_FALSE(HttpDataDecompressor::uncompressDataFromFile(source, destination, &fileError));
    EXPECT_TRUE(fileError && fileError->code() == 11);
  }
}
