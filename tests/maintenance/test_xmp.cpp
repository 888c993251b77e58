// XMP exchange: the area arithmetic, name matching, and the sidecar round
// trips through the Exiv2 store.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>

#include "core/meriskdoc.h"
#include "maintenance/xmpexchange.h"
#include "testsupport/fakes.h"
#include "testsupport/files.h"
#include "testsupport/jpeg_builder.h"

namespace kolvaro {
namespace {

// A 100 x 50 picture, the stored rectangle (0, 0, 10, 20) in its top left
// corner: where each orientation shows it upright.
TEST(XmpAreaTest, StoredRectangleLandsWhereTheOrientationShowsIt) {
  struct Case {
    int orientation;
    NormalisedArea upright;
  } cases[] = {
      {1, {0.05, 0.2, 0.1, 0.4}}, {2, {0.95, 0.2, 0.1, 0.4}}, {3, {0.95, 0.8, 0.1, 0.4}},
      {4, {0.05, 0.8, 0.1, 0.4}}, {5, {0.2, 0.05, 0.4, 0.1}}, {6, {0.8, 0.05, 0.4, 0.1}},
      {7, {0.8, 0.95, 0.4, 0.1}}, {8, {0.2, 0.95, 0.4, 0.1}},
  };
  for (const Case& c : cases) {
    const NormalisedArea a = StoredRectToArea({0, 0, 10, 20}, {100, 50, c.orientation});
    EXPECT_NEAR(a.x, c.upright.x, 1e-9) << c.orientation;
    EXPECT_NEAR(a.y, c.upright.y, 1e-9) << c.orientation;
    EXPECT_NEAR(a.w, c.upright.w, 1e-9) << c.orientation;
    EXPECT_NEAR(a.h, c.upright.h, 1e-9) << c.orientation;
  }
}

TEST(XmpAreaTest, RoundTripStaysWithinOnePixelForAllOrientationsAndOddSizes) {
  const PictureGeometry sizes[] = {{641, 479, 1}, {3, 5, 1}, {4001, 2999, 1}, {1, 1, 1}};
  const Rect rects[] = {{0, 0, 1, 1}, {17, 3, 300, 401}, {640, 478, 641, 479}, {1, 2, 2, 5}, {0, 0, 4001, 2999}};
  for (PictureGeometry g : sizes) {
    for (int orientation = 1; orientation <= 8; ++orientation) {
      g.orientation = orientation;
      for (Rect r : rects) {
        r = {std::min<int>(r.left, g.width), std::min<int>(r.top, g.height), std::min<int>(r.right, g.width),
             std::min<int>(r.bottom, g.height)};
        const Rect back = AreaToStoredRect(StoredRectToArea(r, g), g);
        EXPECT_LE(std::abs(back.left - r.left) + std::abs(back.top - r.top) + std::abs(back.right - r.right) +
                      std::abs(back.bottom - r.bottom),
                  0)
            << g.width << "x" << g.height << " o" << orientation << " " << r.left << "," << r.top;
      }
    }
  }
}

TEST(XmpAreaTest, AppliedToDimensionsDecideUnitAndGrid) {
  const PictureGeometry turned{200, 100, 6};  // upright 100 x 200
  struct Case {
    NormalisedArea read;
    AppliedTo applied;
    bool ok;
    NormalisedArea expected;
  } cases[] = {
      {{0.5, 0.25, 0.2, 0.1}, {100, 200, false}, true, {0.5, 0.25, 0.2, 0.1}},  // upright: as read
      {{50, 50, 20, 20}, {100, 200, true}, true, {0.5, 0.25, 0.2, 0.1}},        // pixels of the upright grid
      {{0.1, 0.5, 0.2, 0.2}, {200, 100, false}, true, {0.5, 0.1, 0.2, 0.2}},    // written for the stored grid
      {{0.1, 0.5, 0.2, 0.2}, {}, true, {0.1, 0.5, 0.2, 0.2}},                   // no dimensions: upright
      {{50, 50, 20, 20}, {0, 0, true}, false, {}},                              // pixels without dimensions
      {{0.5, 0.5, 0, 0.2}, {}, false, {}},                                      // no width
      {{NAN, 0.5, 0.2, 0.2}, {}, false, {}},
  };
  for (const Case& c : cases) {
    NormalisedArea out;
    ASSERT_EQ(AreaForPicture(c.read, c.applied, turned, out), c.ok) << c.read.x;
    if (!c.ok) continue;
    EXPECT_NEAR(out.x, c.expected.x, 1e-9);
    EXPECT_NEAR(out.y, c.expected.y, 1e-9);
    EXPECT_NEAR(out.w, c.expected.w, 1e-9);
    EXPECT_NEAR(out.h, c.expected.h, 1e-9);
  }
}

TEST(XmpNamesTest, ExactNameFirstThenWithoutCase) {
  const std::vector<NamedId> records{{1, "anna"}, {2, "Anna"}, {3, "Jürgen"}, {4, "Ölaf"}};
  struct Case {
    const char* name;
    std::int32_t id;
  } cases[] = {{"Anna", 2}, {"anna", 1}, {"ANNA", 1}, {"JÜRGEN", 3}, {"ölaf", 4}, {"Berta", -1}, {"", -1}};
  for (const Case& c : cases) EXPECT_EQ(MatchName(c.name, records), c.id) << c.name;
}

// --- Files through the Exiv2 store.

class XmpFilesTest : public ::testing::Test {
 protected:
  void SetUp() override { doc.OnNewDocument(); }

