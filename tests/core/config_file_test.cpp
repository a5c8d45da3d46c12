#include "core/config_file.h"

#include <gtest/gtest.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>

#include "core/settings_codec.h"
#include "support/settings_streams.h"

// Every fsync of this program comes here (the core is linked in statically): the tests count
// them and can make the next one fail.
static int fsyncCalls = 0;
static int fsyncFailure = 0;

extern "C" int fsync(int fd) {
  ++fsyncCalls;
  if (fsyncFailure == 0) return static_cast<int>(::syscall(SYS_fsync, fd));
  errno = std::exchange(fsyncFailure, 0);
  return -1;
}

namespace tessaron {
namespace {

namespace fs = std::filesystem;

const std::string HEADER = "KALDORMSRCFG2000";

// A fresh folder per test, removed afterwards (permissions restored first).
class ConfigFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "tessaron-cfg-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(folder_, ignored);
  }

  std::string PathOf(const std::string& name) const { return (folder_ / name).string(); }

  static void WriteFile(const std::string& path, const ByteString& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
  }

  static ByteString ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return ByteString(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  // Header followed by the stream of a default record.
  static ByteString DefaultFile() {
    ByteString file(HEADER.begin(), HEADER.end());
    ByteString stream;
    EXPECT_TRUE(test_support::EncodeStream(ReaderSettings(), &stream));
    file.insert(file.end(), stream.begin(), stream.end());
    return file;
  }

  // A record whose settings differ from the defaults wherever a load must reset them.
  static ReaderSettings ChangedRecord() {
    ReaderSettings s;
    s.beepVolume = '0';
    s.baudRate = '7';
    s.preamble = {'P'};
    s.addedFields = {{'A'}};
    s.formulas[2] = {0x21};
    return s;
  }

  std::size_t EntriesInFolder() const {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(folder_), fs::directory_iterator()));
  }

  fs::path folder_;
};

TEST_F(ConfigFileTest, SavedDefaultsAreHeaderThenStream) {
  const std::string path = PathOf("defaults.cfs2");
  ASSERT_EQ(SaveConfigFileStatus(ReaderSettings(), path), ConfigFileStatus::Ok);
  const ByteString file = ReadFile(path);
  ASSERT_EQ(file.size(), 163u);
  EXPECT_EQ(std::string(file.begin(), file.begin() + 16), HEADER);
  EXPECT_EQ(file, DefaultFile());
  EXPECT_EQ(file[16], 0x02);
  EXPECT_EQ(file.back(), 0xE7);
  EXPECT_EQ(EntriesInFolder(), 1u);  // no temporary left behind
}

TEST_F(ConfigFileTest, LoadGivesBackWhatWasSaved) {
  const std::string path = PathOf("round.cfs2");
  ReaderSettings saved = ChangedRecord();
  saved.track2Suffix = {0x00, 0xFF};
  ASSERT_TRUE(SaveConfigFile(saved, path));

  ReaderSettings loaded(InterfaceType::Rs232);
  ASSERT_EQ(LoadConfigFileStatus(loaded, path), ConfigFileStatus::Ok);
  EXPECT_EQ(loaded.baudRate, '7');
  EXPECT_EQ(loaded.track2Suffix, saved.track2Suffix);
  EXPECT_EQ(loaded.addedFields, saved.addedFields);
  EXPECT_EQ(loaded.formulas, saved.formulas);
  EXPECT_EQ(loaded.interfaceType, InterfaceType::Rs232);

  WriteFile(path, DefaultFile());
  ASSERT_TRUE(LoadConfigFile(loaded, path));
  EXPECT_EQ(loaded.beepVolume, '2');
  EXPECT_EQ(loaded.baudRate, '5');
  EXPECT_TRUE(loaded.preamble.empty());
  EXPECT_TRUE(loaded.addedFields.empty());
  EXPECT_TRUE(loaded.formulas[2].empty());
}

