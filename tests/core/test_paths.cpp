// Picture paths in their stored form and back, for both path styles.

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/cp1252.h"
#include "core/meriskdoc.h"
#include "core/paths.h"
#include "core/rebase.h"
#include "testsupport/album_bytes.h"
#include "testsupport/files.h"

namespace kolvaro {
namespace {

struct Example {
  const char* path;
  const char* stored;
};

TEST(WindowsPaths, WorkedExamples) {
  const Example examples[] = {
      {"C:\\Bilder\\a.jpg", "a.jpg"},
      {"C:\\Bilder\\Urlaub\\a.jpg", "urlaub\\a.jpg"},
      {"C:\\Fotos\\a.jpg", "..\\fotos\\a.jpg"},
      {"C:\\Bilder2\\a.jpg", "..\\bilder2\\a.jpg"},
      {"D:\\a.jpg", "D:\\a.jpg"},
  };
  for (const auto& e : examples)
    EXPECT_EQ(MakeStoredPath(PathStyle::Windows, e.path, "C:\\Bilder\\"), e.stored) << e.path;
  EXPECT_EQ(ResolveStoredPath(PathStyle::Windows, "C:\\Alben\\", "a.jpg"), "C:\\Alben\\a.jpg");
  EXPECT_EQ(ResolveStoredPath(PathStyle::Windows, "C:\\Alben\\", "E:\\x.jpg"), "E:\\x.jpg");
}

TEST(WindowsPaths, DirectoriesCompareAndStoreInLowerCase) {
  const std::string base = "C:\\Bilder\\Ölbilder\\";
  const Example examples[] = {
      {"C:\\BILDER\\ÖLBILDER\\Foto.JPG", "Foto.JPG"},
      {"C:\\Bilder\\ÖLBILDER\\ÄRGER ŠŒŽŸ ÀÉÎÕÜÝÞ\\Foto.JPG", "ärger šœžÿ àéîõüýþ\\Foto.JPG"},
      {"C:\\Bilder\\Öl\\x.Jpg", "..\\öl\\x.Jpg"},
      {"C:\\x.jpg", "..\\..\\x.jpg"},
      {"C:\\A\\B\\a.b.JPG", "..\\..\\a\\b\\a.b.JPG"},
      {"c:\\Bilder\\Ölbilder\\a.jpg", "c:\\Bilder\\Ölbilder\\a.jpg"},  // drives compare exactly
      {"urlaub\\A.jpg", "urlaub\\A.jpg"},                              // no drive: already stored
  };
  for (const auto& e : examples)
    EXPECT_EQ(MakeStoredPath(PathStyle::Windows, e.path, base), e.stored) << e.path;
  EXPECT_EQ(MakeStoredPath(PathStyle::Windows, "C:\\a.jpg", "C:\\"), "a.jpg");
  EXPECT_EQ(MakeStoredPath(PathStyle::Windows, "C:\\X\\Y\\a.jpg", "C:\\"), "x\\y\\a.jpg");
}

TEST(WindowsPaths, WhatCountsAsAbsolute) {
  const std::string base = "C:\\Alben\\";
  EXPECT_EQ(ResolveStoredPath(PathStyle::Windows, base, ""), "");
  EXPECT_EQ(ResolveStoredPath(PathStyle::Windows, base, "ab"), "C:\\Alben\\ab");
  EXPECT_EQ(ResolveStoredPath(PathStyle::Windows, base, "C:"), "C:\\Alben\\C:");
  EXPECT_EQ(ResolveStoredPath(PathStyle::Windows, base, "..\\x\\a.jpg"), "C:\\Alben\\..\\x\\a.jpg");
  EXPECT_EQ(ResolveStoredPath(PathStyle::Windows, base, "\\\\server\\a.jpg"),
            "C:\\Alben\\\\\\server\\a.jpg");
  EXPECT_TRUE(IsAbsoluteStoredName(PathStyle::Windows, "D:\\x.jpg"));
  EXPECT_FALSE(IsAbsoluteStoredName(PathStyle::Windows, "\\x.jpg"));
}

TEST(PosixPaths, StoredNamesKeepCaseAndUseBackslashes) {
  const std::string base = "/home/anna/Bilder/";
  const Example examples[] = {
      {"/home/anna/Bilder/a.jpg", "a.jpg"},
      {"/home/anna/Bilder/Urlaub/IMG_0001.JPG", "Urlaub\\IMG_0001.JPG"},
      {"/home/anna/Bilder/Urlaub 2024/Tag 1/a.jpg", "Urlaub 2024\\Tag 1\\a.jpg"},
      {"/home/anna/Fotos/a.jpg", "..\\Fotos\\a.jpg"},
      {"/home/anna/Bilder2/a.jpg", "..\\Bilder2\\a.jpg"},
      {"/home/anna/bilder/a.jpg", "..\\bilder\\a.jpg"},  // case counts
      {"/a.jpg", "..\\..\\..\\a.jpg"},
      {"/media/USB/DCIM/ä.jpg", "..\\..\\..\\media\\USB\\DCIM\\ä.jpg"},
      {"Urlaub\\a.jpg", "Urlaub\\a.jpg"},  // already stored
      {"D:\\a.jpg", "D:\\a.jpg"},          // from Windows
  };
  for (const auto& e : examples)
    EXPECT_EQ(MakeStoredPath(PathStyle::Posix, e.path, base), e.stored) << e.path;
  EXPECT_EQ(MakeStoredPath(PathStyle::Posix, "/home/a.jpg", "/"), "home\\a.jpg");
  EXPECT_EQ(MakeStoredPath(PathStyle::Posix, "/home/anna/Bilder/x/a.jpg", "/home/anna/Bilder"),
            "x\\a.jpg");
}

TEST(PosixPaths, FullPaths) {
  const std::string base = "/home/anna/Bilder/";
  EXPECT_EQ(ResolveStoredPath(PathStyle::Posix, base, "Urlaub\\IMG.JPG"),
            "/home/anna/Bilder/Urlaub/IMG.JPG");
  EXPECT_EQ(ResolveStoredPath(PathStyle::Posix, base, "..\\Fotos\\a.jpg"), "/home/anna/Fotos/a.jpg");
  EXPECT_EQ(ResolveStoredPath(PathStyle::Posix, base, "/srv/x.jpg"), "/srv/x.jpg");
  EXPECT_EQ(ResolveStoredPath(PathStyle::Posix, base, "D:\\x.jpg"), "D:\\x.jpg")
      << "a Windows name cannot be found here, and stays as it is";
  EXPECT_EQ(ResolveStoredPath(PathStyle::Posix, base, ""), "");
  EXPECT_EQ(ResolveStoredPath(PathStyle::Posix, "/a\\b/", "c\\d.jpg"), "/a\\b/c/d.jpg")
      << "only the stored part turns its backslashes round";
  EXPECT_TRUE(IsAbsoluteStoredName(PathStyle::Posix, "/x"));
  EXPECT_TRUE(IsAbsoluteStoredName(PathStyle::Posix, "E:\\x"));
  EXPECT_FALSE(IsAbsoluteStoredName(PathStyle::Posix, "x\\y"));
  EXPECT_FALSE(IsAbsoluteStoredName(PathStyle::Posix, ""));
  EXPECT_FALSE(IsAbsoluteStoredName(PathStyle::Posix, "x:y.jpg")) << "a drive needs its backslash";
}

// Names resolve without any folder on the way having to exist, and a name
// with a colon but no drive stays below the base.
TEST(PosixPaths, ResolvesLexically) {
  const Example examples[] = {
      {"..\\..\\x.jpg", "/home/neu/x.jpg"},
      {".", "/home/neu/Pictures/fehlt"},
      {"..\\opfer\\ordner", "/home/neu/Pictures/opfer/ordner"},
      {"a\\.\\b\\..\\c.jpg", "/home/neu/Pictures/fehlt/a/c.jpg"},
      {"x:y.jpg", "/home/neu/Pictures/fehlt/x:y.jpg"},
      {"C:", "/home/neu/Pictures/fehlt/C:"},
      {"/srv/./a/../b.jpg", "/srv/b.jpg"},
      {"C:\\x.jpg", "C:\\x.jpg"},
  };
  for (const auto& e : examples)
    EXPECT_EQ(ResolveStoredPath(PathStyle::Posix, "/home/neu/Pictures/fehlt/", e.path), e.stored)
        << e.path;
  EXPECT_EQ(ResolveStoredPath(PathStyle::Posix, "/home/neu", "a.jpg"), "/home/neu/a.jpg");
  EXPECT_EQ(MakeStoredPath(PathStyle::Posix, "/home/anna/./Bilder/x/../a.jpg",
                           "/home/anna/Fotos/../Bilder/"),
            "a.jpg");
}

// What the add commands do not meet: a base with a backslash, and a name
// that stays absolute (no base) but would lose its backslash once relative.
TEST(PosixPaths, NamesThatCannotBeKeptExactlyAreRefused) {
  struct Case {
    const char* path;
    const char* base;
    StoredNameProblem problem;
  } cases[] = {
      {"/x\\y/a.jpg", "/x\\y/", StoredNameProblem::kNone},
      {"/b/a\\b.jpg", "", StoredNameProblem::kBackslash},
      {"/b/C:/a.jpg", "/b/", StoredNameProblem::kOtherFile},
  };
  for (const auto& c : cases) {
    const std::string stored = MakeStoredPath(PathStyle::Posix, c.path, c.base);
    EXPECT_EQ(CheckStoredName(PathStyle::Posix, c.path, c.base, stored), c.problem) << c.path;
  }
}

TEST(PathText, Utf8IsCheckedStrictlyAndShownReadably) {
  const std::pair<const char*, const char*> cases[] = {
      {"\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80", nullptr},  // valid: shown as is
      {"a\xC0\x80", "a\\xC0\\x80"},                           // overlong
      {"\xED\xA0\x80", "\\xED\\xA0\\x80"},                    // surrogate
      {"\xF6z", "\\xF6z"},                                      // Latin-1
  };
  for (const auto& [text, shown] : cases) {
    EXPECT_EQ(IsValidUtf8(text), shown == nullptr) << text;
    EXPECT_EQ(PrintableName(text), shown ? shown : text);
  }
}

TEST(PictureFiles, OnlyARegularFileAtACleanAbsolutePathMayBeTouched) {
  test::TempDir dir;
  test::WriteFile(dir / "a.jpg", "jpeg");
  std::filesystem::create_directory(dir / "ordner");
  std::filesystem::create_symlink(dir / "a.jpg", dir / "link.jpg");
  ASSERT_EQ(::mkfifo((dir / "pipe.jpg").c_str(), 0600), 0);
  const std::pair<std::string, PictureFileKind> cases[] = {
      {dir / "a.jpg", PictureFileKind::kRegular},
      {dir / "fehlt.jpg", PictureFileKind::kMissing},
      {dir / "ordner", PictureFileKind::kFolder},
      {dir.Folder(), PictureFileKind::kFolder},
      {dir / "link.jpg", PictureFileKind::kSymlink},
      {dir / "pipe.jpg", PictureFileKind::kSpecial},
      {dir / "ordner/../a.jpg", PictureFileKind::kNotHere},
      {"a.jpg", PictureFileKind::kNotHere},
      {"C:\\a.jpg", PictureFileKind::kNotHere},
      {"", PictureFileKind::kNotHere},
  };
  for (const auto& [path, kind] : cases) {
    EXPECT_EQ(ExaminePictureFile(path), kind) << path;
    EXPECT_EQ(PictureFileRefusal(kind).empty(),
              kind == PictureFileKind::kRegular || kind == PictureFileKind::kMissing);
  }
}

// A stored name always leads back to its picture, whichever folders they are in.
TEST(PathStyles, StoredNamesResolveToThePicture) {
  const std::vector<std::string> names = {"Bilder", "bilder", "Bilder2", "Fotos", "Ä x", "a.b"};
  std::mt19937 rng(11);
  auto folder = [&](char sep, const std::string& root) {
    std::string f = root;
    const int depth = static_cast<int>(rng() % 4);
    for (int i = 0; i < depth; ++i) f += names[rng() % names.size()] + sep;
    return f;
  };
  for (int i = 0; i < 3000; ++i) {
    const std::string base = folder('/', "/");
    const std::string path = folder('/', "/") + "Bild " + std::to_string(i) + ".JPG";
    const std::string stored = MakeStoredPath(PathStyle::Posix, path, base);
    ASSERT_EQ(stored.find('/'), std::string::npos) << stored;
    std::string back;
    ASSERT_TRUE(
        Canonicalize(PathStyle::Posix, ResolveStoredPath(PathStyle::Posix, base, stored), back));
    ASSERT_EQ(back, path) << base << " + " << stored;

    // Windows: the same on one drive, in lower case apart from the name.
    std::string winBase = "C:" + base, winPath = "C:" + path;
    for (std::string* s : {&winBase, &winPath})
      for (char& c : *s)
        if (c == '/') c = '\\';
    const std::string winStored = MakeStoredPath(PathStyle::Windows, winPath, winBase);
    ASSERT_TRUE(Canonicalize(PathStyle::Windows,
                             ResolveStoredPath(PathStyle::Windows, winBase, winStored), back));
    ASSERT_EQ(LowerCp1252(back), LowerCp1252(winPath)) << winBase << " + " << winStored;
    ASSERT_TRUE(back.ends_with("\\Bild " + std::to_string(i) + ".JPG")) << back;
  }
}

TEST(PathStyles, StoredNamesShowAsTheUserWritesPaths) {
  const struct {
    PathStyle style;
    const char* stored;
    const char* shown;
  } cases[] = {
      {PathStyle::Posix, "..\\pics2\\a.jpg", "../pics2/a.jpg"},
      {PathStyle::Posix, "D:\\bilder\\a.jpg", "D:/bilder/a.jpg"},
      {PathStyle::Posix, "/home/anna/a\\b.jpg",
       "/home/anna/a\\b.jpg"},  // a backslash in a file name
      {PathStyle::Windows, "..\\pics2\\a.jpg", "..\\pics2\\a.jpg"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DisplayedStoredName(c.style, c.stored), c.shown) << c.stored;
}

TEST(PathStyles, FoldersInStoredForm) {
  EXPECT_EQ(ToStoredFolder(PathStyle::Windows, "C:\\Bilder/Neu\\"), "C|\\Bilder\\Neu\\");
  EXPECT_EQ(FromStoredFolder(PathStyle::Windows, "C|/Bilder/"), "C:\\Bilder\\");
  EXPECT_EQ(ToStoredFolder(PathStyle::Posix, "/home/anna/a:b/"), "/home/anna/a|b/");
  EXPECT_EQ(FromStoredFolder(PathStyle::Posix, "/home/anna/a|b"), "/home/anna/a:b/");
  EXPECT_EQ(FromStoredFolder(PathStyle::Posix, ""), "");
  EXPECT_EQ(FolderOfPath(PathStyle::Windows, "C:\\Alben\\Urlaub.kvo"), "C:\\Alben\\");
  EXPECT_EQ(FolderOfPath(PathStyle::Posix, "/home/anna/Urlaub.kvo"), "/home/anna/");
  EXPECT_EQ(FolderOfPath(PathStyle::Posix, "/home/anna/a\\b.kvo"), "/home/anna/")
      << "a backslash is part of a POSIX name";
}

TEST(PathStyles, Canonicalize) {
  std::string out;
  ASSERT_TRUE(Canonicalize(PathStyle::Windows, "C:\\a\\.\\b\\..\\c\\x.jpg", out));
  EXPECT_EQ(out, "C:\\a\\c\\x.jpg");
  ASSERT_TRUE(Canonicalize(PathStyle::Windows, "C:\\..\\x.jpg", out));
  EXPECT_EQ(out, "C:\\x.jpg");
  ASSERT_TRUE(Canonicalize(PathStyle::Posix, "/a/b/../../../x", out));
  EXPECT_EQ(out, "/x");
  ASSERT_TRUE(Canonicalize(PathStyle::Posix, "/a//b/./c/", out));
  EXPECT_EQ(out, "/a/b/c/");
  // Windows paths end at 259 characters.
  const std::string longest = "C:\\" + std::string(252, 'x') + ".jpg";
  ASSERT_EQ(longest.size(), 259u);
  EXPECT_TRUE(Canonicalize(PathStyle::Windows, longest, out));
  out = "unchanged";
  EXPECT_FALSE(Canonicalize(PathStyle::Windows, "C:\\" + std::string(253, 'x') + ".jpg", out));
  EXPECT_EQ(out, "unchanged");
  EXPECT_TRUE(Canonicalize(PathStyle::Windows, "C:\\y\\..\\" + std::string(252, 'x') + ".jpg", out))
      << "the limit applies to the result";
}


// ------------------------------------------------- the album's own names

std::string NameOf(const CMeriskDoc& doc, std::int32_t id) { return doc.Pictures().Find(id)->filename; }

TEST(DocumentPaths, ANewAlbumInAMissingFolderFindsItsPictures) {
  test::TempDir dir;
  test::WriteFile(dir / "x.jpg", "jpeg");
  CMemorySettings settings;
  settings.SetString("Pictures", "RootFolder", dir / "home/Pictures");
  CMeriskDoc doc(settings);
  doc.OnNewDocument();
  doc.AddOrUpdatePicture(1, doc.MakeStoredPath(dir / "x.jpg"), COleDateTime(), 4, "");
  EXPECT_EQ(NameOf(doc, 1), "..\\..\\x.jpg");
  EXPECT_EQ(doc.GetPictureFullPath(1), dir / "x.jpg");
}

TEST(DocumentPaths, SavingKeepsWindowsNamesOfAWindowsStorageFolder) {
  test::TempDir dir;
  CMemorySettings settings;
  CMeriskDoc doc(settings);
  doc.OnNewDocument();
  doc.SetStorage(1, "D:\\Fotos\\");
  const std::pair<const char*, const char*> names[] = {
      {"urlaub\\2004\\a.jpg", "D:\\Fotos\\urlaub\\2004\\a.jpg"},
      {"..\\scans\\b.jpg", "D:\\scans\\b.jpg"},
      {"D:\\Fotos\\x\\c.jpg", "D:\\Fotos\\x\\c.jpg"},
      {"/home/anna/d.jpg", "/home/anna/d.jpg"},
  };
  for (const auto& [stored, saved] : names)
    doc.AddOrUpdatePicture(doc.Pictures().NextId(), stored, COleDateTime(), 1, "");
  for (int round = 0; round < 2; ++round) {
    std::string error;
    ASSERT_TRUE(doc.OnSaveDocument(dir / "Album.kvo", &error)) << error;
    for (std::int32_t id = 1; id <= 4; ++id) EXPECT_EQ(NameOf(doc, id), names[id - 1].second);
  }
}

// A '\' or a folder "C:" in a POSIX path cannot become relative: it would
// lead elsewhere. Such names stay absolute when the album is saved.
TEST(DocumentPaths, SavingKeepsNamesAbsoluteThatCannotBeRelative) {
  test::TempDir dir;
  CMemorySettings settings;
  CMeriskDoc doc(settings);
  doc.OnNewDocument();
  const std::string names[] = {dir / "a\\b.jpg", dir / "C:/c.jpg", dir / "x:y.jpg"};
  for (const auto& name : names) doc.AddOrUpdatePicture(doc.Pictures().NextId(), name, COleDateTime(), 1, "");
  std::string error;
  ASSERT_TRUE(doc.OnSaveDocument(dir / "Album.kvo", &error)) << error;
  EXPECT_EQ(NameOf(doc, 1), names[0]);
  EXPECT_EQ(NameOf(doc, 2), names[1]);
  EXPECT_EQ(NameOf(doc, 3), "x:y.jpg");
  for (std::int32_t id = 1; id <= 3; ++id) EXPECT_EQ(doc.GetPictureFullPath(id), names[id - 1]);
}


// ------------------------------------------------- re-basing on save

// Saving moves every stored name onto the new base folder and keeps the
// picture it leads to. Each row is checked alone and as the only picture of
// a table, which takes the per-folder shortcut.
TEST(Rebase, SavedNamesLeadToTheSamePictures) {
  constexpr PathStyle P = PathStyle::Posix, W = PathStyle::Windows;
  struct Row {
    PathStyle style;
    std::int32_t storageMode;
    const char* oldBase;
    const char* newBase;
    const char* stored;
    const char* saved;
  };
  const Row rows[] = {
      {P, 0, "/home/anna/alben/", "/home/anna/alben/neu/", "urlaub\\a.jpg", "..\\urlaub\\a.jpg"},
      {P, 0, "/home/anna/alben/", "/home/anna/", "..\\bilder\\b.jpg", "bilder\\b.jpg"},
      {P, 0, "", "/home/anna/bilder/", "/home/anna/bilder/x/c.jpg", "x\\c.jpg"},
      {P, 0, "/home/anna/", "/home/anna/neu/", "/srv/a\\b.jpg", "/srv/a\\b.jpg"},
      {P, 0, "/home/anna/", "/home/anna/neu/", "", ""},
      {P, 1, "/home/anna/alben/", "/home/anna/ablage/", "..\\bilder\\d.jpg", "/home/anna/bilder/d.jpg"},
      {P, 2, "/home/anna/alben/", "/home/anna/ablage/", "..\\bilder\\d.jpg", "/home/anna/bilder/d.jpg"},
      {W, 0, "c:\\alben\\", "c:\\bilder\\", "urlaub\\e.jpg", "..\\alben\\urlaub\\e.jpg"},
      {W, 0, "c:\\alben\\", "c:\\bilder\\", "D:\\Fotos\\f.jpg", "D:\\Fotos\\f.jpg"},
      {W, 0, "c:\\alben\\", "c:\\", "c:\\Alben\\X\\g.jpg", "alben\\x\\g.jpg"},
      {W, 1, "c:\\alben\\", "e:\\ablage\\", "x\\h.jpg", "c:\\alben\\x\\h.jpg"},
      {P, 0, "D:\\Fotos\\", "D:\\Neu\\", "urlaub\\i.jpg", "..\\fotos\\urlaub\\i.jpg"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::string(r.stored) + " -> " + r.newBase);
    EXPECT_EQ(RebasedName(r.style, r.storageMode, r.oldBase, r.newBase, r.stored), r.saved);
    CBilderEx pictures;
    pictures.AddOrUpdate(7, r.stored, COleDateTime(), 1, "");
    const auto renamed = RebaseStoredNames(r.style, r.storageMode, r.oldBase, r.newBase, pictures);
    EXPECT_EQ(renamed.empty() ? std::string(r.stored) : renamed.front().second, r.saved);
    EXPECT_TRUE(renamed.empty() || renamed.front().first == 7);
  }
}


TEST(PathText, AbsoluteNormalPathStartsAtTheWorkingFolder) {
  const std::string here = std::filesystem::current_path().string();
  EXPECT_EQ(AbsoluteNormalPath("a/./b/../c.jpg"), here + "/a/c.jpg");
  EXPECT_EQ(AbsoluteNormalPath("/x/./y/../z.jpg"), "/x/z.jpg");
}

}  // namespace
}  // namespace kolvaro
