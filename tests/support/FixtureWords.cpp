#include "tests/support/FixtureWords.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace testsupport {

void writeTextFile(const std::string& path, const std::string& content) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
  if (!out) throw std::runtime_error("cannot write " + path);
}

void writeFixtureWords(const std::string& folder) {
  auto write = [&](const std::string& name, const std::string& content) {
    writeTextFile(folder + "/" + name, content);
  };
  write("words.tsv",
        "# word_id, headword, US, UK, display form, editor\n"
        "1\tapple\tˈæpəl\tˈæpl\t\t小明\n"
        "2\tbook\tbʊk\tbʊk\t\t\n"
        "3\tcafe\tkæˈfeɪ\tˈkæfeɪ\tcafé\t\n"
        "4\trun\trʌn\trʌn\n"
        "5\thappy\tˈhæpi\tˈhæpi\t\t\n"
        "6\tgood\tɡʊd\tɡʊd\t\t\n");
  write("meanings_ch.tsv",
        "apple\t1\tn. 苹果\n"
        "book\t1\tn. 书；本子\n"
        "book\t2\tv. 预订\n"
        "cafe\t1\tn. 咖啡馆\n"
        "run\t1\tv. 跑\n"
        "happy\t1\tadj. 快乐的\n"
        "good\t1\tadj. 好的\n");
  write("examples.tsv",
        "apple\t1\tI eat an apple every day.\t我每天吃一个苹果。\n"
        "book\t2\tWe booked a table.\t我们订了一张桌子。\n"
        "book\t1\tThis book is mine.\t这本书是我的。\n");
  write("meanings_en.tsv",
        "book\tn. a set of printed pages\\nv. to arrange a seat in advance\n"
        "apple\tn. a round fruit\n");
  write("transforms.tsv", "book\t#books @books $booked\n");
  write("synonyms.tsv", "happy\tglad, cheerful\n");
  write("antonyms.tsv", "happy\tsad, unhappy\n");
  write("paronyms.tsv", "happy\thappiness n. 幸福\n");
  write("similar.tsv", "apple\tapply v. 申请\n");
  write("phrases.tsv", "book\tbook a ticket 订票<br/>by the book 按规矩办事\n");
  write("book_class.tsv", "1\t中学\n2\t大学\n3\t常用词频\n");
  write("books.tsv",
        "101\t初中词汇\t1\n102\t高中词汇\t1\n201\t四级词汇\t2\n800\t词频一\t3\n801\t词频二\t3\n");
  write("book_words/101.txt", "apple\nbook\ncafe\n");
  write("book_words/102.txt", "# senior\nrun\nhappy\n");
  write("book_words/201.txt", "good\nhappy\nbook\n");
  write("book_words/800.txt", "good\nbook\n");
  write("book_words/801.txt", "apple\n");
}

}  // namespace testsupport