TEST_F(ConfigFileTest, RefusedBeforeTheStreamLeavesTheRecordAlone) {
  ByteString wrongVersion = DefaultFile();
  wrongVersion[15] = '1';  // "2001"
  ByteString wrongCase = DefaultFile();
  wrongCase[0] = 'k';
  ByteString wrongDirection = DefaultFile();
  wrongDirection[17] = 0x52;
  ByteString headerOnly(HEADER.begin(), HEADER.end());
  ByteString stxOnly = headerOnly;
  stxOnly.push_back(0x02);
  ByteString shortMagic(HEADER.begin(), HEADER.begin() + 5);

  const struct {
    const char* name;
    ByteString bytes;
    ConfigFileStatus expected;
  } cases[] = {
      {"version", wrongVersion, ConfigFileStatus::NotConfigFile},
      {"case", wrongCase, ConfigFileStatus::NotConfigFile},
      {"short", shortMagic, ConfigFileStatus::NotConfigFile},
      {"direction", wrongDirection, ConfigFileStatus::BadStreamStart},
      {"header only", headerOnly, ConfigFileStatus::BadStreamStart},
      {"stx only", stxOnly, ConfigFileStatus::BadStreamStart},
      {"empty", {}, ConfigFileStatus::Empty},
      {"too large", ByteString(1025, 0), ConfigFileStatus::TooLarge},
      {"large JSON", ByteString(2000, '{'), ConfigFileStatus::SettingsJson},
  };
  for (const auto& c : cases) {
    const std::string path = PathOf(c.name);
    WriteFile(path, c.bytes);
    ReaderSettings settings = ChangedRecord();
    EXPECT_EQ(LoadConfigFileStatus(settings, path), c.expected) << c.name;
    EXPECT_EQ(settings.baudRate, '7') << c.name;
    EXPECT_EQ(settings.addedFields.size(), 1u) << c.name;
  }

  ReaderSettings settings = ChangedRecord();
  int osError = 0;
  EXPECT_EQ(LoadConfigFileStatus(settings, PathOf("missing.cfs2"), &osError),
            ConfigFileStatus::NotFound);
  EXPECT_EQ(osError, ENOENT);
  // A file where a folder of the path should be: no such file either.
  EXPECT_EQ(LoadConfigFileStatus(settings, PathOf("version") + "/x.cfs2"), ConfigFileStatus::NotFound);
  EXPECT_EQ(LoadConfigFileStatus(settings, folder_.string()), ConfigFileStatus::CannotOpen);
  EXPECT_EQ(settings.baudRate, '7');
}

TEST_F(ConfigFileTest, StreamChecks) {
  const std::string path = PathOf("stream.cfs2");
  ReaderSettings source;
  source.beepVolume = '4';
  ASSERT_TRUE(SaveConfigFile(source, path));
  const ByteString saved = ReadFile(path);

  // A wrong check byte, and a file cut off after a whole record, before its ETX or right
  // after it: refused, and the record is left exactly as it was, not reset and half read.
  ByteString badCheck = saved;
  badCheck.back() ^= 0x10;
  const ByteString cut = {'K', 'A', 'L', 'D', 'O', 'R', 'M', 'S', 'R', 'C', 'F', 'G',
                          '2', '0', '0', '0', 0x02, 0x53, 0x11, 0x01, '1', 0x41, 0x01, '3'};
  const struct {
    const char* name;
    ByteString bytes;
    ConfigFileStatus expected;
  } cases[] = {
      {"bad check byte", badCheck, ConfigFileStatus::BadChecksum},
      {"cut before the ETX", cut, ConfigFileStatus::CutOff},
      {"cut after the ETX", ByteString(saved.begin(), saved.end() - 1), ConfigFileStatus::CutOff},
  };
  for (const auto& c : cases) {
    WriteFile(path, c.bytes);
    ReaderSettings settings = ChangedRecord();
    int osError = -1;
    EXPECT_EQ(LoadConfigFileStatus(settings, path, &osError), c.expected) << c.name;
    EXPECT_EQ(osError, 0) << c.name;
    EXPECT_EQ(settings.beepVolume, '0') << c.name;
    EXPECT_EQ(settings.baudRate, '7') << c.name;
    EXPECT_EQ(settings.addedFields.size(), 1u) << c.name;
  }
}

