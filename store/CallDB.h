// The study store: the one object of the process that owns the SQLite connection to learn.db and
// its statement wrapper, and carries every table operation of the system. callDB() opens it on
// first use, copying the shipped database into Application Support and upgrading an old file.
//
// The object lives for the whole process; Release_CallDB() only closes its connection, and the
// next callDB() opens the file again (copying it anew when it was deleted).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/base/Mutex.h"
#include "platform/base/Value.h"
#include "store/QueueRows.h"
#include "store/SqlMgrController.h"

struct sqlite3;

class CallDB {
 public:
  // The one store object, never null; never raises. While the database cannot be opened (no
  // file after the copy) its statements raise MyException, and every callDB() tries again.
  static CallDB* callDB();
  // Closes the connection; the next callDB() opens the file anew. Does nothing while another
  // thread is inside a statement or transaction, or while the calling thread has one open.
  static void Release_CallDB();

  CallDB(const CallDB&) = delete;
  CallDB& operator=(const CallDB&) = delete;

  bool isOpen() const;
  std::string databasePath() const;
  SqlMgrController& sqlMgr() { return sqlMgr_; }

  // The display form of a headword, or the headword itself.
  std::string getWord_ShowName(const std::string& word) const;

  // The wrapper's statements, for the backup code.
  plat::Value sql_select(const std::string& sql, const std::string& retType,
                         const std::string& paramSign, const plat::Value& params);
  void sql_insert(const std::string& sql, const std::string& paramSign, const plat::Value& params);
  void sql_update(const std::string& sql, const std::string& paramSign, const plat::Value& params);
  void sql_delete(const std::string& sql, const std::string& paramSign, const plat::Value& params);

  // The word whose scrambled texts are read next: its id becomes the user default "word_id",
  // under which "t" columns are unscrambled.
  int wordID() const { return wordID_; }
  void setWordID(int wordId);

  // ---- Time conventions (stored times, see store/MyDate.h)
  int64_t GetDayBeginTime(int n);  // 03:00 starting the study day n days after today's
  int64_t GetDayEndTime(int n);    // 03:00 ending it
  bool isSameDay();                // today's study day is the "LastReviewDay" marker

  // ---- Personal values (table Var_Config)
  // The value, or "" when the key is missing; never raises.
  std::string getPersonalValue(const std::string& key);
  // Kept on the device (sync flag 1): server values and device-only state.
  void UpdatePersonalValue(const std::string& key, const std::string& value);
  // Carried by the next backup (sync flag 0): the learner's settings and study state.
  void UpdatePersonalValue_isNeed(const std::string& key, const std::string& value);
  // Puts back, in step with the server, every setting the shipped learn.db holds that is missing
  // here: after a wipe a switch reads as on a fresh install, not as off. Raises MyException when a
  // row cannot be written; an unreadable shipped file restores nothing.
  void restoreShippedPersonalValues();
  // Stores a reply's "syn_var" dictionary; callers wrap it in a transaction.
  void saveNetInfo(const plat::Value& values);
  // The device's model name ("Simulator", "iPad 2 (WiFi)", "其它:<model>").
  std::string doDevicePlatform();
  static std::string platformName(const std::string& model);
  // Brings "system_name" and "system_version" up to date and copies "v_lexicon" to
  // "last_v_lexicon" (all carried by the next backup).
  void modify_systeminfo();
  // [model name, system version], after updating the two values as above.
  plat::Value feedback_get_systeminfo();

  // Array results are the statement wrapper's arrays: a flat array for one column, else rows.
  // Dates passed in are local-as-GMT dates (store/MyDate.h); times are stored times.

  // ---- Word lookups and the word's library content
  int getWordID(const std::string& word);                 // 0 when the word is no headword
  plat::Value GetWordPrototype(const std::string& word);  // [word] for a headword, else []
  // The study-order key as a one-element array, [] for an unplanned word: the next-study time,
  // or for a tested word the number written "1" followed by its digits (untested sort first).
  plat::Value IsWordStudy(const std::string& word);
  plat::Value IsWordStudy_byID(int wordId);
  // Word content by type 0 to 9. Type 0 ([US, UK, id] rows) makes the word the current one
  // (wordID() and the word-text key); the other types except 4 read the current word. An
  // unknown headword makes no word current. Raises MyException for any other type.
  plat::Value GetWordData(const std::string& word, int dataType);
  // The word's place in the frequency books 800/801 over 7000, or 1.0 when in neither.
  double GetWordUsedCofe(const std::string& word);
  plat::Value GetFeedbackInfo();  // rows [grade id, ideal value, description], grade order