  std::int32_t Picture(const std::string& name, std::uint16_t width, std::uint16_t height, int orientation = 1) {
    test::ExifBlock exif;
    exif.Short(test::Ifd::kZero, 274, static_cast<std::uint16_t>(orientation));
    test::JpegBuilder jpeg;
    jpeg.App0Jfif().Exif(exif).Tables(width, height).Scan(64);
    dir.File(name, jpeg.Data());
    return doc.AddPicture(dir / name, COleDateTime(), 0, "");
  }
  std::int32_t Person(const std::string& name) {
    const std::int32_t id = doc.Persons().NextId();
    doc.AddOrUpdatePerson(id, name);
    return id;
  }

  test::TempDir dir;
  CMemorySettings settings;
  CMeriskDoc doc{settings};
  std::unique_ptr<IXmpStore> store = CreateXmpStore();
};

// Written from the Metadata Working Group's description of the region
// schema and Microsoft's of its older one.
constexpr const char* kMwgSidecar = R"(<?xml version="1.0" encoding="UTF-8"?>
<x:xmpmeta xmlns:x="adobe:ns:meta/">
 <rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">
  <rdf:Description rdf:about=""
    xmlns:mwg-rs="http://www.metadataworkinggroup.com/schemas/regions/"
    xmlns:stArea="http://ns.adobe.com/xmp/sType/Area#"
    xmlns:stDim="http://ns.adobe.com/xap/1.0/sType/Dimensions#"
    xmlns:dc="http://purl.org/dc/elements/1.1/"
    xmlns:xmp="http://ns.adobe.com/xap/1.0/"
    xmlns:foo="http://example.org/foo/"
    xmp:Rating="4" foo:Note="bleibt">
   <mwg-rs:Regions rdf:parseType="Resource">
    <mwg-rs:AppliedToDimensions stDim:w="400" stDim:h="300" stDim:unit="pixel"/>
    <mwg-rs:RegionList>
     <rdf:Bag>
      <rdf:li><rdf:Description mwg-rs:Name="ANNA" mwg-rs:Type="Face">
       <mwg-rs:Area stArea:x="0.5" stArea:y="0.5" stArea:w="0.2" stArea:h="0.4" stArea:unit="normalized"/>
      </rdf:Description></rdf:li>
      <rdf:li><rdf:Description mwg-rs:Name="Bello" mwg-rs:Type="Pet">
       <mwg-rs:Area stArea:x="0.2" stArea:y="0.2" stArea:w="0.1" stArea:h="0.1" stArea:unit="normalized"/>
      </rdf:Description></rdf:li>
      <rdf:li><rdf:Description mwg-rs:Type="Face">
       <mwg-rs:Area stArea:x="0.8" stArea:y="0.8" stArea:w="0.1" stArea:h="0.1" stArea:unit="normalized"/>
      </rdf:Description></rdf:li>
     </rdf:Bag>
    </mwg-rs:RegionList>
   </mwg-rs:Regions>
   <dc:subject><rdf:Bag><rdf:li>Urlaub</rdf:li><rdf:li>Strand</rdf:li></rdf:Bag></dc:subject>
   <dc:title><rdf:Alt><rdf:li xml:lang="x-default">Am Meer</rdf:li></rdf:Alt></dc:title>
  </rdf:Description>
 </rdf:RDF>
</x:xmpmeta>
)";

constexpr const char* kMpSidecar = R"(<x:xmpmeta xmlns:x="adobe:ns:meta/">
 <rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">
  <rdf:Description rdf:about="" xmlns:MP="http://ns.microsoft.com/photo/1.2/"
    xmlns:MPRI="http://ns.microsoft.com/photo/1.2/t/RegionInfo#"
    xmlns:MPReg="http://ns.microsoft.com/photo/1.2/t/Region#">
   <MP:RegionInfo rdf:parseType="Resource">
    <MPRI:Regions><rdf:Bag><rdf:li rdf:parseType="Resource">
     <MPReg:Rectangle>0.25, 0.5, 0.5, 0.25</MPReg:Rectangle>
     <MPReg:PersonDisplayName>Bernd</MPReg:PersonDisplayName>
    </rdf:li></rdf:Bag></MPRI:Regions>
   </MP:RegionInfo>
  </rdf:Description>
 </rdf:RDF>
</x:xmpmeta>
)";

