// The settings store on QSettings.

#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include "qt/qtsettings.h"
#include "testsupport/cli.h"

namespace kolvaro::test {
namespace {

class QtSettings : public CliTest {
 protected:
  QString Ini() const { return QString::fromStdString((m_dir / "test.conf").string()); }
};

TEST_F(QtSettings, ValuesSurviveInTheirSections) {
  {
    CQtSettings s(Ini());
    s.SetInt("Settings", "Diashow", 4000);
    s.SetInt("Layout", "Diashow", -7);
    s.SetString("Pictures", "RootFolder", "/home/jürgen/Bilder/");
    s.SetString("Settings", "Camera Folder", "a, b; c=d \"e\"");
    s.SetString("Recent File List", "File1", "/alben/Größe €.kvo");
  }
  CQtSettings s(Ini());
  EXPECT_EQ(s.GetInt("Settings", "Diashow", 2500), 4000);
  EXPECT_EQ(s.GetInt("Layout", "Diashow", 0), -7);
  EXPECT_EQ(s.GetString("Pictures", "RootFolder", ""), "/home/jürgen/Bilder/");
  EXPECT_EQ(s.GetString("Settings", "Camera Folder", ""), "a, b; c=d \"e\"");
  EXPECT_EQ(s.GetString("Recent File List", "File1", ""), "/alben/Größe €.kvo");
  EXPECT_EQ(s.GetInt("Settings", "AskOverwriteDelete", 1), 1);
  EXPECT_EQ(s.GetString("Pictures", "CopyToFolder", "leer"), "leer");

  const std::string text = ReadFile(m_dir / "test.conf");
  EXPECT_NE(text.find("[Settings]"), std::string::npos) << text;
  EXPECT_NE(text.find("[Recent%20File%20List]"), std::string::npos) << text;
}

TEST_F(QtSettings, HandEditedValuesReadSensibly) {
  WriteFile(m_dir / "test.conf",
            "[Settings]\nDiashow=viel\nZusammenarbeit= 1 \nHeadlineOption=4294967295\n"
            "RelativePath=99999999999\n[Pictures]\nCopyToFolder=/a,/b\n");
  CQtSettings s(Ini());
  EXPECT_EQ(s.GetInt("Settings", "Diashow", 2500), 2500);
  EXPECT_EQ(s.GetInt("Settings", "Zusammenarbeit", 0), 1);
  // A registry word read as a signed int.
  EXPECT_EQ(s.GetInt("Settings", "HeadlineOption", 0), -1);
  EXPECT_EQ(s.GetInt("Settings", "RelativePath", 0), 0);
  EXPECT_EQ(s.GetString("Pictures", "CopyToFolder", ""), "/a, /b");
}

// The user's store lives in $XDG_CONFIG_HOME/Kolvaro/Kolvaro.conf. Run in a
// child process: Qt fixes its configuration paths at first use.
TEST_F(QtSettings, UserStoreIsKolvaroConf) {
  const std::string config = (m_home / ".config").string();
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    {
      CQtSettings s;
      s.SetInt("Settings", "Diashow", 1234);
    }
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const std::string text = ReadFile(m_home / ".config" / "Kolvaro" / "Kolvaro.conf");
  EXPECT_NE(text.find("[Settings]\nDiashow=1234\n"), std::string::npos) << text;
}

}  // namespace
}  // namespace kolvaro::test
