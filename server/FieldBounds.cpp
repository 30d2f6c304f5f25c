#include "server/FieldBounds.h"

namespace standin {

bool longerThan(const std::string& text, size_t characters) {
  if (text.size() > 4 * characters) return true;
  size_t count = 0;
  for (unsigned char byte : text)
    if ((byte & 0xC0) != 0x80) ++count;
  return count > characters;
}

std::optional<std::string> refusalOverBounds(const Form& form,
                                             std::initializer_list<FieldBound> bounds) {
  for (const FieldBound& bound : bounds) {
    if (longerThan(form[bound.field], bound.characters))
      return std::string(bound.what) + "太长，最多" + std::to_string(bound.characters) + "个字符";
  }
  return std::nullopt;
}

std::string backupTooLargeMessage() {
  return "备份数据太大，最多" + std::to_string(kLargestBackupMiB) + "MB";
}

}  // namespace standin