  // ---- Study records (Study_List, Study_Log, delete_words)
  // Plans a library word, new and due at once; each call is one unit (a savepoint inside the
  // caller's transaction). Unknown words are skipped.
  void InsertStudyWord(const std::string& word, int64_t learnTime);
  // Takes a word out of study with its notes, and records it for the next backup.
  void delete_StudyWord(const std::string& word);
  plat::Value GetStudyLog(const std::string& word);  // rows [last test, next study, g1, g2]
  // Saves an answer [word, last test, next study, grade, previous g1, previous g2], raises its
  // answer counter, "rememberNum" and today's review count.
  void UpdateLog(const plat::Value& record);
  void UpdateLogWordCount();  // "rememberNum" + 1

  // ---- Due words
  // "review": tested words due today, most overdue first, under the day's review cap;
  // "newlearn": untested words due today; "all": both; anything else: [].
  plat::Value GetReviewWords(const std::string& kind);
  int GetReviewWordsCount();             // tested words due before today's study day ends
  int GetReviewWordsCount(double date);  // ... before 03:00 of the day after `date`
  plat::Value getLearnWords();           // every planned word, learned order
  // Words planned from 03:00 after `beginDate`'s day to 03:00 after `endDate`'s day.
  int getCountWordsFromDay(double beginDate, double endDate);
  // Rows [word, g1, g2, g3] of the words answered in the current study day, learned order.
  plat::Value getTodayReWords();

  // ---- Review queue mirror (review_list), in insertion order
  // Replaces the table by the words with `type` and position 0, as one unit.
  void initReviewWords_tempData(const plat::Value& words, int type);
  plat::Value getReviewWords_tempData();       // rows [word, type, position]
  void addTempData(const plat::Value& words);  // appends new words (type 1, position 0)
  void modifyTempData(const std::string& word, int type, int pos);
  void delTempData(const std::string& word);

  // ---- Book library and word counts (book_class, books, book_words)
  static constexpr int WholeLibraryBookID = 888888;  // the whole word library as one book
  static constexpr int SpecialBookID = 999999;       // the book of excellent mnemonics
  plat::Value getBookLibID();                        // every book class id, table order
  plat::Value getBooksID(int classId);               // the class's book ids, table order
  bool checkBooksID(int bookId);
  std::string getBookName(int bookId);  // "" for an unknown id
  plat::Value getBookData(int bookId);  // [name, planned words of the book, words of the book]
  // Section header: [title, "(planned/all)"] for 888888 and 999999, [class name, "(books)"].
  plat::Value getBookLibData(int sectionId);
  // Words of a book, its planned and its unplanned words; 888888 counts the whole library.
  int64_t getAllWordsNum(int bookId);
  int64_t getStudyWordNum(int bookId);
  int64_t getNoneWordNum(int bookId);

  // ---- A book's word lists, whole (safe on loader threads while the main thread writes)
  // Rows [word, its id when planned else 0]; alphabetical when isSort, else book order.
  plat::Value getWordsFromBook(int bookId, bool isSort);
  plat::Value GetStudyWords(int bookId, bool isSort);  // planned words, always learned order
  plat::Value GetNoneWords(int bookId, bool isSort);   // unplanned words

  // ---- Windows of the whole library: `count` rows from row `pos` down, or ending at it up
  struct RowWindow {
    int offset;
    int count;
  };
  static RowWindow windowOf(int pos, int count, bool isDown);
  plat::Value getWordsFromBook(int pos, int count, bool isDown);  // rows, alphabetical
  plat::Value GetStudyWords(int pos, int count, bool isDown);     // words, learned order
  plat::Value GetNoneWords(int pos, int count, bool isDown);      // words, alphabetical

  // ---- Where a typed text stands in a list (kinds 1 all, 2 unplanned, 4 planned)
  // Alphabetical lists: the number of the list's words that sort before the text.
  int64_t getwordPos_sortABC(const std::string& text, int64_t bookId, int64_t searchType);
  // Book order: the row of the word equal to the text, else of the first word beginning with it
  // ("%" and "_" typed by the learner match only themselves); -1 when there is none.
  int64_t getwordPos_sortBook(const std::string& text, int64_t bookId, int64_t searchType);