TEST_F(XmpFilesTest, HandWrittenSidecarsImportToTheExpectedRectangles) {
  const std::int32_t anna = Person("Anna");
  const std::int32_t first = Picture("bild.jpg", 400, 300);
  const std::int32_t second = Picture("zwei.jpg", 200, 100);
  dir.File("bild.jpg.xmp", std::string(kMwgSidecar));
  dir.File("zwei.xmp", std::string(kMpSidecar));
  std::vector<std::string> records;
  doc.SetTransactionLog(std::make_unique<test::RecordingLog>(records));

  const XmpImportPlan plan = PlanXmpImport(doc, {first, second}, *store);
  EXPECT_EQ(plan.problems.size(), 2u) << "the pet and the nameless face are skipped";
  EXPECT_EQ(plan.newPersons, std::vector<std::string>{"Bernd"});
  EXPECT_EQ(plan.newThemes, (std::vector<std::string>{"Urlaub", "Strand"}));
  ApplyXmpImport(doc, plan);

  Rect r;
  ASSERT_TRUE(doc.PersonsOnPictures().Lookup(anna, first, &r));
  EXPECT_EQ(r, (Rect{160, 90, 240, 210}));
  ASSERT_TRUE(doc.PersonsOnPictures().Lookup(anna + 1, second, &r));
  EXPECT_EQ(r, (Rect{50, 50, 150, 75}));
  PictureEntry entry;
  doc.Pictures().Lookup(first, entry);
  EXPECT_EQ(entry.title, "Am Meer");
  EXPECT_EQ(records, (std::vector<std::string>{"person 2", "theme 1", "theme 2", "person-on-picture 1",
                                               "person-on-picture 2", "theme-of-picture 1", "theme-of-picture 1",
                                               "picture 1"}));
}

