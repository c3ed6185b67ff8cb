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

// Runs `body` in a forked child and gives its exit status: 4 if it threw, -1 if it did
// not exit. The fork comes before the menu is made: the menu's timer thread could
// otherwise hold a lock at the fork that the child then waits on forever. Nothing may
// leave the child but its exit, or it would go on running the parent's tests.
template <class Body>
int ExitStatusInChild(Body body) {
  const pid_t child = fork();
  if (child == 0) {
    int status = 4;
    try {
      status = body();
    } catch (...) {
    }
    _exit(status);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

// Root reads and deletes anything: the child goes on as an unprivileged user.
bool DropRootPrivileges() { return geteuid() != 0 || (setgid(65534) == 0 && setuid(65534) == 0); }

TEST_F(StartupTest, UnreadableDisplaySettingsForbidTheSwitch) {
  At(800, 600, 32, 60);
  install.Write("displaysettings.txt", "SET=YES");
  EXPECT_EQ(ExitStatusInChild([&] {
              CreateMenu();
              if (!menu->DisplayChangeAllowed()) return 3;
              std::filesystem::permissions(install.Path() / "displaysettings.txt",
                                           std::filesystem::perms::none);
              if (!DropRootPrivileges()) return 2;
              return menu->DisplayChangeAllowed() ? 1 : 0;
            }),
            0);
}

// A package install: the music folder belongs to root and the learner may not change it.
TEST_F(StartupTest, MusicThatCannotBeRemovedIsSaidSoAndTheProgramGoesOnWithoutIt) {
  namespace fs = std::filesystem;
  for (const char* name : {"pelkor2.mid", "a.mid"})
    install.Write("Music/" + std::string(name), "MThd");
  fs::permissions(install.Path() / "Music",
                  fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  At(800, 600, 32, 60);
  fake->musicOpenError = "The driver cannot play MIDI";
  fake->answers.push_back(mrYes);
  const std::string expected = "The music files could not be removed from " +
                               (install.Path() / "Music").string() +
                               ". Ask the person who installed the program to remove them.";
  EXPECT_EQ(ExitStatusInChild([&] {
              CreateMenu();
              if (!DropRootPrivileges()) return 2;
              const bool goesOn = menu->StartFirstMusic();
              const bool said =
                  fake->shownBoxes.size() == 2 && fake->shownBoxes[1].text == expected;
              return goesOn && said && !app->Terminated() && menu->MusicHeld ? 0 : 1;
            }),
            0);
  EXPECT_TRUE(fs::exists(install.Path() / "Music/pelkor2.mid"));
  fs::permissions(install.Path() / "Music", fs::perms::owner_all, fs::perm_options::add);
}

TEST_F(StartupTest, InstallFolderAtTheRoot) {
  std::filesystem::current_path("/");
  At(800, 600, 32, 60);
  CreateMenu();
  EXPECT_EQ(menu->Session.InstallFolder, "/\\");
  EXPECT_EQ(ResolvePath(menu->Session.MenuFolder + "x.jpg"), "/menu/x.jpg");
}

}  // namespace
}  // namespace tazu