  // ---- Day counts and the day's new words
  int getFinishTestNumFromDay();  // words answered today that were not planned today
  int getTodayLearnNum();         // today's new words: never answered, or first answered today
  int GetNeedTestNum(int n);      // words due in the study day n days after today's
  int getNeedLearnNum();          // "StudyLimitCount" less today's new words, never below 0
  plat::Value getOrderWords();    // up to getNeedLearnNum() unplanned words, alphabetical
  plat::Value getRandomWords();   // ... in random order

  // ---- The learner's texts of a word: own mnemonic note, adopted mnemonic, own and adopted
  // grammar note. Line breaks and tabs become blanks (the backup is tab-separated lines); a word
  // outside the library reads "" and saves nothing. Saves mark the row for the next backup.
  static constexpr const char* DeclinedMnemonic = "#*#";  // the learner declined the offer
  std::string getNote(const std::string& word);
  void saveNote(const std::string& word, const std::string& note);
  std::string getMnemonic(const std::string& word);   // "" also for the declined marker
  std::string getMnemonic2(const std::string& word);  // as stored, the marker included
  void saveMnemonic(const std::string& word, const std::string& mnemonic);
  std::string getMyYuFa(const std::string& word);
  void saveMyYuFa(const std::string& word, const std::string& text);
  std::string getYuFa(const std::string& word);
  void saveYuFa(const std::string& word, const std::string& text);

  // ---- Update-check rhythm and the backlog advice
  bool isCheckUpdate_Program();  // no check yet, or the last one three calendar days ago or more
  void saveCheckUpdateTime();    // today's calendar-day id as "CheckUpdateTime"
  // Once a study day, when more tested words are due than the daily review amount L:
  // [due words, L, study days until the backlog fits (at most 30)]; null otherwise.
  plat::Value openMaxLearnView();

  // ---- The special book of excellent mnemonics (excellent_mnemonic)
  // Stores rows [word id, mnemonic id, text, sharer, sort id]; callers wrap it in a transaction.
  void updateSpecialMnemonic(const plat::Value& rows);
  plat::Value getSpecialBookList();  // rows [word id, headword], highest sort id first
  // Appends (never clears): every word to `all`, unplanned ones to `noneWords` in list order,
  // and at the end the planned ones to `learnedWords`, untested first, each group in due order.
  void haveSpecialBook(plat::Value& all, plat::Value& learnedWords, plat::Value& noneWords);
  plat::Value getSpecialMnemonicInfo(const std::string& word);  // [sharer, text], or []
  int getSpecialMnemonicID(const std::string& word);            // 0 when the word has none

  // ---- Memory level of a planned word: how far off its next review is, 0 to 30
  struct WordForgetState {
    int level;
    // Drawn in order at the origin into a context of the first image's size: the background,
    // then the level's picture when the level is above 0.
    std::vector<std::string> images;
    bool isLevelZero() const { return level == 0; }  // a new word: the lists offer removal
  };
  std::optional<WordForgetState> getWordForgetState(const std::string& word);  // none: unplanned
  // The level of a word whose next review is `remaining` seconds away (negative: overdue).
  static int forgetLevel(int64_t remaining, bool tested);

  // ---- Day logs and statistics series, one value per study day. Past series run newest first
  // (element 0 is today), forward series furthest first (the last element is today).
  void InsertReViewWordsFromDay();  // one more answer in today's ReviewWords_Log row
  // Bring Familiarity_Log and ForgetWords_Log up to date for the last n study days (the daily
  // refresh and the restore, inside their transactions).
  void OpenMechine_FamiliarityFromDay(int n);
  void OpenMechine_ForgetWordsFromDay(int n);
  void LastReviewDays();                     // moves "LastReviewDay" forward to today's study day
  plat::Value LearnWordsFromDay(int n);      // fills IncreasingWord_Log; n days' plans by day
  plat::Value getReViewWordsFromDay(int n);  // answers per day, 0 for a day without a row
  // n + 1 due counts: n, n - 1, ..., 1 study days ahead (tomorrow with today's leftover), then
  // today's list.
  plat::Value getWillReviewWordsFromDay(int n);
  // [planned words due more than 29, 59, 89 days after the study day of `date` ends]
  plat::Value getCountFamiliarityFromDay(double date);
  plat::Value FamiliarityFromDay(int n);  // stores today's counts; three arrays of n counts
  // Retention of the study day of `date` times 10000: due words by 03:00 `addDay` days after
  // it count as forgotten with weight 0.8.
  int64_t getRatioForgetWordsFromDay(double date, int64_t addDay);
  // Stores today's retention; n percentages, null before the first study day.
  plat::Value ForgetWordsFromDay(int n);
  plat::Value getWillForgetWordsFromDay(int n);  // n projected retention percentages

