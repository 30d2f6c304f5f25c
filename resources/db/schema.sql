-- The study database learn.db: the word library, books and grades that ship with the program, and
-- the learner's tables, empty until used. Nothing is created or altered at run time.
--
-- Column names: table prefix, then u integer, t or s text, d real. Times are whole seconds since
-- 2001-01-01 of the local wall clock read as GMT; day ids are those seconds of a day's start / 86400.
-- The upgrade of an old file copies rows with "select *": keep the column order of every table.
-- Sync flags (NeedSync): 0 changed on the device, 1 in step with the server; a new row takes 0.

-- ---- Word library (read only). Columns marked "scrambled" hold text permuted by the word id.

CREATE TABLE Words_Library (
  wl_uWordID INTEGER PRIMARY KEY,
  wl_tWord TEXT NOT NULL UNIQUE,
  wl_tPhonetics_USA TEXT DEFAULT '',
  wl_tPhonetics_UK TEXT DEFAULT ''
);
-- The word lists' A-Z order, case ignored and then by bytes: the whole library's windows of rows
-- and the search's counts walk it instead of sorting every word for each window.
CREATE INDEX Words_Library_az ON Words_Library (wl_tWord COLLATE NOCASE, wl_tWord);

CREATE TABLE Words_Show_Name (
  f_wl_uWordID INTEGER PRIMARY KEY,
  wsn_sName TEXT
);

CREATE TABLE Words_Meaning_Ch (
  wmc_uMeaingID INTEGER PRIMARY KEY,
  f_wl_uWordID INTEGER,
  wmc_tData TEXT  -- scrambled
);
CREATE INDEX Words_Meaning_Ch_word ON Words_Meaning_Ch (f_wl_uWordID);

CREATE TABLE Words_Example (
  f_wmc_uMeaingID INTEGER,
  we_tSentence TEXT,    -- scrambled
  we_tTranslation TEXT  -- scrambled
);
CREATE INDEX Words_Example_meaning ON Words_Example (f_wmc_uMeaingID);

-- One text of a kind per word and text: the upgrade's copy cannot double a row.
CREATE TABLE Words_Meaning_En (
  f_wl_uWordID INTEGER,
  wme_tData TEXT,  -- scrambled
  UNIQUE (f_wl_uWordID, wme_tData)
);

CREATE TABLE Words_Transform (
  f_wl_uWordID INTEGER,
  wt_tRelatedWords TEXT,  -- scrambled
  UNIQUE (f_wl_uWordID, wt_tRelatedWords)
);

CREATE TABLE Words_Antonym (
  f_wl_uWordID INTEGER,
  wa_tRelatedWords TEXT,  -- scrambled
  UNIQUE (f_wl_uWordID, wa_tRelatedWords)
);

CREATE TABLE Words_Synonym (
  f_wl_uWordID INTEGER,
  ws_tRelatedWords TEXT,  -- scrambled
  UNIQUE (f_wl_uWordID, ws_tRelatedWords)
);

CREATE TABLE Words_Paronym (
  f_wl_uWordID INTEGER,
  wa_tRelatedWords TEXT,  -- scrambled
  UNIQUE (f_wl_uWordID, wa_tRelatedWords)
);

CREATE TABLE Words_Similar (
  f_wl_uWordID INTEGER,
  ws_tRelatedWords TEXT,  -- scrambled
  UNIQUE (f_wl_uWordID, ws_tRelatedWords)
);

CREATE TABLE Words_Phrases (
  f_wl_uWordID INTEGER,
  wp_tRelatedWords TEXT,  -- scrambled
  UNIQUE (f_wl_uWordID, wp_tRelatedWords)
);

CREATE TABLE Words_Editor (
  f_wl_uWordID INTEGER,
  we_tNickName TEXT,
  UNIQUE (f_wl_uWordID, we_tNickName)
);

-- ---- Books and grades

CREATE TABLE book_class (
  bc_uId INTEGER PRIMARY KEY,
  bc_sName TEXT
);

CREATE TABLE books (
  b_uId INTEGER PRIMARY KEY,
  b_sName TEXT,
  f_bc_uId INTEGER
);
CREATE INDEX books_class ON books (f_bc_uId);

-- bw_uId: the word's position in its book, 1, 2, 3 ...; in books 800 and 801 its usage factor.
CREATE TABLE book_words (
  bw_uId INTEGER,
  f_b_uId INTEGER,
  f_wl_uId INTEGER,
  PRIMARY KEY (f_b_uId, bw_uId)
);
CREATE INDEX book_words_word ON book_words (f_wl_uId, f_b_uId);