TEST_F(XmpFilesTest, ExportThenImportGivesTheSameAlbum) {
  const std::int32_t anna = Person("Anna");
  const std::int32_t bernd = Person("Bernd");
  doc.AddOrUpdateTheme(1, "Urlaub");
  std::vector<std::int32_t> pictures;
  for (int orientation = 1; orientation <= 8; ++orientation) {
    const std::int32_t id = Picture("b" + std::to_string(orientation) + ".jpg", 641, 479, orientation);
    doc.AddOrUpdatePersonOnPicture(anna, {10, 20, 101, 333}, id);
    doc.AddOrUpdatePersonOnPicture(bernd, {600, 400, 641, 479}, id);
    doc.AddThemeToPicture(1, id);
    pictures.push_back(id);
  }
  doc.AddOrUpdatePicture(pictures[0], dir / "b1.jpg", COleDateTime(), 0, "Titel");
  const XmpExportResult exported = ExportXmp(doc, pictures, {}, *store);
  ASSERT_TRUE(exported.problems.empty()) << exported.problems.front();
  EXPECT_EQ(exported.written, 8u);

  EXPECT_TRUE(PlanXmpImport(doc, pictures, *store).Empty()) << "the album already holds all of it";

  for (std::int32_t id : pictures) {
    doc.RemovePersonFromPicture(anna, id);
    doc.RemovePersonFromPicture(bernd, id);
    doc.RemoveThemeFromPicture(1, id);
  }
  const XmpImportPlan plan = PlanXmpImport(doc, pictures, *store);
  EXPECT_TRUE(plan.newPersons.empty() && plan.newThemes.empty());
  ApplyXmpImport(doc, plan);
  for (std::int32_t id : pictures) {
    Rect r;
    EXPECT_TRUE(doc.PersonsOnPictures().Lookup(anna, id, &r) && r == (Rect{10, 20, 101, 333})) << id;
    EXPECT_TRUE(doc.PersonsOnPictures().Lookup(bernd, id, &r) && r == (Rect{600, 400, 641, 479})) << id;
    EXPECT_TRUE(doc.ThemesOfPictures().Lookup(1, id));
  }
}

TEST_F(XmpFilesTest, MergeKeepsForeignPropertiesAndRegions) {
  const std::int32_t id = Picture("bild.jpg", 400, 300);
  doc.AddOrUpdatePersonOnPicture(Person("Anna"), {0, 0, 40, 30}, id);
  doc.AddOrUpdateTheme(1, "Familie");
  doc.AddThemeToPicture(1, id);
  const std::string sidecar = dir.File("bild.jpg.xmp", std::string(kMwgSidecar)).string();
  ::chmod(sidecar.c_str(), 0604);
  ASSERT_TRUE(ExportXmp(doc, {id}, {}, *store).problems.empty());

  struct stat st {};
  ::stat(sidecar.c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0604u);
  const std::string text = test::ReadFile(sidecar);
  EXPECT_NE(text.find("bleibt"), std::string::npos);
  EXPECT_NE(text.find("Rating"), std::string::npos);
  XmpContent content;
  std::string source, error;
  ASSERT_TRUE(store->Read(dir / "bild.jpg", content, source, error)) << error;
  std::vector<std::string> regions;
  for (const XmpRegion& r : content.regions) regions.push_back(r.type + ":" + r.name);
  EXPECT_EQ(regions, (std::vector<std::string>{"Pet:Bello", "Face:", "Face:Anna"})) << "ANNA replaced, rest kept";
  EXPECT_EQ(content.keywords, (std::vector<std::string>{"Urlaub", "Strand", "Familie"}));
  EXPECT_EQ(content.title, "Am Meer") << "an empty headline leaves the title";
}

TEST_F(XmpFilesTest, ReadOnlySidecarIsReportedAndKept) {
  const std::int32_t id = Picture("bild.jpg", 400, 300);
  doc.AddOrUpdatePersonOnPicture(Person("Anna"), {0, 0, 40, 30}, id);
  const std::string sidecar = dir.File("bild.jpg.xmp", std::string(kMwgSidecar)).string();
  ::chmod(sidecar.c_str(), 0444);
  const XmpExportResult result = ExportXmp(doc, {id}, {}, *store);
  ASSERT_EQ(result.problems.size(), 1u);
  EXPECT_NE(result.problems[0].find("schreibgeschützt"), std::string::npos) << result.problems[0];
  EXPECT_EQ(result.written, 0u);
  EXPECT_EQ(test::ReadFile(sidecar), kMwgSidecar);
}

