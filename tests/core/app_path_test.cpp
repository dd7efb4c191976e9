#include <gtest/gtest.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/utils.h>

#include <unistd.h>

#include <cstdlib>

#include "app/app_util.h"
#include "app/zl_app_path.h"
#include "test_support.h"

namespace {

wxString Home() {
  wxString home;
  wxGetEnv("HOME", &home);
  return home;
}

TEST(AppPath, CutBeforeLastSlash) {
  EXPECT_EQ(AppUtil::CutBeforeLastSlash("/opt/portiva/bin/portiva"),
            "/opt/portiva/bin");
  EXPECT_EQ(AppUtil::CutBeforeLastSlash("/portiva"), "");
  EXPECT_EQ(AppUtil::CutBeforeLastSlash("portiva"), "");
  EXPECT_EQ(AppUtil::CutBeforeLastSlash(""), "");
}

TEST(AppPath, InstallDirectoryIsTheParentOfTheProgramsDirectory) {
  // The test entry starts the toolkit with the build tree's program path.
  wxString root = wxString::FromUTF8(testsupport::BuildRoot());
  EXPECT_EQ(AppUtil::getAppRunDirectory(), root + "/bin");
  EXPECT_EQ(AppUtil::getInstallDirectory(), root);
  EXPECT_EQ(ZLAppPath::GetExecutionDir(), root + "/bin");
  EXPECT_EQ(ZLAppPath::GetAppDir(), root);
  EXPECT_EQ(ZLAppPath::GetUrlFilePath(), root + "/option.cfg");
}

TEST(AppPath, ProgramPathIsMadeAbsolute) {
  wxString cwd = wxGetCwd();
  EXPECT_EQ(AppUtil::ResolveProgramPath("bin/portiva"), cwd + "/bin/portiva");
  EXPECT_EQ(AppUtil::ResolveProgramPath("./bin/../bin/portiva"),
            cwd + "/bin/portiva");
  EXPECT_EQ(AppUtil::ResolveProgramPath("/opt/x/bin/portiva"),
            "/opt/x/bin/portiva");
  // Unknown everywhere: nothing to resolve, so no directory either.
  EXPECT_EQ(AppUtil::ResolveProgramPath("no-such-program-here"),
            "no-such-program-here");
  EXPECT_EQ(AppUtil::CutBeforeLastSlash(
                AppUtil::ResolveProgramPath("no-such-program-here")),
            "");
}

TEST(AppPath, ProgramStartedThroughPathIsFoundThere) {
  wxString dir = wxString::FromUTF8(testsupport::MakeTempDir("pathdir")) + "/bin";
  ASSERT_TRUE(wxMkdir(dir));
  wxString program = dir + "/portiva-test-tool";
  testsupport::WriteFile(program.utf8_string(), "#!/bin/sh\n");
  ASSERT_EQ(chmod(program.utf8_str(), 0755), 0);
  wxString saved;
  wxGetEnv("PATH", &saved);
  wxSetEnv("PATH", "/nonexistent:" + dir + ":" + saved);
  wxString resolved = AppUtil::ResolveProgramPath("portiva-test-tool");
  wxSetEnv("PATH", saved);
  EXPECT_EQ(resolved, program);
}

// The command on the user's path is a link into the installed tree; the
// program's folders are those of the tree, whether it is started by name
// or by the link's path, and through a link to a link.
TEST(AppPath, ALinkToTheProgramLeadsToItsOwnFolder) {
  const std::string base = testsupport::MakeTempDir("linked");
  const std::string tree = base + "/lib/portiva/bin";
  ASSERT_TRUE(wxFileName::Mkdir(wxString::FromUTF8(tree), 0777, wxPATH_MKDIR_FULL));
  const std::string program = tree + "/portiva-linked-tool";
  testsupport::WriteFile(program, "#!/bin/sh\n");
  ASSERT_EQ(chmod(program.c_str(), 0755), 0);
  ASSERT_TRUE(wxMkdir(wxString::FromUTF8(base + "/bin")));
  ASSERT_EQ(symlink("../lib/portiva/bin/portiva-linked-tool",
                    (base + "/bin/portiva-linked-tool").c_str()), 0);
  ASSERT_EQ(symlink("bin/portiva-linked-tool", (base + "/again").c_str()), 0);

  EXPECT_EQ(AppUtil::ResolveProgramPath(wxString::FromUTF8(base + "/bin/portiva-linked-tool")),
            wxString::FromUTF8(program));
  EXPECT_EQ(AppUtil::ResolveProgramPath(wxString::FromUTF8(base + "/again")),
            wxString::FromUTF8(program));
  wxString saved;
  wxGetEnv("PATH", &saved);
  wxSetEnv("PATH", wxString::FromUTF8(base + "/bin:") + saved);
  const wxString by_name = AppUtil::ResolveProgramPath("portiva-linked-tool");
  wxSetEnv("PATH", saved);
  EXPECT_EQ(by_name, wxString::FromUTF8(program));
}

TEST(AppPath, ProductNames) {
  EXPECT_EQ(ZLAppPath::GetProductAlias(), "Portiva");
  EXPECT_EQ(ZLAppPath::GetWholeProductAlias(), "Portiva");
}

TEST(AppPath, DocumentsDirectoryIsTheUsersOwn) {
  EXPECT_TRUE(ZLAppPath::GetDocumentsDir().StartsWith(Home()))
      << ZLAppPath::GetDocumentsDir();
}

TEST(AppPath, OptionsFilePathCreatesTheLevelsInOrderButNoFile) {
  wxString docs = ZLAppPath::GetDocumentsDir();
  wxString brand = docs + "/Velmorant files";
  wxString product = brand + "/Portiva";
  wxFileName::Rmdir(brand, wxPATH_RMDIR_RECURSIVE);
  ASSERT_FALSE(wxDirExists(brand));

  wxString path = ZLAppPath::GetOptionsFilePath();
  EXPECT_EQ(path, product + "/options/options.xml");
  EXPECT_TRUE(wxDirExists(brand));
  EXPECT_TRUE(wxDirExists(product));
  EXPECT_TRUE(wxDirExists(product + "/options"));
  EXPECT_FALSE(wxFileExists(path));
}

TEST(AppPath, DirectoriesAreNotCached) {
  wxString temp = ZLAppPath::GetTemporaryDir();
  ASSERT_TRUE(wxDirExists(temp));
  ASSERT_TRUE(wxFileName::Rmdir(temp, wxPATH_RMDIR_RECURSIVE));
  EXPECT_EQ(ZLAppPath::GetLanguageFilePath(), temp + "/language.txt");
  EXPECT_TRUE(wxDirExists(temp));
  EXPECT_FALSE(wxFileExists(temp + "/language.txt"));

  wxString data = ZLAppPath::GetDataDir();
  EXPECT_EQ(data, ZLAppPath::GetDocumentsDir() + "/Velmorant/Portiva");
  ASSERT_TRUE(wxFileName::Rmdir(data, wxPATH_RMDIR_RECURSIVE));
  EXPECT_EQ(ZLAppPath::GetDataDir(), data);
  EXPECT_TRUE(wxDirExists(data));
}

}  // namespace