TEST_F(ConfigFileTest, LargestFileIsReadInFull) {
  // 1024 bytes: header, 02 53, unknown records, a baud rate, ETX and LRC.
  ByteString file(HEADER.begin(), HEADER.end());
  file.insert(file.end(), {0x02, 0x53, 0x30, 0x01, 0x00});
  while (file.size() < 1019) file.insert(file.end(), {0x30, 0x00});
  file.insert(file.end(), {0x41, 0x01, '6', 0x03});
  Byte lrc = 0;
  for (std::size_t i = HEADER.size(); i < file.size(); ++i) lrc ^= file[i];
  file.push_back(lrc);
  ASSERT_EQ(file.size(), 1024u);
  const std::string path = PathOf("full.cfs2");
  WriteFile(path, file);
  ReaderSettings settings;
  EXPECT_EQ(LoadConfigFileStatus(settings, path), ConfigFileStatus::Ok);
  EXPECT_EQ(settings.baudRate, '6');

  file.push_back(0x00);
  WriteFile(path, file);
  EXPECT_EQ(LoadConfigFileStatus(settings, path), ConfigFileStatus::TooLarge);
  // A stream one byte longer than the limit is no whole file either, nor is a decode of it.
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  ASSERT_EQ(::write(ends[1], file.data(), file.size()), static_cast<ssize_t>(file.size()));
  ::close(ends[1]);
  EXPECT_EQ(LoadConfigFileStatus(settings, "/proc/self/fd/" + std::to_string(ends[0])),
            ConfigFileStatus::TooLarge);
  ::close(ends[0]);
  file.resize(3000, 0x00);
  EXPECT_EQ(DecodeConfigFile(file, settings), ConfigFileStatus::TooLarge);
}

TEST_F(ConfigFileTest, ReadOnlyFileLoads) {
  const std::string path = PathOf("locked.cfs2");
  ReaderSettings source;
  source.parity = '2';
  ASSERT_TRUE(SaveConfigFile(source, path));
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  ReaderSettings settings;
  EXPECT_EQ(LoadConfigFileStatus(settings, path), ConfigFileStatus::Ok);
  EXPECT_EQ(settings.parity, '2');
}

TEST_F(ConfigFileTest, SaveReplacesAnExistingFileAndKeepsItsPermissions) {
  const std::string path = PathOf("old.cfs2");
  WriteFile(path, ByteString(500, 0xAA));
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  ASSERT_TRUE(SaveConfigFile(ReaderSettings(), path));
  EXPECT_EQ(ReadFile(path), DefaultFile());
  struct stat info{};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(EntriesInFolder(), 1u);
}

// What is saved is synced before it takes the file's place; a file other hard links share is
// written in place, so that they keep seeing it.
TEST_F(ConfigFileTest, SaveIsDurableAndKeepsHardLinksTogether) {
  const std::string path = PathOf("linked.cfs2");
  WriteFile(path, ByteString(500, 0xAA));
  fs::create_hard_link(path, PathOf("twin.cfs2"));
  for (const std::string& saved : {path, PathOf("new.cfs2")}) {
    const int synced = fsyncCalls;
    ASSERT_TRUE(SaveConfigFile(ReaderSettings(), saved)) << saved;
    EXPECT_GT(fsyncCalls, synced) << saved;
  }
  EXPECT_EQ(ReadFile(PathOf("twin.cfs2")), DefaultFile());
  EXPECT_EQ(fs::hard_link_count(path), 2u);
}

TEST_F(ConfigFileTest, FailedSaveKeepsTheOldFile) {
  const std::string path = PathOf("keep.cfs2");
  const ByteString old = {'o', 'l', 'd'};
  WriteFile(path, old);

  // A record that cannot be encoded never reaches the file.
  ReaderSettings unencodable;
  unencodable.addedFields = {ByteString(9, 'x')};
  EXPECT_EQ(SaveConfigFileStatus(unencodable, path), ConfigFileStatus::EncodeFailed);
  EXPECT_EQ(ReadFile(path), old);

  // A folder in the way of the file: nothing is replaced and no temporary is left.
  const std::string folderPath = PathOf("folder.cfs2");
  fs::create_directory(folderPath);
  EXPECT_EQ(SaveConfigFileStatus(ReaderSettings(), folderPath), ConfigFileStatus::WriteFailed);
  EXPECT_TRUE(fs::is_directory(folderPath));
  EXPECT_EQ(EntriesInFolder(), 2u);

  // A replacement that cannot be made durable takes no place and is not left behind.
  fsyncFailure = EIO;
  EXPECT_EQ(SaveConfigFileStatus(ReaderSettings(), path), ConfigFileStatus::WriteFailed);
  EXPECT_EQ(ReadFile(path), old);
  EXPECT_EQ(EntriesInFolder(), 2u);

  // A path that names a folder, and a loop of links, take no file.
  int osError = 0;
  EXPECT_EQ(SaveConfigFileStatus(ReaderSettings(), folderPath + "/", &osError),
            ConfigFileStatus::WriteFailed);
  EXPECT_EQ(osError, EISDIR);
  fs::create_symlink("loop-b", PathOf("loop-a"));
  fs::create_symlink("loop-a", PathOf("loop-b"));
  EXPECT_EQ(SaveConfigFileStatus(ReaderSettings(), PathOf("loop-a"), &osError),
            ConfigFileStatus::WriteFailed);
  EXPECT_EQ(osError, ELOOP);

  EXPECT_EQ(SaveConfigFileStatus(ReaderSettings(), PathOf("no/such/folder.cfs2")),
            ConfigFileStatus::WriteFailed);
  EXPECT_EQ(SaveConfigFileStatus(ReaderSettings(), ""), ConfigFileStatus::WriteFailed);
}