TEST_F(XmpFilesTest, OversizedSidecarIsRefusedWithoutReadingIt) {
  const std::int32_t id = Picture("bild.jpg", 400, 300);
  doc.AddOrUpdatePersonOnPicture(Person("Anna"), {0, 0, 40, 30}, id);
  const std::string sidecar = dir.File("bild.jpg.xmp", std::string(kMwgSidecar)).string();
  ASSERT_EQ(::truncate(sidecar.c_str(), 17 << 20), 0);
  XmpContent content;
  std::string source, error;
  EXPECT_FALSE(store->Read(dir / "bild.jpg", content, source, error));
  EXPECT_NE(error.find("16 MiB"), std::string::npos) << error;
  const XmpExportResult result = ExportXmp(doc, {id}, {}, *store);
  ASSERT_EQ(result.problems.size(), 1u);
  EXPECT_NE(result.problems[0].find("16 MiB"), std::string::npos) << result.problems[0];
  EXPECT_EQ(std::filesystem::file_size(sidecar), 17u << 20);
}

TEST_F(XmpFilesTest, EmbeddedWriteKeepsThePictureDataByteForByte) {
  const std::int32_t id = Picture("bild.jpg", 400, 300);
  doc.AddOrUpdatePersonOnPicture(Person("Anna"), {100, 100, 200, 250}, id);
  const std::string path = dir / "bild.jpg";
  const std::string before = test::ReadFile(path);
  ::chmod(path.c_str(), 0640);
  ASSERT_TRUE(ExportXmp(doc, {id}, {std::nullopt, true}, *store).problems.empty());

  const std::string after = test::ReadFile(path);
  const std::string scan = before.substr(before.find("\xFF\xDA"));
  EXPECT_EQ(after.substr(after.size() - scan.size()), scan);
  struct stat st {};
  ::stat(path.c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  doc.RemovePersonFromPicture(1, id);
  ApplyXmpImport(doc, PlanXmpImport(doc, {id}, *store));
  Rect r;
  EXPECT_TRUE(doc.PersonsOnPictures().Lookup(1, id, &r) && r == (Rect{100, 100, 200, 250}));
}

TEST_F(XmpFilesTest, Exiv2ToolListsTheExportedRegionsAndKeywords) {
  const std::int32_t id = Picture("bild.jpg", 400, 300);
  doc.AddOrUpdatePersonOnPicture(Person("Anna"), {0, 0, 40, 30}, id);
  doc.AddOrUpdateTheme(1, "Urlaub");
  doc.AddThemeToPicture(1, id);
  ASSERT_TRUE(ExportXmp(doc, {id}, {SidecarName::kWithoutExtension, false}, *store).problems.empty());

  const std::string command = "exiv2 -px '" + (dir / "bild.xmp") + "' 2>&1";
  std::string output;
  if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
    ::pclose(pipe);
  }
  EXPECT_NE(output.find("Xmp.mwg-rs.Regions/mwg-rs:RegionList[1]/mwg-rs:Name"), std::string::npos) << output;
  EXPECT_NE(output.find("Anna"), std::string::npos) << output;
  EXPECT_NE(output.find("Xmp.mwg-rs.Regions/mwg-rs:RegionList[1]/mwg-rs:Area/stArea:x"), std::string::npos);
  EXPECT_NE(output.find("Xmp.dc.subject"), std::string::npos) << output;
  EXPECT_NE(output.find("Urlaub"), std::string::npos) << output;
}

// A sidecar around `body`: properties inside one rdf:Description.
std::string Sidecar(const std::string& attributes, const std::string& body) {
  return R"(<x:xmpmeta xmlns:x="adobe:ns:meta/"><rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">
<rdf:Description rdf:about="" xmlns:dc="http://purl.org/dc/elements/1.1/"
 xmlns:lr="http://ns.adobe.com/lightroom/1.0/" xmlns:digiKam="http://www.digikam.org/ns/1.0/"
 xmlns:mwg-rs="http://www.metadataworkinggroup.com/schemas/regions/"
 xmlns:stArea="http://ns.adobe.com/xmp/sType/Area#" )" +
         attributes + ">" + body + "</rdf:Description></rdf:RDF></x:xmpmeta>\n";
}

