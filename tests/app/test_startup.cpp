// Start-up pieces without a window, and the program's start-up paths.
#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QMenuBar>
#include <cerrno>

#include "app/startup.h"
#include "collab/transactionfile.h"
#include "testsupport/app_fixture.h"

namespace kolvaro {
namespace {

TEST(StartupTest, RootFolderIsNormalisedOnlyWhenNeeded) {
  EXPECT_EQ(NormalizeRootFolder("D:\\Bilder"), "D|/Bilder/");
  EXPECT_EQ(NormalizeRootFolder("C|/Temp/webpages/"), std::nullopt);
  EXPECT_EQ(NormalizeRootFolder(""), "/");
  EXPECT_EQ(NormalizeRootFolder("/home/anna/Bilder"), "/home/anna/Bilder/");
  EXPECT_EQ(NormalizeRootFolder("C:\\Fotos\\Größe\\"), "C|/Fotos/Größe/");
}

// libpng reports a text chunk with a wrong checksum in English; the picture
// still loads, and nothing reaches standard error.
TEST(StartupTest, ImageLibraryWarningsStayOffStandardError) {
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  QImage(4, 4, QImage::Format_RGB32).save(&buffer, "png");
  png.insert(33, QByteArray("\0\0\0\5tEXtAb\0cd\0\0\0\0", 17));
  static QStringList seen;
  seen.clear();
  QuietenImageLibraries();
  const QtMessageHandler previous = qInstallMessageHandler(
      [](QtMsgType, const QMessageLogContext&, const QString& text) { seen << text; });
  const QImage image = QImage::fromData(png);
  qInstallMessageHandler(previous);
  EXPECT_FALSE(image.isNull());
  EXPECT_TRUE(seen.isEmpty()) << seen.join(QLatin1Char('\n')).toStdString();
}

TEST(StartupTest, HelpFolderIsBesideTheProgramWhicheverSlashComesLast) {
  EXPECT_EQ(HelpFolderOf("/opt/kolvaro/bin/kolvaro"), "/opt/kolvaro/bin/help/");
  EXPECT_EQ(HelpFolderOf("C:\\Programme\\Kolvaro\\kolvaro.exe"), "C:\\Programme\\Kolvaro\\help/");
  EXPECT_EQ(HelpFolderOf("C:/Programme\\Kolvaro/kolvaro"), "C:/Programme\\Kolvaro/help/");
}

TEST(StartupTest, CommandLine) {
  EXPECT_EQ(ParseCommandLine({"album.kvo"}).file, "album.kvo");
  EXPECT_TRUE(ParseCommandLine({"--help"}).help);
  EXPECT_TRUE(ParseCommandLine({"--version"}).version);
  EXPECT_TRUE(ParseCommandLine({"--quit-after-show", "a.kvo"}).quitAfterShow);
  EXPECT_EQ(ParseCommandLine({"--", "-seltsam.kvo"}).file, "-seltsam.kvo");
  EXPECT_NE(ParseCommandLine({"--gibtsnicht"}).error.find("Unbekannte Option"), std::string::npos);
  EXPECT_FALSE(ParseCommandLine({"a.kvo", "b.kvo"}).error.empty());
}

TEST(StartupTest, TransactionWriteErrorsAreGerman) {
  EXPECT_EQ(TransactionWriteErrorText(ENOSPC, "/a/mrklog.xml"),
            "Die Änderungs-Datei /a/mrklog.xml kann nicht geschrieben werden.\nDer Datenträger ist voll.\n"
            "Weitere Änderungen werden nicht mehr aufgezeichnet.");
  EXPECT_NE(TransactionWriteErrorText(EIO, "x").find("Schreibfehler 5."), std::string::npos);
}

TEST(StartupTest, WithoutArgumentsAndRecentFilesAnEmptyAlbumIsOpen) {
  test::AppFixture f;
  ASSERT_TRUE(f.app->InitInstance({}, "/usr/bin/kolvaro"));
  QApplication::processEvents();
  EXPECT_EQ(f.app->Document().GetPathName(), "");
  EXPECT_EQ(f.app->MainFrame()->windowTitle(), QStringLiteral("Leeres Kolvaroalbum[*] - Kolvaro-Album"));
  EXPECT_EQ(f.app->HelpFilePath(), "/usr/bin/help/");
  // The same address as kolvaro-cli gives a new album.
  EXPECT_EQ(f.app->Document().UpdateUrl(), "mk:@MSITStore:/usr/bin/help/Kolvaro.chm::/html/update_nopage.html");
  // The root folder is written back in its stored form.
  const std::string root = f.settings.GetString("Pictures", "RootFolder", "");
  ASSERT_FALSE(root.empty());
  EXPECT_EQ(root.back(), '/');
}

TEST(StartupTest, WithoutArgumentsTheMostRecentAlbumReopens) {
  test::AppFixture f;
  const std::string album = f.WriteAlbum("zuletzt.kvo", {"Anna"});
  f.settings.SetString("Recent File List", "File1", album);
  f.settings.SetString("Pictures", "RootFolder", "D:\\Bilder");
  ASSERT_TRUE(f.app->InitInstance({}, "/usr/bin/kolvaro"));
  QApplication::processEvents();
  EXPECT_EQ(f.app->Document().GetPathName(), album);
  EXPECT_EQ(f.app->MainFrame()->windowTitle(), QStringLiteral("zuletzt.kvo[*] - Kolvaro-Album"));
  EXPECT_EQ(f.settings.GetString("Pictures", "RootFolder", ""), "D|/Bilder/");
}

TEST(StartupTest, AMissingRecentAlbumIsReportedAndDropped) {
  test::AppFixture f;
  f.settings.SetString("Recent File List", "File1", f.Path("weg.kvo"));
  ASSERT_TRUE(f.app->InitInstance({}, "/usr/bin/kolvaro"));
  QApplication::processEvents();
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_EQ(f.app->Document().GetPathName(), "");
  EXPECT_EQ(f.settings.GetString("Recent File List", "File1", ""), "");
}

TEST(StartupTest, ANamedAlbumThatCannotBeOpenedEndsTheProgram) {
  test::AppFixture f;
  const std::string broken = f.Path("kaputt.kvo");
  FILE* file = std::fopen(broken.c_str(), "wb");
  std::fputs("kein Album", file);
  std::fclose(file);
  EXPECT_FALSE(f.app->InitInstance(ParseCommandLine({broken}), "/usr/bin/kolvaro"));
  EXPECT_EQ(f.app->ExitCode(), 1);
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_EQ(f.ui.messages[0].text, "Unerwartetes Dateiformat.");
  EXPECT_EQ(f.app->MainFrame(), nullptr);
}

TEST(StartupTest, ANamedAlbumOpensAndGoesFirstInTheRecentList) {
  test::AppFixture f;
  const std::string older = f.WriteAlbum("alt.kvo");
  const std::string album = f.WriteAlbum("neu.kvo", {}, {}, 3);
  f.settings.SetString("Recent File List", "File1", older);
  ASSERT_TRUE(f.app->InitInstance(ParseCommandLine({album}), "/usr/bin/kolvaro"));
  QApplication::processEvents();
  EXPECT_EQ(f.app->Document().GetPathName(), album);
  EXPECT_EQ(f.app->Document().SelectedCount(), 3);
  EXPECT_EQ(f.settings.GetString("Recent File List", "File1", ""), album);
  EXPECT_EQ(f.settings.GetString("Recent File List", "File2", ""), older);
}

}  // namespace
}  // namespace kolvaro
