// "XMP exportieren" and "XMP importieren" as the commands run them.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>

#include "core/meriskdoc.h"
#include "maintenance/dialogs/xmpexportdlg.h"
#include "maintenance/dialogs/xmpimportdlg.h"
#include "testsupport/fakes.h"
#include "testsupport/files.h"
#include "testsupport/jpeg_builder.h"
#include "testsupport/qt.h"

namespace kolvaro {
namespace {

struct XmpAlbum {
  XmpAlbum() {
    doc.OnNewDocument();
    test::JpegBuilder jpeg;
    jpeg.App0Jfif().Tables(200, 100).Scan(64);
    dir.File("a.jpg", jpeg.Data());
    picture = doc.AddPicture(dir / "a.jpg", COleDateTime(), 0, "");
    doc.SetExplicitSelection({picture});
  }
  test::TempDir dir;
  CMemorySettings settings;
  CMeriskDoc doc{settings};
  test::FakeUserQuestions ui;
  std::int32_t picture = 0;
};

TEST(XmpExportDlg, WritesASidecarAndLeavesThePictureUnlessEmbeddingIsChosen) {
  XmpAlbum album;
  album.doc.AddOrUpdatePerson(1, "Anna");
  album.doc.AddOrUpdatePersonOnPicture(1, {10, 10, 50, 50}, album.picture);
  const std::string before = test::ReadFile(album.dir / "a.jpg");
  bool embedOffAtFirst = false, okWithoutAnyTarget = true;
  test::OnNextModal([](QWidget* w) { static_cast<QDialog*>(w)->accept(); });
  OnXmpExport(album.doc, album.ui, nullptr, [&](CXmpExportDlg& dlg) {
    embedOffAtFirst = !dlg.findChild<QCheckBox*>(QStringLiteral("embedCheck"))->isChecked();
    auto* sidecar = dlg.findChild<QComboBox*>(QStringLiteral("sidecarCombo"));
    sidecar->setCurrentIndex(2);
    for (QPushButton* b : dlg.findChildren<QPushButton*>())
      if (b->isDefault()) okWithoutAnyTarget = b->isEnabled();
    sidecar->setCurrentIndex(1);
  });
  EXPECT_TRUE(embedOffAtFirst);
  EXPECT_FALSE(okWithoutAnyTarget);
  EXPECT_EQ(test::ReadFile(album.dir / "a.jpg"), before);
  const std::string sidecar = test::ReadFile(album.dir / "a.xmp");
  EXPECT_NE(sidecar.find("Anna"), std::string::npos);
  // The tests run in a German session: numbers keep their point.
  EXPECT_NE(sidecar.find("0.150000"), std::string::npos) << sidecar;
  EXPECT_EQ(sidecar.find("0,"), std::string::npos) << sidecar;
}

TEST(XmpImportDlg, OnlyOkOnTheSummaryChangesTheAlbum) {
  for (const bool accept : {false, true}) {
    XmpAlbum album;
    album.dir.File("a.jpg.xmp", std::string(R"(<x:xmpmeta xmlns:x="adobe:ns:meta/">
 <rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">
  <rdf:Description rdf:about="" xmlns:dc="http://purl.org/dc/elements/1.1/"
    xmlns:mwg-rs="http://www.metadataworkinggroup.com/schemas/regions/"
    xmlns:stArea="http://ns.adobe.com/xmp/sType/Area#">
   <dc:subject><rdf:Bag><rdf:li>Urlaub</rdf:li></rdf:Bag></dc:subject>
   <mwg-rs:Regions rdf:parseType="Resource"><mwg-rs:RegionList><rdf:Bag><rdf:li>
    <rdf:Description mwg-rs:Name="Anna" mwg-rs:Type="Face"><mwg-rs:Area stArea:x="0.5" stArea:y="0.5"
     stArea:w="0.2" stArea:h="0.4" stArea:unit="normalized"/></rdf:Description>
   </rdf:li></rdf:Bag></mwg-rs:RegionList></mwg-rs:Regions>
  </rdf:Description>
 </rdf:RDF>
</x:xmpmeta>)"));
    album.doc.SetModifiedFlag(false);
    test::OnNextModal([accept](QWidget* w) {
      auto* dlg = static_cast<QDialog*>(w);
      accept ? dlg->accept() : dlg->reject();
    });
    OnXmpImport(album.doc, album.ui, nullptr);
    EXPECT_EQ(album.doc.IsModified(), accept);
    EXPECT_EQ(album.doc.ThemesOfPictures().Lookup(1, album.picture), accept);
    Rect r;
    EXPECT_EQ(album.doc.PersonsOnPictures().Lookup(1, album.picture, &r) && r == (Rect{80, 30, 120, 70}), accept)
        << "the point form reads in a German session";
  }
}

}  // namespace
}  // namespace kolvaro
