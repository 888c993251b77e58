// XMP written into JPEG pictures: every segment but the XMP one stays byte
// for byte, a write killed at any point leaves the old or the new picture,
// and pictures that cannot be replaced by rename keep their bytes.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "maintenance/jpegsegments.h"
#include "maintenance/xmpstore.h"
#include "testsupport/files.h"
#include "testsupport/jpeg_builder.h"

namespace kolvaro {
namespace {

using test::Bytes;
using test::Ifd;

// The segments ahead of the image data, each whole, and the rest of the
// file from the start of scan on.
struct Segments {
  std::vector<std::string> metadata;
  std::string xmp;
  std::string rest;
};

Segments Split(const std::string& jpeg) {
  Segments s;
  std::size_t pos = 2;
  while (pos + 4 <= jpeg.size() && static_cast<unsigned char>(jpeg[pos + 1]) != 0xDA) {
    const std::size_t length =
        static_cast<unsigned char>(jpeg[pos + 2]) << 8 | static_cast<unsigned char>(jpeg[pos + 3]);
    const std::string segment = jpeg.substr(pos, 2 + length);
    if (segment.compare(4, kXmpSignature.size(), kXmpSignature) == 0)
      s.xmp = segment;
    else
      s.metadata.push_back(segment);
    pos += 2 + length;
  }
  s.rest = jpeg.substr(pos);
  return s;
}

// Laid out as Canon's: a directory with inline values, then what the
// camera keeps beyond it, 1176 bytes in all.
Bytes CanonMakerNote() {
  const Bytes ifd{3,    0,                                         // three entries
                  0x10, 0, 4, 0, 1, 0, 0, 0, 0x81, 0x02, 0, 0x80,  // ModelID
                  0x0c, 0, 4, 0, 1, 0, 0, 0, 0x39, 0x30, 0, 0,     // serial number
                  0x0e, 0, 3, 0, 1, 0, 0, 0, 0x2a, 0,    0, 0,     // a short
                  0,    0, 0, 0};
  Bytes note = ifd;
  for (std::size_t i = note.size(); i < 1176; ++i)
    note.push_back(static_cast<std::uint8_t>(i * 31));
  return note;
}

Bytes Payload(std::string_view signature, std::size_t size, std::uint8_t seed) {
  Bytes p(signature.begin(), signature.end());
  for (std::size_t i = 0; i < size; ++i) p.push_back(static_cast<std::uint8_t>(seed + i * 7));
  return p;
}

class JpegXmpTest : public ::testing::Test {
 protected:
  static XmpContent Content() {
    XmpContent c;
    c.regions.push_back({"Anna", "Face", {0.5, 0.5, 0.2, 0.2}, {400, 300, false}});
    c.keywords = {"Urlaub"};
    c.title = "Am See";
    return c;
  }
  static std::string Exiv2Tool(const std::string& args) {
    std::string output;
    if (std::FILE* pipe = ::popen(("exiv2 " + args + " 2>&1").c_str(), "r")) {
      char buffer[4096];
      for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, n);
      ::pclose(pipe);
    }
    return output;
  }

  test::TempDir dir;
  std::unique_ptr<IXmpStore> store = CreateXmpStore();
};

TEST_F(JpegXmpTest, EmbeddingChangesOnlyTheXmpSegment) {
  const std::string foreignXmp =
      R"(<x:xmpmeta xmlns:x="adobe:ns:meta/"><rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">)"
      R"(<rdf:Description rdf:about="" xmlns:xmp="http://ns.adobe.com/xap/1.0/" xmp:Rating="4"/>)"
      R"(</rdf:RDF></x:xmpmeta>)";
  const auto canon = [](test::ByteOrder order) {
    test::ExifBlock exif(order);
    exif.Ascii(Ifd::kZero, 271, "Canon")
        .Ascii(Ifd::kZero, 272, "Canon EOS 5D")
        .Short(Ifd::kZero, 274, 1)
        .Rational(Ifd::kExif, 33434, 1, 125)
        .Undefined(Ifd::kExif, 0x927c, CanonMakerNote())
        .Thumbnail(test::FakeThumbnail(900));
    return exif;
  };
  Bytes icc = Payload(std::string_view("ICC_PROFILE\0\1\1", 14), 3000, 3);
  icc[14] = icc[15] = 0, icc[16] = 3000 >> 8, icc[17] = 3000 & 0xFF;  // the profile's size
  const Bytes iptc = Payload("Photoshop 3.0", 200, 5);
  const Bytes extended =
      Payload(std::string_view("http://ns.adobe.com/xmp/extension/\0", 35), 500, 9);
  struct Case {
    const char* name;
    Bytes jpeg;
    bool keepsRating;
  } cases[3];
  cases[0] = {"canon-jfif-icc-iptc-trailer", {}, false};
  cases[0].jpeg = test::JpegBuilder()
                      .App0Jfif()
                      .Exif(canon(test::ByteOrder::kLittle))
                      .Segment(0xE2, icc)
                      .Segment(0xED, iptc)
                      .Tables(400, 300)
                      .Scan(5000)
                      .Raw(Payload("trailer after the end", 64, 1))
                      .Data();
  cases[1] = {"big-endian-with-xmp-after-icc", {}, true};
  cases[1].jpeg = test::JpegBuilder()
                      .Exif(canon(test::ByteOrder::kBig))
                      .Segment(0xE2, icc)
                      .Xmp(foreignXmp)
                      .Segment(0xE1, extended)
                      .Tables(400, 300)
                      .Scan(5000, 7)
                      .Data();
  cases[2] = {"no-app-segments", test::JpegBuilder().Tables(400, 300).Scan(3000, 3).Data(), false};

