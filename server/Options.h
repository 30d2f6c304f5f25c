// How a stand-in server behaves beyond answering from its state. The tests' server leaves every
// option off and sets what a case needs; the server program turns them on so that every screen of
// the app has something to show.
#pragma once

#include <string>
#include <vector>

namespace standin {

struct Notice {
  std::string title;
  std::string html;  // "" hides the app's notice panel
};

struct Options {
  // Where the state is kept between runs; "" keeps it in memory only.
  std::string dataFolder;
  // Sent with every successful account reply ("sNewsTitle", "sNewsContent") when not empty.
  Notice notice;
  // The first sign-in of a day is counted and answered with "@" and its number, later ones of the
  // same day are not; off, every sign-in counts and is answered plainly.
  bool countedSignIns = false;
  // A lesson for every day index the store has none for, made from a few sample sentences.
  bool sampleLessons = false;
  // Sent to every new account as its first message; "" sends none.
  std::string welcomeMessage;
  // Older messages every new account finds below the first one, newest first, a day apart.
  std::vector<std::string> pastMessages;
  // The ranking page ("/top"), named in every account reply as "sShowTopView".
  bool rankingPage = false;
  // What "/lookup" reports as the store's newest version and its notes; "" reports none.
  std::string storeVersion;
  std::string releaseNotes;
};

}  // namespace standin
