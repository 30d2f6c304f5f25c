#include "tools/library/ExamBooks.h"

#include "tools/TsvFile.h"

namespace tools {

std::vector<ExamClass> readExamClasses(const std::string& path) {
  TsvFile file = TsvFile::read(path, true);
  file.expectFields(5, 5);
  std::vector<ExamClass> classes;
  for (const TsvRecord& r : file.records()) {
    ExamClass exam{file.positiveInt(r, 0), r.fields[1], r.fields[2], file.positiveInt(r, 3),
                   file.positiveInt(r, 4)};
    if (exam.name.empty() || exam.exam.empty()) throw file.error(r, "empty class name or exam");
    classes.push_back(exam);
  }
  return classes;
}

std::vector<WordBook> splitIntoBooks(const ExamClass& exam, const std::vector<std::string>& words) {
  std::vector<WordBook> books;
  if (words.empty()) return books;
  const size_t count = words.size();
  const size_t bookCount = (count + exam.perBook - 1) / exam.perBook;
  size_t first = 0;
  for (size_t k = 0; k < bookCount; ++k) {
    // The first books take one word more where the words do not share out evenly.
    const size_t size = count / bookCount + (k < count % bookCount ? 1 : 0);
    WordBook book;
    book.id = exam.firstBook + static_cast<int>(k);
    book.name = exam.name + " " + std::to_string(first + 1) + "-" + std::to_string(first + size);
    book.classId = exam.classId;
    book.words.assign(words.begin() + first, words.begin() + first + size);
    books.push_back(std::move(book));
    first += size;
  }
  return books;
}

}  // namespace tools
