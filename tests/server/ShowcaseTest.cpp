// What the server program adds so that every online screen has something to show: the ranking
// page, the store lookup, two pages of messages, sample excellent mnemonics from the app's
// library, and the analytics upload read with the app's own wire records.
#include <openssl/evp.h>
#include <sqlite3.h>
#include <zlib.h>

#include "analytics/records/ThriftBytes.h"
#include "analytics/records/analytics_types.h"
#include "analytics/records/envelope_types.h"
#include "server/AnalyticsIntake.h"
#include "server/SampleMnemonics.h"
#include "tests/server/ServerFixture.h"

namespace servertest {
namespace {

using standin::Service;
using standin::State;

standin::Request page(const std::string& target) {
  return {"GET", target, {}, ""};
}

TEST(StandInShowcase, TheRankingPageIsNamedInRepliesAndRanksBySignIns) {
  standin::Options options;
  options.rankingPage = true;
  Service service(options);
  service.setBase("http://127.0.0.1:9");
  service.withState([](State& s) {
    s.addAccount("learner", standin::md5Hex("secret12")).signIns = 3;
    standin::Account& eager = s.addAccount("<b>eager</b>", standin::md5Hex("x"));
    eager.signIns = 9;
    eager.signInBest = 1;
    s.accounts["learner"].signInBest = 3;
  });
  const std::string info =
      service.answer(get("account_info.php", signedParams("learner", "secret12"))).body;
  EXPECT_TRUE(has(info, R"("sShowTopView":"http://127.0.0.1:9/top")")) << info;

  const standin::Reply top = service.answer(page("/top"));
  EXPECT_EQ(top.status, 200);
  EXPECT_TRUE(has(top.contentType, "text/html"));
  EXPECT_LT(top.body.find("&lt;b&gt;eager"), top.body.find("learner")) << top.body;
  EXPECT_FALSE(has(top.body, "<b>eager")) << "names are escaped";
  const standin::Reply byRun = service.answer(page("/top?by=run"));
  EXPECT_LT(byRun.body.find("learner"), byRun.body.find("&lt;b&gt;eager")) << byRun.body;
  EXPECT_TRUE(has(top.body, "href='/top?by=run'")) << "a link for the page's history buttons";
  EXPECT_TRUE(has(service.answer(page("/")).body, "href='/top'"));

  // The tests' server names no ranking page.
  Service plain;
  plain.withState([](State& s) { s.addAccount("learner", standin::md5Hex("secret12")); });
  EXPECT_FALSE(has(plain.answer(get("account_info.php", signedParams("learner", "secret12"))).body,
                   "sShowTopView"));
}

TEST(StandInShowcase, TheStoreLookupReportsTheVersionItWasGiven) {
  standin::Options options;
  Service none(options);
  EXPECT_EQ(none.answer(page("/lookup?id=1")).body, R"({"resultCount":0,"results":[]})");
  options.storeVersion = "9.1";
  options.releaseNotes = "更快了";
  Service newer(options);
  const standin::Reply reply = newer.answer(page("/lookup?id=1"));
  EXPECT_TRUE(has(reply.contentType, "json"));
  EXPECT_EQ(reply.body,
            R"({"resultCount":1,"results":[{"version":"9.1","releaseNotes":"更快了"}]})");
}

TEST(StandInShowcase, ANewAccountHasTwoPagesOfMessagesAndOneUnread) {
  standin::Options options;
  options.welcomeMessage = "欢迎";
  for (int i = 0; i < 11; ++i) options.pastMessages.push_back("消息" + std::to_string(i));
  Service service(options);
  service.withState([](State& s) { s.now = 1700000000; });
  const auto params = signedParams("newcomer", "secret12");
  EXPECT_TRUE(has(service.answer(get("account_register.php", params)).body, "\"nNewMsgCount\":1"));
  auto pageOf = [&](const char* number) {
    auto withPage = params;
    withPage.emplace_back("page", number);
    return service.answer(get("get_user_message.php", withPage)).body;
  };
  const std::string first = pageOf("0"), second = pageOf("1");
  EXPECT_TRUE(has(first, "\"is_end\":0")) << first;
  EXPECT_LT(first.find("欢迎"), first.find("消息0")) << "newest first";
  EXPECT_TRUE(has(first, "[1699913600,\"消息0\"]")) << "a day older than the welcome";
  EXPECT_TRUE(has(second, "\"is_end\":1")) << second;
  EXPECT_TRUE(has(second, "消息9") && has(second, "消息10")) << second;
  EXPECT_FALSE(has(second, "欢迎"));
}

// A library with some of the sample words, as the app's learn.db holds them.
std::string writeLibrary(const std::string& folder) {
  const std::string path = folder + "/learn.db";
  sqlite3* db = nullptr;
  EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(db,
                         "create table Words_Library (wl_uWordID integer primary key, wl_tWord "
                         "text not null unique);"
                         "insert into Words_Library values (4, 'friend'), (21, 'breakfast'), "
                         "(77, 'zebra');",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
  return path;
}

TEST_F(DataFolderTest, SampleExcellentMnemonicsAreTheLibrarysWordsAndCanBeAdopted) {
  const std::string library = writeLibrary(folder_);
  standin::Options o;
  Service service(o);
  service.withState([](State& s) { s.addAccount("learner", standin::md5Hex("secret12")); });
  ASSERT_EQ(service.withState([&](State& s) { return standin::addSampleMnemonics(s, library); }),
            "");
  const std::string list =
      service.answer(get("update_excellent_mnemonic.php", {{"last_em_id", "0"}})).body;
  EXPECT_TRUE(has(list, "[4,")) << list;
  EXPECT_TRUE(has(list, "[21,")) << list;
  EXPECT_FALSE(has(list, "[77,")) << "no sample for a word without one";
  EXPECT_EQ(service.withState([](State& s) { return s.excellent.size(); }), 2u);

  // The excellent mnemonic is a shared one: adopting it from the card's strip works.
  const int64_t mnemonic = service.withState([](State& s) { return s.excellent[0].mnemonicId; });
  auto params = signedParams("learner", "secret12");
  params.emplace_back("mnemonic_id", std::to_string(mnemonic));
  EXPECT_TRUE(has(service.answer(get("accept_mnemonic.php", params)).body, "\"result\":1"));

  // Samples come once: a folder that has excellent mnemonics keeps them as they are.
  ASSERT_EQ(service.withState([&](State& s) { return standin::addSampleMnemonics(s, library); }),
            "");
  EXPECT_EQ(service.withState([](State& s) { return s.excellent.size(); }), 2u);
  State fresh;
  EXPECT_TRUE(has(standin::addSampleMnemonics(fresh, folder_ + "/missing.db"), "missing.db"));
  EXPECT_TRUE(fresh.excellent.empty());
}

// An envelope as the app makes one: the entry's Thrift bytes compressed, optionally encrypted
// with the key the device signature gives.
std::string envelopeOf(const AT::UsageLogEntry& entry, bool encrypted) {
  const std::string bytes = records::toBytes(entry);
  uLongf size = compressBound(bytes.size());
  std::string compressed(size, '\0');
  EXPECT_EQ(compress2(reinterpret_cast<Bytef*>(compressed.data()), &size,
                      reinterpret_cast<const Bytef*>(bytes.data()), bytes.size(), 9),
            Z_OK);
  compressed.resize(size);
  const std::string signature(64, 'a');  // bytes 0xaa
  ATEnvelope::UsageEnvelope envelope;
  envelope.__set_version("V1.0");
  envelope.__set_address("appkey");
  envelope.__set_signature(signature);
  envelope.__set_serial_num(3);
  envelope.__set_length(static_cast<int32_t>(bytes.size()));
  envelope.__set_codex(encrypted ? 1 : 0);
  if (encrypted) {
    const unsigned char key[16] = {0xaa, 0xaa, 0xaa, 0xaa, 0xaa, 0xaa, 0xaa, 0xaa,
                                   0xaa, 0xaa, 0xaa, 0xaa, 0xaa, 0xaa, 0xaa, 0xaa};
    const unsigned char iv[16] = {3, 14, 2, 9, 6, 11, 0, 8, 21, 5, 12, 7, 1, 4, 19, 77};
    std::string out(compressed.size() + 16, '\0');
    int written = 0, last = 0;
    EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
    EVP_EncryptInit_ex(context, EVP_aes_128_cbc(), nullptr, key, iv);
    EVP_EncryptUpdate(context, reinterpret_cast<unsigned char*>(out.data()), &written,
                      reinterpret_cast<const unsigned char*>(compressed.data()),
                      static_cast<int>(compressed.size()));
    EVP_EncryptFinal_ex(context, reinterpret_cast<unsigned char*>(out.data()) + written, &last);
    EVP_CIPHER_CTX_free(context);
    out.resize(static_cast<size_t>(written + last));
    compressed = out;
  }
  envelope.__set_entity(compressed);
  return records::toBytes(envelope);
}

TEST(StandInShowcase, AnAnalyticsEnvelopeIsReadRecordByRecordAndAnsweredInThrift) {
  AT::UsageLogEntry entry;
  AT::Session session;
  session.__set_id("S1");
  session.__set_duration(4000);
  AT::Page screen;
  screen.__set_page_name("ReViewController");
  screen.__set_duration(2500);
  session.__set_pages({screen});
  AT::Event event;
  event.__set_name("review_done");
  AT::PropertyValue grade;
  grade.__set_string_value("know");
  event.__set_properties({{"grade", grade}});
  AT::InstantMsg message;
  message.__set_events({event});
  entry.__set_sessions({session});
  entry.__set_instant_msgs({message});

  for (bool encrypted : {false, true}) {
    SCOPED_TRACE(encrypted ? "encrypted" : "plain");
    standin::Reply reply =
        standin::acceptEnvelope({"POST", "/app_logs", {}, envelopeOf(entry, encrypted)});
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.contentType, "application/thrift");
    AT::Response response;
    ASSERT_TRUE(records::fromBytes(reply.body, response));
    EXPECT_EQ(response.resp_code, 1);
    ASSERT_EQ(reply.log.size(), 3u);
    EXPECT_TRUE(has(reply.log[0], "envelope 3 of appkey")) << reply.log[0];
    EXPECT_TRUE(has(reply.log[1], "session S1 4000ms ReViewController(2500ms)")) << reply.log[1];
    EXPECT_TRUE(has(reply.log[2], "event review_done grade=know")) << reply.log[2];
  }

  // What is no envelope is refused with the reason, and the app keeps its file.
  std::string truncated = envelopeOf(entry, false);
  truncated.resize(truncated.size() / 2);
  for (const std::string& body : {std::string("not thrift"), truncated}) {
    standin::Reply refused = standin::acceptEnvelope({"POST", "/app_logs", {}, body});
    EXPECT_EQ(refused.status, 400);
    EXPECT_NE(refused.contentType, "application/thrift");
    ASSERT_EQ(refused.log.size(), 1u);
    EXPECT_TRUE(has(refused.log[0], "refused")) << refused.log[0];
  }
  EXPECT_EQ(standin::acceptEnvelope({"GET", "/app_logs", {}, ""}).status, 405);
}

}  // namespace
}  // namespace servertest
