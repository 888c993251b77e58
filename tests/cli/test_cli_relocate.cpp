// kolvaro-cli missing and relocate: finding moved pictures and repairing
// their stored paths.

#include "testsupport/cli.h"

namespace kolvaro::test {
namespace {

class CliRelocate : public CliTest {};

TEST_F(CliRelocate, MissingListsWhatRelocateRepairs) {
  fs::create_directories(m_dir / "alt" / "sub");
  WriteFile(m_dir / "alt" / "a.jpg", "\xFF\xD8\xFF\xD9");
  WriteFile(m_dir / "alt" / "sub" / "b.jpg", "\xFF\xD8\xFF\xD9");
  ASSERT_EQ(Run({"new", "a.kvo"}).exitCode, 0);
  ASSERT_EQ(Run({"add", "a.kvo", "alt/a.jpg", "alt/sub/b.jpg"}).exitCode, 0);
  CliResult r = Run({"missing", "a.kvo"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "");

  fs::rename(m_dir / "alt", m_dir / "neu");
  r = Run({"missing", "a.kvo"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "1\talt\\a.jpg\n2\talt\\sub\\b.jpg\n");

  // No match: the album file stays byte for byte.
  const std::string before = ReadFile((m_dir / "a.kvo").string());
  r = Run({"relocate", "a.kvo", "Alt/", "neu/"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "0 Pfadangaben geändert.\n");
  EXPECT_EQ(ReadFile((m_dir / "a.kvo").string()), before);

  r = Run({"relocate", "a.kvo", "alt/", "neu/"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "2 Pfadangaben geändert.\n");
  r = Run({"missing", "a.kvo"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(Run({"relocate", "a.kvo", "alt/"}).exitCode, 2);
}

// "Change nothing" changes nothing: an empty beginning is refused.
TEST_F(CliRelocate, AnEmptyBeginningIsRefusedAndTheAlbumStays) {
  const fs::path picture = m_dir / "a.jpg";
  WriteFile(picture, "\xFF\xD8\xFF\xD9");
  MakeAlbum(m_dir / "a.kvo", [&](CMeriskDoc& doc) {
    doc.AddOrUpdatePicture(1, picture.string(), COleDateTime(), 4, "");
  });
  const std::string before = ReadFile((m_dir / "a.kvo").string());
  const CliResult r = Run({"relocate", "a.kvo", "", ""});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("Pfadanfang ist leer"), std::string::npos) << r.err;
  EXPECT_EQ(ReadFile((m_dir / "a.kvo").string()), before);
  EXPECT_EQ(Run({"missing", "a.kvo"}).exitCode, 0);
}

}  // namespace
}  // namespace kolvaro::test
