// The word books of the library: books of a frequency band, and exam word books, one book class
// an exam (中考, 高考, 四级 ...), whose words are the exam list's that the English-Chinese
// dictionary tags, in order of frequency.
#pragma once

#include <string>
#include <vector>

namespace tools {

struct ExamClass {
  int classId = 0;
  std::string name;  // "四级词汇"
  std::string exam;  // the dictionary's tag: "cet4"
  int firstBook = 0;
  int perBook = 0;  // the most words of one book
};

// exam_books.tsv: class id, class name, exam tag, first book id, most words a book. Throws
// BuildError naming the line of a malformed record.
std::vector<ExamClass> readExamClasses(const std::string& path);

struct WordBook {
  int id = 0;
  std::string name;
  int classId = 0;
  std::vector<std::string> words;
};

// The words of one class in books of at most `perBook` words, all of about the same size (1,603
// words in 4 books of 401 or 400, not 3 of 500 and one of 103), named after the class and the
// positions of their first and last words: "四级词汇 1-482".
std::vector<WordBook> splitIntoBooks(const ExamClass& exam, const std::vector<std::string>& words);

}  // namespace tools
