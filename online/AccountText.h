// Small helpers the account screens share: localised texts, the progress panel, the message
// bubble, the screens above that hear of changed study data, and the one-transaction write.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace accounttext {

// The text of `key` in the table "InfoPlist" (the key itself when the table lacks it).
std::string text(const std::string& key);

void panelList(const std::vector<std::string>& titles);
void panelChange(const std::string& title, const std::string& value);
void panelHide();
void showMessage(const std::string& message);

// The review screen reloads; the word-book tab forgets what it loaded (when asked).
void studyDataChanged(bool wordBooksToo);

// Runs `writes` inside one store transaction; an exception rolls it back. True when committed.
bool inTransaction(const std::function<void()>& writes);

}  // namespace accounttext