TEST_F(ConfigFileTest, SaveFollowsTheFileAndFolderPermissions) {
  // A folder that takes no new file still lets a writable file be written in place; a file
  // the user may not write is never replaced, whatever the folder allows. Permissions do not
  // bind the superuser: as root (CI runs so) the checks run in a child process that gave up
  // root for "nobody", and end it with status 1 when one fails.
  constexpr int NOBODY = 65534;
  const bool root = ::geteuid() == 0;
  std::fflush(nullptr);
  const pid_t child = root ? ::fork() : 0;
  if (child != 0) {
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(status, 0) << "the checks failed as an unprivileged user";
    return;
  }
  if (root && (::chown(folder_.c_str(), NOBODY, NOBODY) != 0 || ::setgroups(0, nullptr) != 0 ||
               ::setgid(NOBODY) != 0 || ::setuid(NOBODY) != 0)) {
    ::_exit(2);
  }
  const struct {
    const char* name;
    fs::perms folder;
    fs::perms file;
    ConfigFileStatus expected;
    int osError;
  } cases[] = {
      {"writable file, closed folder", fs::perms(0555), fs::perms(0640), ConfigFileStatus::Ok, 0},
      {"read-only file, closed folder", fs::perms(0555), fs::perms(0440),
       ConfigFileStatus::WriteFailed, EACCES},
      {"read-only file, open folder", fs::perms(0755), fs::perms(0440),
       ConfigFileStatus::WriteFailed, EACCES},
  };
  const ByteString old = {'o', 'l', 'd'};
  for (const auto& c : cases) {
    const std::string path = PathOf("keep.cfs2");
    fs::permissions(folder_, fs::perms::owner_all);
    fs::remove(path);
    WriteFile(path, old);
    fs::permissions(path, c.file);
    fs::permissions(folder_, c.folder);

    int osError = -1;
    EXPECT_EQ(SaveConfigFileStatus(ReaderSettings(), path, &osError), c.expected) << c.name;
    EXPECT_EQ(osError, c.osError) << c.name;
    EXPECT_EQ(ReadFile(path), c.expected == ConfigFileStatus::Ok ? DefaultFile() : old) << c.name;
    EXPECT_EQ(fs::status(path).permissions(), c.file) << c.name;
    EXPECT_EQ(EntriesInFolder(), 1u) << c.name;
  }
  if (root) {
    std::fflush(nullptr);
    ::_exit(HasFailure() ? 1 : 0);
  }
}

TEST_F(ConfigFileTest, SaveThroughASymbolicLinkWritesTheFileItNames) {
  // Links with a relative target from another folder, to an existing file and to a file
  // that does not exist yet: the link stays a link and the file it names gets the settings.
  fs::create_directory(folder_ / "links");
  const struct {
    const char* name;
    bool targetExists;
  } cases[] = {{"existing", true}, {"missing", false}};
  for (const auto& c : cases) {
    const fs::path target = folder_ / (std::string(c.name) + ".cfs2");
    const fs::path link = folder_ / "links" / c.name;
    if (c.targetExists) {
      WriteFile(target.string(), ByteString(300, 0xAA));
      fs::permissions(target, fs::perms(0604));
    }
    fs::create_symlink(fs::path("..") / target.filename(), link);

    ASSERT_EQ(SaveConfigFileStatus(ReaderSettings(), link.string()), ConfigFileStatus::Ok)
        << c.name;
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(link))) << c.name;
    EXPECT_EQ(ReadFile(target.string()), DefaultFile()) << c.name;
    if (c.targetExists) {
      EXPECT_EQ(fs::status(target).permissions(), fs::perms(0604)) << c.name;
    }
  }
  // The two targets and the links folder: no temporary left beside either.
  EXPECT_EQ(EntriesInFolder(), 3u);
}

}  // namespace
}  // namespace tessaron
