// Start-up checks that need POSIX file permissions, users and the root folder "/".
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "base/Paths.h"
#include "tests/menu/StartupFixture.h"

namespace tazu {
namespace {

using test::StartupTest;

TEST_F(StartupTest, UnreadableDisplaySettingsForbidTheSwitch) {
  At(800, 600, 32, 60);
  CreateMenu();
  install.Write("displaysettings.txt", "SET=YES");
  EXPECT_TRUE(menu->DisplayChangeAllowed());
  std::filesystem::permissions(install.Path() / "displaysettings.txt",
                               std::filesystem::perms::none);
  if (geteuid() != 0) {
    EXPECT_FALSE(menu->DisplayChangeAllowed());
    return;
  }
  // Root reads any file: ask as an unprivileged user instead.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
    _exit(menu->DisplayChangeAllowed() ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(StartupTest, InstallFolderAtTheRoot) {
  std::filesystem::current_path("/");
  At(800, 600, 32, 60);
  CreateMenu();
  EXPECT_EQ(menu->InstallFolder, "/\\");
  EXPECT_EQ(ResolvePath(menu->MenuFolder + "x.jpg"), "/menu/x.jpg");
}

}  // namespace
}  // namespace tazu