std::string Bag(const char* property, std::initializer_list<const char*> items) {
  std::string text = std::string("<") + property + "><rdf:Bag>";
  for (const char* item : items) text += std::string("<rdf:li>") + item + "</rdf:li>";
  return text + "</rdf:Bag></" + property + ">";
}

std::string Region(const char* name, const char* x, const char* w) {
  return std::string("<rdf:li><rdf:Description mwg-rs:Name=\"") + name + "\" mwg-rs:Type=\"Face\"><mwg-rs:Area stArea:x=\"" +
         x + "\" stArea:y=\"0.5\" stArea:w=\"" + w + "\" stArea:h=\"0.2\" stArea:unit=\"normalized\"/>" +
         "</rdf:Description></rdf:li>";
}

std::string Regions(const std::string& items) {
  return "<mwg-rs:Regions rdf:parseType=\"Resource\"><mwg-rs:RegionList><rdf:Bag>" + items +
         "</rdf:Bag></mwg-rs:RegionList></mwg-rs:Regions>";
}

// IPTC-IIM keywords (2:25) in a Photoshop APP13 segment, 1:90 saying UTF-8 where asked.
std::vector<std::uint8_t> IptcSegment(std::initializer_list<std::string> keywords, bool utf8) {
  std::string iim;
  const auto dataset = [&](int record, int number, const std::string& data) {
    iim += {'\x1c', static_cast<char>(record), static_cast<char>(number), static_cast<char>(data.size() >> 8),
            static_cast<char>(data.size() & 0xff)};
    iim += data;
  };
  if (utf8) dataset(1, 90, "\x1b%G");
  for (const std::string& k : keywords) dataset(2, 25, k);
  if (iim.size() % 2) iim += '\0';
  std::string payload = std::string("Photoshop 3.0") + '\0' + "8BIM" + '\x04' + '\x04' + '\0' + '\0';
  const std::size_t n = iim.size();
  payload += {static_cast<char>(n >> 24), static_cast<char>(n >> 16), static_cast<char>(n >> 8), static_cast<char>(n)};
  payload += iim;
  return {payload.begin(), payload.end()};
}

TEST_F(XmpFilesTest, KeywordsOfEveryListBecomeThemesByTheirLeafUnlessTheFileListsItsOwn) {
  const struct {
    std::string sidecar;  // "" : the keywords are IPTC ones inside the picture
    std::vector<std::uint8_t> iptc;
    std::vector<std::string> themes;
    const char* notTaken;  // part of a problem, or ""
  } cases[] = {
      {Sidecar("", Bag("lr:hierarchicalSubject", {"Orte|Europa|Paris", "Familie"})), {}, {"Paris", "Familie"}, ""},
      {Sidecar("", Bag("digiKam:TagsList", {"Orte/Europa/Paris", "Orte/Europa/"})), {}, {"Paris", "Europa"}, ""},
      {Sidecar("", Bag("dc:subject", {"Paris"}) + Bag("lr:hierarchicalSubject", {"Orte|Europa|Paris", "Leute|Anna"})),
       {},
       {"Paris"},
       "Leute|Anna"},
      {"", IptcSegment({"Stra\xdf" "e", "Paris"}, false), {"Straße", "Paris"}, ""},
      {"", IptcSegment({"Straße"}, true), {"Straße"}, ""},
  };
  for (const auto& c : cases) {
    test::TempDir folder;
    test::JpegBuilder jpeg;
    jpeg.App0Jfif();
    if (!c.iptc.empty()) jpeg.Segment(0xED, c.iptc);
    jpeg.Tables(400, 300).Scan(64);
    folder.File("bild.jpg", jpeg.Data());
    if (!c.sidecar.empty()) folder.File("bild.jpg.xmp", c.sidecar);
    CMemorySettings s;
    CMeriskDoc album{s};
    album.OnNewDocument();
    const std::int32_t id = album.AddPicture(folder / "bild.jpg", COleDateTime(), 0, "");
    const XmpImportPlan plan = PlanXmpImport(album, {id}, *store);
    EXPECT_EQ(plan.newThemes, c.themes) << c.sidecar;
    std::string problems;
    for (const std::string& p : plan.problems) problems += p + "\n";
    if (*c.notTaken) EXPECT_NE(problems.find(c.notTaken), std::string::npos) << problems;
    else EXPECT_EQ(problems, "");
  }
}

