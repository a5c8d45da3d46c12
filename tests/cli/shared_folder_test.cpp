// Saves as root through links and onto files that the user nobody made, in sticky folders
// that everyone may write to and in others: the rules the kernel keeps for such folders hold
// for the links the program follows itself, and a refusal is one line with exit status 2.

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "cli_test_support.h"

namespace tessaron {
namespace {

namespace fs = std::filesystem;
using testing::CliRun;
using testing::Contains;
using testing::ReadBytes;
using testing::RunTool;
using testing::SplitLines;

const ByteString OLD{'o', 'l', 'd'};

// Runs make in a child process as the user nobody; whether it succeeded.
bool AsNobody(const std::function<bool()>& make) {
  const passwd* nobody = ::getpwnam("nobody");
  if (nobody == nullptr) return false;
  const pid_t child = ::fork();
  if (child == 0) {
    const bool made = ::setgid(nobody->pw_gid) == 0 && ::setuid(nobody->pw_uid) == 0 && make();
    ::_exit(made ? 0 : 1);
  }
  int status = 0;
  return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

bool MakeFile(const fs::path& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0640);
  const bool made = fd >= 0 && ::write(fd, OLD.data(), OLD.size()) == 3 && ::fchmod(fd, 0640) == 0;
  return ::close(fd) == 0 && made;
}

TEST(SharedFolderTest, RootFollowsOnlyTrustedLinksAndReplacesOnlyTrustedFilesThere) {
  if (::geteuid() != 0) GTEST_SKIP() << "runs as root, as in CI";
  const testing::ScratchFolder scratch;
  ASSERT_TRUE(scratch.Valid());
  // The scratch folder is root's; below it: a sticky folder that everyone may write to, as
  // /tmp, one such folder of nobody's, and a plain folder that everyone may write to.
  const fs::path base = fs::path(scratch.File("x")).parent_path();
  const fs::path shared = base / "shared", nobodys = base / "nobodys", plain = base / "plain";
  fs::permissions(base, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
  for (const fs::path& folder : {shared, nobodys, plain}) {
    ASSERT_TRUE(fs::create_directory(folder));
    ASSERT_EQ(::chmod(folder.c_str(), folder == plain ? 0777 : 01777), 0);
  }
  ASSERT_TRUE(AsNobody([&] { return true; }));
  ASSERT_EQ(::chown(nobodys.c_str(), ::getpwnam("nobody")->pw_uid, 0), 0);

  enum class Made { Link, LinkToMissing, LinkToDevice, File };
  struct Case {
    fs::path folder;
    bool byNobody;
    Made made;
    bool written;  // else refused with "refused" and exit status 2
  };
  const std::vector<Case> cases = {
      {shared, true, Made::Link, false},           // another user's link in /tmp
      {shared, true, Made::LinkToMissing, false},  // ... to a file not there yet
      {shared, true, Made::LinkToDevice, false},
      {shared, true, Made::File, false},           // root does not replace it
      {shared, false, Made::Link, true},           // root's own link
      {shared, false, Made::LinkToDevice, true},
      {shared, false, Made::File, true},
      {nobodys, true, Made::Link, true},  // the folder's owner's link
      {nobodys, true, Made::File, true},
      {plain, true, Made::Link, true},  // not sticky: as ever
      {plain, true, Made::File, true},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    const fs::path entry = c.folder / ("entry" + std::to_string(i));
    const fs::path target = base / ("target" + std::to_string(i));
    const fs::path named = c.made == Made::File           ? entry
                           : c.made == Made::LinkToDevice ? fs::path("/dev/null")
                                                          : target;
    if (c.made == Made::Link) testing::WriteBytes(target.string(), OLD);
    const auto make = [&] {
      return c.made == Made::File ? MakeFile(entry) : ::symlink(named.c_str(), entry.c_str()) == 0;
    };
    ASSERT_TRUE(c.byNobody ? AsNobody(make) : make()) << i;
    struct stat before {};
    ::stat(named.c_str(), &before);

    const CliRun run = RunTool({"init", entry.string()});
    SCOPED_TRACE("case " + std::to_string(i) + ": " + run.err);
    EXPECT_EQ(run.code, c.written ? 0 : 2);
    EXPECT_EQ(SplitLines(run.err).size(), c.written ? 0u : 1u);
    EXPECT_EQ(Contains(run.err, "refused"), !c.written);
    // What the entry names is written or stays as it was, with its owner and mode; a link
    // stays a link; nothing else is left beside it.
    if (c.made == Made::Link || c.made == Made::File) {
      EXPECT_EQ(ReadBytes(named.string()).size(), c.written ? 163u : 3u);
      struct stat after {};
      ::stat(named.c_str(), &after);
      EXPECT_EQ(after.st_uid, before.st_uid);
      EXPECT_EQ(after.st_mode, before.st_mode);
    }
    if (c.made == Made::LinkToMissing) {
      EXPECT_EQ(fs::exists(named), c.written);
    }
    EXPECT_EQ(fs::is_symlink(entry), c.made != Made::File);
    EXPECT_EQ(std::distance(fs::directory_iterator(c.folder), {}), 1);
    fs::remove(entry);
  }
}

}  // namespace
}  // namespace tessaron
