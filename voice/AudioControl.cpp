#include "voice/AudioControl.h"

#include <exception>

#include "platform/base/AppHome.h"
#include "platform/base/Bundle.h"
#include "platform/base/Files.h"
#include "platform/base/Utf.h"
#include "ui/MyAlerView.h"
#include "util/ZipException.h"

namespace {

// Pronunciations are a few kilobytes; the limit only guards against a damaged size.
constexpr uint64_t kLargestRecording = 16 * 1024 * 1024;

std::unique_ptr<AudioControl>& instance() {
  static std::unique_ptr<AudioControl> shared;
  return shared;
}

// The pack at `path` open for reading, or null when it is missing or not a readable zip archive.
std::unique_ptr<ZipFile> openPack(const std::string& path) {
  if (path.empty() || !plat::files::exists(path)) return nullptr;
  try {
    return std::make_unique<ZipFile>(path, ZipFileModeUnzip);
  } catch (const ZipException&) {
    return nullptr;
  }
}

void closePack(std::unique_ptr<ZipFile>& pack) {
  if (!pack) return;
  try {
    pack->close();
  } catch (const ZipException&) {
    // Nothing was written to a pack opened for reading; there is nothing to save.
  }
  pack.reset();
}

}  // namespace

AudioControl& AudioControl::sharedAudio() {
  auto& shared = instance();
  if (!shared) shared.reset(new AudioControl());
  return *shared;
}

void AudioControl::releaseAudio() {
  instance().reset();
}

bool AudioControl::exists() {
  return instance() != nullptr;
}

AudioControl::AudioControl() {
  ZipObjArr_.reserve(2);
  changeAudioFile();
}

AudioControl::~AudioControl() {
  closeAll();
}

void AudioControl::closeAll() {
  closePack(zip_);
  for (auto& pack : ZipObjArr_) closePack(pack);
  ZipObjArr_.clear();
  if (newPlayer_) newPlayer_->stop();
  newPlayer_.reset();
}

void AudioControl::changeAudioFile() {
  closePack(zip_);
  zip_ = openPack(plat::files::join(plat::Bundle::main().path(), kShippedPackName));
  openDownloadedPacks();
}

void AudioControl::openDownloadedPacks() {
  for (const char* name : kDownloadedPackNames) {
    auto pack = openPack(plat::files::join(plat::AppHome::applicationSupportDir(), name));
    if (pack) ZipObjArr_.push_back(std::move(pack));
  }
}

void AudioControl::resetNetSountPack() {
  for (auto& pack : ZipObjArr_) closePack(pack);
  ZipObjArr_.clear();
  openDownloadedPacks();
}

std::string AudioControl::entryNameForWord(const std::string& word) {
  std::string lower = plat::utf::lowercase(word);
  size_t end = 0;
  plat::utf::decodeNext(lower, end);
  return "words_voices/" + lower.substr(0, end) + "/" + lower + ".mp3";
}

void AudioControl::playerWord(const std::string& word, bool isCheck) {
  if (word.empty()) return;
  size_t downloaded = ZipObjArr_.size();
  if (play_fromPro(word)) return;
  if (downloaded > 0 && play_fromNet(word)) return;
  if (!isCheck) return;
  MyAlerView::sharedAler()->ViewShow(
      plat::localized(downloaded >= 2 ? "alermsg_eg2" : "alermsg_eg5", "InfoPlist"));
}

bool AudioControl::play_fromPro(const std::string& word) {
  return zip_ && playSound(*zip_, word);
}

bool AudioControl::play_fromNet(const std::string& word) {
  for (auto& pack : ZipObjArr_)
    if (playSound(*pack, word)) return true;
  return false;
}

bool AudioControl::playSound(ZipFile& pack, const std::string& word) {
  try {
    if (!pack.locateEntry2(entryNameForWord(word))) return false;
    lastPackPath_ = pack.fileName();
    // The word asked for replaces what sounds now, even when its recording turns out damaged.
    newPlayer_.reset();
    ZipEntryInfo info = pack.getCurrentZipEntryInfo();
    // A size no recording has is a damaged directory; it is not worth the memory it asks for.
    if (info.length() == 0 || info.length() > kLargestRecording) return true;
    plat::Value::Bytes data(info.length());
    ZipReadStream stream = pack.readCurrentEntry();
    size_t read = stream.readDataWithBuffer(data);
    // The CRC is checked when the entry closes, so a damaged recording is refused before it plays;
    // an entry shorter than its directory says is damaged too (its CRC goes unchecked then).
    stream.finishedReading();
    if (read != data.size()) return true;
    newPlayer_ = plat::AudioPlayer::withData(data);
    if (newPlayer_) newPlayer_->play();
  } catch (const std::exception&) {
    // A recording that was found but cannot be read ends the search without a message.
  }
  return true;
}