TEST_F(XmpFilesTest, ImportSkipsAndNamesWhatBelongsToNoPictureForSure) {
  const std::int32_t id = Picture("foo.jpg", 400, 300);
  dir.File("foo.JPG", std::string("another picture of the same name"));
  dir.File("foo.xmp", Sidecar("", Bag("dc:subject", {"Urlaub"})));
  const std::int32_t other = Picture("rand.jpg", 400, 300);
  dir.File("rand.jpg.xmp", Sidecar("", Regions(Region("Weg", "1.5", "0.2") + Region("Null", "0.5", "0") +
                                               Region("Halb", "0.95", "0.2"))));
  dir.File("kaputt.jpg", std::string("kein Bild"));
  const std::int32_t broken = doc.AddPicture(dir / "kaputt.jpg", COleDateTime(), 0, "");
  const XmpImportPlan plan = PlanXmpImport(doc, {id, other, broken}, *store);
  EXPECT_TRUE(plan.newThemes.empty()) << "foo.xmp could be foo.JPG's as well";
  EXPECT_EQ(plan.unreadable, 1u);
  EXPECT_EQ(plan.newPersons, std::vector<std::string>{"Halb"});
  ASSERT_EQ(plan.rectangles.size(), 1u);
  EXPECT_EQ(plan.rectangles[0].rect, (Rect{340, 120, 400, 180})) << "clipped to the picture";
  std::string problems;
  for (const std::string& p : plan.problems) problems += p + "\n";
  for (const char* part : {"foo.xmp", "\"Weg\"", "\"Null\"", "kaputt.jpg", "beschädigt"})
    EXPECT_NE(problems.find(part), std::string::npos) << problems;
  EXPECT_EQ(problems.find("image"), std::string::npos) << "the library's English stays out: " << problems;
}

TEST_F(XmpFilesTest, NumbersArePointsInAGermanSessionAndCommaFilesAreMended) {
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "no German locale installed";
  const std::int32_t anna = Person("Anna");
  const std::int32_t id = Picture("bild.jpg", 400, 300);
  // What an earlier export in a German session wrote.
  dir.File("bild.jpg.xmp", Sidecar("", Regions(Region("Anna", "0,5", "0,25"))));
  const XmpImportPlan plan = PlanXmpImport(doc, {id}, *store);
  ApplyXmpImport(doc, plan);
  const XmpExportResult result = ExportXmp(doc, {id}, {}, *store);
  const std::string text = test::ReadFile(dir / "bild.jpg.xmp");
  std::setlocale(LC_ALL, saved.c_str());
  Rect r;
  EXPECT_TRUE(doc.PersonsOnPictures().Lookup(anna, id, &r) && r == (Rect{150, 120, 250, 180}));
  EXPECT_TRUE(result.problems.empty());
  EXPECT_NE(text.find("0.500000"), std::string::npos) << text;
  EXPECT_EQ(text.find("0,"), std::string::npos) << text;
}