-- Stored in grade order, so that a grade's position in the list equals its id.
CREATE TABLE Feedback_Define (
  fd_uFeedbackID INTEGER PRIMARY KEY,
  fd_dIdealValue REAL,
  fd_tDescribe TEXT
);

CREATE TABLE excellent_mnemonic (
  em_uWordID INTEGER PRIMARY KEY,
  em_uHelpRemID INTEGER DEFAULT 0,
  em_sInfo TEXT DEFAULT '',
  em_sSharer TEXT DEFAULT '',
  em_uSortID INTEGER DEFAULT 0
);

-- ---- The learner's study data (backed up)

CREATE TABLE Study_List (
  sl_uWordID INTEGER PRIMARY KEY,
  sl_uAddTime INTEGER DEFAULT 0,
  sl_uNeedSync INTEGER DEFAULT 0
);
CREATE INDEX Study_List_added ON Study_List (sl_uAddTime);

CREATE TABLE Study_Log (
  sl_uWordID INTEGER PRIMARY KEY,
  sl_uLastTestTime INTEGER DEFAULT 0,
  sl_uNextStudyTime INTEGER DEFAULT 0,
  sl_uFeedbackID1 INTEGER DEFAULT 0,
  sl_uFeedbackID2 INTEGER DEFAULT 0,
  sl_uFeedbackID3 INTEGER DEFAULT 0,
  sl_uKnowNum INTEGER DEFAULT 0,
  sl_uVagueNum INTEGER DEFAULT 0,
  sl_uForgetNum INTEGER DEFAULT 0,
  sl_uNeedSync INTEGER DEFAULT 0
);
-- Due-word queries read the test time from the index too, without a lookup per word.
CREATE INDEX Study_Log_next ON Study_Log (sl_uNextStudyTime, sl_uLastTestTime);

CREATE TABLE Study_Note (
  sn_uWordID INTEGER PRIMARY KEY,
  sn_tNote TEXT DEFAULT '',
  sn_uNeedSync INTEGER DEFAULT 0
);

CREATE TABLE Words_Mnemonic (
  wm_uWordID INTEGER PRIMARY KEY,
  wm_tMnemonic TEXT DEFAULT '',
  wm_uNeedSync INTEGER DEFAULT 0
);

CREATE TABLE Words_MyYuFa (
  wm_uWordID INTEGER PRIMARY KEY,
  wm_tYuFa TEXT DEFAULT '',
  wm_uNeedSync INTEGER DEFAULT 0
);

CREATE TABLE Words_YuFa (
  wy_uWordID INTEGER PRIMARY KEY,
  wy_tYuFa TEXT DEFAULT '',
  wy_uNeedSync INTEGER DEFAULT 0
);

-- Day logs: one row per study-day id.
CREATE TABLE IncreasingWord_Log (
  il_uTimeID INTEGER PRIMARY KEY,
  il_uWordNum INTEGER DEFAULT 0,
  il_uNeedSync INTEGER DEFAULT 0
);

CREATE TABLE ReviewWords_Log (
  rl_uTimeID INTEGER PRIMARY KEY,
  rl_uWordNum INTEGER DEFAULT 0,
  rl_uNeedSync INTEGER DEFAULT 0
);

-- fl_uCountState: 1 filled in by the daily refresh, 0 written by a chart (and by default).
CREATE TABLE Familiarity_Log (
  fl_uTimeID INTEGER PRIMARY KEY,
  fl_uWordNum1 INTEGER DEFAULT 0,
  fl_uWordNum2 INTEGER DEFAULT 0,
  fl_uWordNum3 INTEGER DEFAULT 0,
  fl_uCountState INTEGER DEFAULT 0,
  fl_uNeedSync INTEGER DEFAULT 0
);

CREATE TABLE ForgetWords_Log (
  fl_uTimeID INTEGER PRIMARY KEY,
  fl_uWordNum INTEGER DEFAULT 0,
  fl_uCountState INTEGER DEFAULT 0,
  fl_uNeedSync INTEGER DEFAULT 0
);

-- Words taken out of study since the last backup.
CREATE TABLE delete_words (
  dw_uWordID INTEGER PRIMARY KEY
);

CREATE TABLE Var_Config (
  vc_tVarName TEXT PRIMARY KEY,
  vc_tValue TEXT DEFAULT '',
  vc_uNeedSync INTEGER DEFAULT 0
);

-- ---- Device-only state (never backed up)

-- The review queue in its order (insertion order); rlt_uType 0 review, 1 new word.
CREATE TABLE review_list (
  rlt_tWord TEXT,
  rlt_uType INTEGER DEFAULT 0,
  rlt_uPos INTEGER DEFAULT 0
);

CREATE TABLE remind_words (
  rw_uWordID INTEGER PRIMARY KEY,
  rw_uRunTime INTEGER DEFAULT 0
);