  for (const Case& c : cases) {
    const std::string path = dir / (std::string(c.name) + ".jpg");
    test::WriteFile(path, c.jpeg);
    const std::string before = test::ReadFile(path);
    std::string error;
    ASSERT_TRUE(store->WriteEmbedded(path, Content(), error)) << c.name << ": " << error;

    const std::string after = test::ReadFile(path);
    const Segments old = Split(before), now = Split(after);
    EXPECT_EQ(now.metadata, old.metadata) << c.name;
    EXPECT_EQ(now.rest, old.rest) << c.name;
    EXPECT_NE(now.xmp.find("Anna"), std::string::npos) << c.name;
    EXPECT_EQ(now.xmp.find("Rating") != std::string::npos, c.keepsRating) << c.name;
    if (!old.xmp.empty()) {
      EXPECT_EQ(after.find(now.xmp), before.find(old.xmp)) << c.name << ": not in its place";
    }
  }
  // The result still reads for other programs, the maker note included.
  const std::string listed = Exiv2Tool("-pa '" + (dir / "canon-jfif-icc-iptc-trailer.jpg") + "'");
  for (const char* key :
       {"Exif.Image.Model", "Exif.Canon.ModelID", "Xmp.dc.subject", "Xmp.mwg-rs.Regions"})
    EXPECT_NE(listed.find(key), std::string::npos) << key << "\n" << listed;
}

std::uint64_t g_stopAfter = 0;

TEST_F(JpegXmpTest, WriteKilledAtAnyPointLeavesTheOldOrTheWholeNewPicture) {
  test::ExifBlock exif;
  exif.Ascii(Ifd::kZero, 271, "Canon").Undefined(Ifd::kExif, 0x927c, CanonMakerNote());
  const Bytes jpeg = test::JpegBuilder().App0Jfif().Exif(exif).Tables(400, 300).Scan(700000).Data();
  const std::string path = dir / "bild.jpg";
  test::WriteFile(dir / "probe.jpg", jpeg);
  std::string error;
  ASSERT_TRUE(store->WriteEmbedded(dir / "probe.jpg", Content(), error)) << error;
  const std::string whole = test::ReadFile(dir / "probe.jpg");
  std::filesystem::remove(dir / "probe.jpg");

  for (std::uint64_t stop : {std::uint64_t{1}, std::uint64_t{1300}, std::uint64_t{262144},
                             std::uint64_t{524288}, std::uint64_t{700000}, UINT64_MAX}) {
    test::WriteFile(path, jpeg);
    g_stopAfter = stop;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      g_jpegWriteProbe = [](std::uint64_t n) {
        if (n >= g_stopAfter) ::_exit(3);
      };
      std::string e;
      store->WriteEmbedded(path, Content(), e);
      ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 3) << "stopped at " << stop;
    const std::string now = test::ReadFile(path);
    EXPECT_TRUE(now == std::string(jpeg.begin(), jpeg.end()) || now == whole)
        << "stopped at " << stop;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1)
        << "left behind a file";
    // The next write clears up and completes.
    ASSERT_TRUE(store->WriteEmbedded(path, Content(), error)) << error;
    EXPECT_EQ(test::ReadFile(path), whole);
  }
}

TEST_F(JpegXmpTest, PictureThatCannotBeReplacedKeepsItsBytesAndGetsASidecar) {
  const Bytes jpeg = test::JpegBuilder().App0Jfif().Tables(400, 300).Scan(2000).Data();
  XmpContent huge = Content();
  for (int i = 0; i < 3000; ++i) huge.keywords.push_back("Stichwort Nummer " + std::to_string(i));
  enum Kind { kHardLink, kHuge, kLockedFolder };
  struct Case {
    Kind kind;
    const char* reason;
    const char* outcome;  // where the XMP went
  } cases[] = {
      {kHardLink, "mehrere harte Links", "stehen stattdessen in der Begleitdatei"},
      {kHuge, "64 KiB", "stehen stattdessen in der Begleitdatei"},
      {kLockedFolder, "Im Ordner", "schreibgeschützt"},
  };
  for (const Case& c : cases) {
    const std::filesystem::path folder = dir.Path() / std::to_string(c.kind);
    std::filesystem::create_directory(folder);
    const std::string path = folder / "bild.jpg";
    test::WriteFile(path, jpeg);
    if (c.kind == kHardLink) std::filesystem::create_hard_link(path, folder / "zweit.jpg");
    if (c.kind == kLockedFolder) ::chmod(folder.c_str(), 0555);
    std::string error;
    EXPECT_FALSE(store->WriteEmbedded(path, c.kind == kHuge ? huge : Content(), error));
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    EXPECT_NE(error.find(path + ".xmp"), std::string::npos) << error;
    EXPECT_NE(error.find(c.outcome), std::string::npos) << error;
    EXPECT_TRUE(store->Flush().empty());
    EXPECT_EQ(test::ReadFile(path), std::string(jpeg.begin(), jpeg.end())) << c.reason;
    EXPECT_EQ(test::ReadFile(path + ".xmp").find("Anna") != std::string::npos,
              c.kind != kLockedFolder)
        << c.reason;
  }
}

}  // namespace
}  // namespace kolvaro