  // ---- Stubborn-word reminder records (remind_words)
  // Up to three random stubborn words (last three answers "forgot") not yet named, as rows
  // [word id, "[顽固词]<display form>\n<meanings, one per line>"]; the current word is kept.
  plat::Value GetRandomForgetWordInfo();
  // Records that the reminder firing at `runTime` (a stored time) names the word.
  void insertRemindWord(int wordId, int64_t runTime);
  // Forgets the records of pending reminders and of those that fired before today, so a word is
  // named at most once a day.
  void clearRemindWords();

  // ---- Summary figures
  int LearnWordCount();         // planned words
  int64_t getCountDay();        // study days from the first planned word's to today's, both counted
  float aveLearnNumFromWeek();  // words planned per day over the last week
  float aveReviewNumFromWeek();  // answers per day over the last week

 private:
  CallDB() = default;
  static CallDB* instance();  // made on first use, not opened
  void open() REQUIRES(sqlMgr_.connection());
  void close() REQUIRES(sqlMgr_.connection());
  void loadShowNames();
  void updateSystemInfo(const std::string& model, const std::string& version);

  // Unbound queries for statements with their numbers formatted in; they never raise.
  plat::Value rowsOf(const std::string& sql, const std::string& retType);
  int64_t numberOf(const std::string& sql);  // first value of the first row, 0 when none
  std::optional<int64_t> optionalNumberOf(const std::string& sql);
  int personalInteger(const std::string& key);  // a personal value as a number, 0 when empty
  // Runs `work` as one unit: commits, or rolls back and raises again.
  void inOneTransaction(const std::function<void()>& work);
  // Appends the words as rows of the queue mirror, listing each; `lastRowid` is the table's
  // largest rowid before (0 when empty).
  void appendQueueRows(const plat::Value& words, int type, int64_t lastRowid);
  // The list of the mirror's rows, read from the table first when it is not known.
  QueueRows& listedQueueRows();
  void watchQueueRows(sqlite3* db);
  // SQLite's hook for every row written: runs inside a statement, so under the connection's
  // lock, which the analysis cannot see there.
  static void rowWritten(void* self, int op, const char* database, const char* table,
                         long long rowid) NO_THREAD_SAFETY_ANALYSIS;
  static const char* const kDropQueueIndex;
  plat::Value dueTestedWords(int64_t end, int64_t limit);
  struct DayLogSpec;
  std::string readWordText(const char* sql, const std::string& word);
  void saveWordText(const char* sql, const std::string& word, const std::string& text);
  void fillDayLog(const DayLogSpec& log, int n);
  // The id of the study day of the earliest planned word; none while nothing is planned.
  std::optional<int64_t> firstStudyDayId();

  // The A-Z order of WordOrder.h (alias wl for Words_Library).
  static constexpr const char* kAlphabeticalOrder =
      " order by wl.wl_tWord collate nocase, wl.wl_tWord";
  // Lists of planned words: never answered first, then by next study time, then A-Z (aliases wl
  // for Words_Library and sl for Study_Log).
  static constexpr const char* kLearnedOrder =
      " order by case sl.sl_uLastTestTime when 0 then 0 else 1 end, sl.sl_uNextStudyTime, "
      "wl.wl_tWord collate nocase, wl.wl_tWord";

  SqlMgrController sqlMgr_;
  std::atomic<sqlite3*> database_{nullptr};
  mutable plat::Mutex state_;
  std::string path_ GUARDED_BY(state_);
  std::unordered_map<std::string, std::string> words_showname_ GUARDED_BY(state_);
  plat::Value feedback_ GUARDED_BY(state_);  // the grades' rows once read, until the close
  std::atomic<int> wordID_{0};
  // Where the mirror's rows are by word, and the store's undo count when it was last known.
  QueueRows queueRows_ GUARDED_BY(sqlMgr_.connection());
  uint64_t queueRowsUndoCount_ GUARDED_BY(sqlMgr_.connection()) = 0;
  // Set while the store writes mirror rows it lists itself.
  bool writingQueue_ GUARDED_BY(sqlMgr_.connection()) = false;
};
