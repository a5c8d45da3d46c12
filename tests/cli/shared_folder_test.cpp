// Saves as root through links and onto files that the user nobody made, in a sticky folder
// that everyone may write to (as /tmp), in one of nobody's, in a sticky one that only its
// group may write to, and in a plain one: the kernel's rules for such folders hold for the
// links the program follows itself, and a refusal is one line with exit status 2 and nothing
// written.

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "cli_test_support.h"

namespace tessaron {
namespace {

namespace fs = std::filesystem;

TEST(SharedFolderTest, RootFollowsOnlyTrustedLinksAndReplacesOnlyTrustedFilesThere) {
  if (::geteuid() != 0) GTEST_SKIP() << "runs as root, as in CI";
  const passwd* nobody = ::getpwnam("nobody");
  ASSERT_NE(nobody, nullptr);
  const test_support::ScratchFolder scratch;
  const fs::path base = fs::path(scratch.File("x")).parent_path();
  const fs::path shared = base / "shared", nobodys = base / "nobodys", plain = base / "plain";
  const fs::path group = base / "group";  // sticky, but only its group may write there
  ASSERT_EQ(::chmod(base.c_str(), 0711), 0);
  for (const fs::path& folder : {shared, nobodys, plain, group}) {
    ASSERT_EQ(::mkdir(folder.c_str(), 0), 0);
    ASSERT_EQ(::chmod(folder.c_str(), folder == plain ? 0777 : folder == group ? 01775 : 01777), 0);
  }
  ASSERT_EQ(::chown(nobodys.c_str(), nobody->pw_uid, 0), 0);
  ASSERT_EQ(::chown(group.c_str(), 0, nobody->pw_gid), 0);

  enum Made { LINK, LINK_TO_NOTHING, LINK_TO_DEVICE, FILE };
  struct Case {
    fs::path folder;
    bool byNobody;
    Made made;
    bool written;
  } const cases[] = {
      {shared, true, LINK, false},  {shared, true, LINK_TO_NOTHING, false},
      {shared, true, LINK_TO_DEVICE, false}, {shared, true, FILE, false},
      {shared, false, LINK, true},  {shared, false, LINK_TO_DEVICE, true},
      {shared, false, FILE, true},  {nobodys, true, LINK, true},  // the folder's owner's
      {nobodys, true, FILE, true},  {plain, true, LINK, true},  {plain, true, FILE, true},
      {group, true, LINK, true},
  };
  for (const Case& c : cases) {
    const fs::path entry = c.folder / "entry", target = base / "target";
    const fs::path named = c.made == FILE ? entry : c.made == LINK_TO_DEVICE ? "/dev/null" : target;
    fs::remove(target);
    if (c.made == LINK) test_support::WriteBytes(target, {'o', 'l', 'd'});
    const pid_t maker = ::fork();  // makes the entry, as nobody or as root
    if (maker == 0) {
      bool made = !c.byNobody || (::setgid(nobody->pw_gid) == 0 && ::setuid(nobody->pw_uid) == 0);
      if (made && c.made == FILE) {
        const int fd = ::open(entry.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0640);
        made = ::write(fd, "old", 3) == 3 && ::close(fd) == 0;
      } else if (made) {
        made = ::symlink(named.c_str(), entry.c_str()) == 0;
      }
      ::_exit(made ? 0 : 1);
    }
    int status = 0;
    ASSERT_TRUE(::waitpid(maker, &status, 0) == maker && status == 0);
    struct stat before {}, after {};
    ::stat(named.c_str(), &before);

    const test_support::CliRun run = test_support::RunTool({"init", entry.string()});
    SCOPED_TRACE(c.folder.filename().string() + " " + std::to_string(c.made) + ": " + run.err);
    EXPECT_EQ(run.code, c.written ? 0 : 2);
    EXPECT_EQ(test_support::SplitLines(run.err).size(), c.written ? 0u : 1u);
    EXPECT_EQ(test_support::Contains(run.err, "refused"), !c.written);
    // What the entry names is written, or stays as it was, with its owner and mode; a link
    // stays a link; nothing is left beside it.
    EXPECT_EQ(::stat(named.c_str(), &after) == 0, c.made != LINK_TO_NOTHING || c.written);
    if (c.made == LINK || c.made == FILE) {
      EXPECT_EQ(test_support::ReadBytes(named).size(), c.written ? 163u : 3u);
      EXPECT_TRUE(after.st_uid == before.st_uid && after.st_mode == before.st_mode);
    }
    EXPECT_EQ(fs::is_symlink(entry), c.made != FILE);
    EXPECT_EQ(std::distance(fs::directory_iterator(c.folder), {}), 1);
    fs::remove(entry);
  }
}

}  // namespace
}  // namespace tessaron
