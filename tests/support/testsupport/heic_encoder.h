#pragma once
// Encodes small HEIC pictures for tests with libheif's HEVC encoder, so that
// no picture file needs to be kept in the repository.

#include <libheif/heif.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#define KOLVARO_TEST_LSAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#include <sanitizer/lsan_interface.h>
#define KOLVARO_TEST_LSAN 1
#endif
#endif

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace kolvaro::test {

/// A `width` x `height` HEIC of one colour.
inline std::vector<std::uint8_t> EncodeHeic(int width, int height, std::uint8_t r, std::uint8_t g,
                                            std::uint8_t b) {
#ifdef KOLVARO_TEST_LSAN
  // x265 keeps some allocations for the life of the process; they are the
  // encoder's, not the code under test's.
  const __lsan::ScopedDisabler encoderAllocations;
#endif
  heif_context* context = heif_context_alloc();
  heif_encoder* encoder = nullptr;
  heif_image* image = nullptr;
  std::vector<std::uint8_t> out;
  auto check = [](heif_error e) {
    if (e.code != heif_error_Ok) throw std::runtime_error(e.message);
  };
  check(heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder));
  heif_encoder_set_lossy_quality(encoder, 90);
  check(heif_image_create(width, height, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &image));
  check(heif_image_add_plane(image, heif_channel_interleaved, width, height, 8));
  int stride = 0;
  std::uint8_t* p = heif_image_get_plane(image, heif_channel_interleaved, &stride);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      std::uint8_t* px = p + y * stride + x * 3;
      px[0] = r;
      px[1] = g;
      px[2] = b;
    }
  heif_encoding_options* options = heif_encoding_options_alloc();
  heif_image_handle* handle = nullptr;
  check(heif_context_encode_image(context, image, encoder, options, &handle));
  heif_writer writer{1, [](heif_context*, const void* data, size_t size, void* userdata) {
                       auto* bytes = static_cast<std::vector<std::uint8_t>*>(userdata);
                       const auto* begin = static_cast<const std::uint8_t*>(data);
                       bytes->insert(bytes->end(), begin, begin + size);
                       return heif_error{heif_error_Ok, heif_suberror_Unspecified, ""};
                     }};
  check(heif_context_write(context, &writer, &out));
  heif_encoding_options_free(options);
  heif_image_handle_release(handle);
  heif_image_release(image);
  heif_encoder_release(encoder);
  heif_context_free(context);
  return out;
}

}  // namespace kolvaro::test
