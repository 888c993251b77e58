#include <gtest/gtest.h>

#include <cstdlib>

#include "maintenance/heifdecode.h"
#include "testsupport/heic_encoder.h"
#include "testsupport/media_builder.h"

namespace kolvaro {
namespace {

TEST(HeifDecodeTest, DecodesThePrimaryPictureAtItsSize) {
  const std::vector<std::uint8_t> heic = test::EncodeHeic(64, 40, 200, 40, 30);
  int width = 0, height = 0;
  ASSERT_TRUE(HeifPictureSize(heic, width, height));
  EXPECT_EQ(width, 64);
  EXPECT_EQ(height, 40);
  DecodedPicture picture;
  ASSERT_TRUE(DecodeHeif(heic, picture));
  ASSERT_EQ(picture.rgba.size(), 64u * 40u * 4u);
  // Lossy: the colour comes back close, and opaque.
  const std::uint8_t* middle = picture.rgba.data() + (20 * 64 + 32) * 4;
  EXPECT_LT(std::abs(middle[0] - 200), 12);
  EXPECT_LT(std::abs(middle[1] - 40), 12);
  EXPECT_LT(std::abs(middle[2] - 30), 12);
  EXPECT_EQ(middle[3], 255);
}

TEST(HeifDecodeTest, DamagedFilesDecodeToNothing) {
  std::vector<std::uint8_t> cut = test::EncodeHeic(64, 40, 0, 0, 255);
  cut.resize(cut.size() / 2);
  const std::vector<std::uint8_t> cases[] = {{}, test::B("Kein Bild"), test::Heif(false), cut};
  for (const auto& bytes : cases) {
    DecodedPicture picture;
    EXPECT_FALSE(DecodeHeif(bytes, picture)) << bytes.size();
    EXPECT_TRUE(picture.rgba.empty());
  }
}

}  // namespace
}  // namespace kolvaro