// The album changes after an export; the next export makes the file say
// what the album says, and keeps what other programs wrote.
TEST_F(XmpFilesTest, ReExportTakesBackWhatTheAlbumNoLongerSays) {
  const struct {
    const char* change;
    std::function<void(CMeriskDoc&, std::int32_t)> apply;
    std::vector<std::string> regions;
    std::vector<std::string> keywords;
    const char* title;
  } cases[] = {
      {"nothing", [](CMeriskDoc&, std::int32_t) {}, {"Pet:Bello", "Face:", "Face:Anna", "Face:Bernd"},
       {"Urlaub", "Strand", "Familie"}, "Titel"},
      {"mark removed", [](CMeriskDoc& d, std::int32_t id) { d.RemovePersonFromPicture(2, id); },
       {"Pet:Bello", "Face:", "Face:Anna"}, {"Urlaub", "Strand", "Familie"}, "Titel"},
      {"person renamed", [](CMeriskDoc& d, std::int32_t) { d.AddOrUpdatePerson(2, "Berndt"); },
       {"Pet:Bello", "Face:", "Face:Anna", "Face:Berndt"}, {"Urlaub", "Strand", "Familie"}, "Titel"},
      {"theme taken off", [](CMeriskDoc& d, std::int32_t id) { d.RemoveThemeFromPicture(1, id); },
       {"Pet:Bello", "Face:", "Face:Anna", "Face:Bernd"}, {"Urlaub", "Strand"}, "Titel"},
      {"theme deleted", [](CMeriskDoc& d, std::int32_t) { d.RemoveTheme(1); },
       {"Pet:Bello", "Face:", "Face:Anna", "Face:Bernd"}, {"Urlaub", "Strand"}, "Titel"},
      {"headline cleared",
       [](CMeriskDoc& d, std::int32_t id) {
         PictureEntry e;
         d.Pictures().Lookup(id, e);
         d.AddOrUpdatePicture(id, e.filename, e.timestamp, e.size, "");
       },
       {"Pet:Bello", "Face:", "Face:Anna", "Face:Bernd"}, {"Urlaub", "Strand", "Familie"}, ""},
  };
  for (const auto& c : cases) {
    test::TempDir folder;
    CMemorySettings s;
    CMeriskDoc album{s};
    album.OnNewDocument();
    test::JpegBuilder jpeg;
    jpeg.App0Jfif().Tables(400, 300).Scan(64);
    folder.File("bild.jpg", jpeg.Data());
    const std::int32_t id = album.AddPicture(folder / "bild.jpg", COleDateTime(), 0, "Titel");
    album.AddOrUpdatePerson(1, "Anna");
    album.AddOrUpdatePerson(2, "Bernd");
    album.AddOrUpdatePersonOnPicture(1, {0, 0, 40, 30}, id);
    album.AddOrUpdatePersonOnPicture(2, {100, 100, 200, 200}, id);
    album.AddOrUpdateTheme(1, "Familie");
    album.AddThemeToPicture(1, id);
    const std::string sidecar = folder.File("bild.jpg.xmp", std::string(kMwgSidecar)).string();
    ASSERT_TRUE(ExportXmp(album, {id}, {}, *store).problems.empty());
    c.apply(album, id);
    ASSERT_TRUE(ExportXmp(album, {id}, {}, *store).problems.empty());
    const std::string written = test::ReadFile(sidecar);

    XmpContent content;
    std::string source, error;
    ASSERT_TRUE(store->Read(folder / "bild.jpg", content, source, error)) << error;
    std::vector<std::string> regions;
    for (const XmpRegion& r : content.regions) regions.push_back(r.type + ":" + r.name);
    // Foreign regions keep their places; Kolvaro's follow in the album's order.
    std::sort(regions.begin() + 2, regions.end());
    EXPECT_EQ(regions, c.regions) << c.change;
    EXPECT_EQ(content.keywords, c.keywords) << c.change;
    EXPECT_EQ(content.title, c.title) << c.change;
    EXPECT_NE(written.find("bleibt"), std::string::npos) << c.change;
    // Only the foreign keywords are new to the album; nothing removed comes back.
    const XmpImportPlan plan = PlanXmpImport(album, {id}, *store);
    EXPECT_TRUE(plan.rectangles.empty() && plan.newPersons.empty() && plan.headlines.empty()) << c.change;
    EXPECT_EQ(plan.newThemes, (std::vector<std::string>{"Urlaub", "Strand"})) << c.change;
    EXPECT_EQ(plan.themeLinks.size(), 2u) << c.change;
    ASSERT_TRUE(ExportXmp(album, {id}, {}, *store).problems.empty());
    EXPECT_EQ(test::ReadFile(sidecar), written) << c.change << ": a second export writes the same bytes";
  }
}

}  // namespace
}  // namespace kolvaro
