#include "maintenance/heifdecode.h"

#include <libheif/heif.h>

#include <cstring>
#include <memory>

namespace kolvaro {
namespace {

struct ContextFree {
  void operator()(heif_context* c) const { heif_context_free(c); }
};
struct HandleFree {
  void operator()(heif_image_handle* h) const { heif_image_handle_release(h); }
};
struct ImageFree {
  void operator()(heif_image* i) const { heif_image_release(i); }
};
using Context = std::unique_ptr<heif_context, ContextFree>;
using Handle = std::unique_ptr<heif_image_handle, HandleFree>;
using Image = std::unique_ptr<heif_image, ImageFree>;

// The primary picture's handle; the context must outlive it.
Handle PrimaryHandle(std::span<const std::uint8_t> bytes, Context& context) {
  context.reset(heif_context_alloc());
  if (!context || bytes.empty()) return nullptr;
  if (heif_context_read_from_memory_without_copy(context.get(), bytes.data(), bytes.size(), nullptr)
          .code != heif_error_Ok)
    return nullptr;
  heif_image_handle* handle = nullptr;
  if (heif_context_get_primary_image_handle(context.get(), &handle).code != heif_error_Ok)
    return nullptr;
  return Handle(handle);
}

}  // namespace

bool HeifPictureSize(std::span<const std::uint8_t> bytes, int& width, int& height) {
  Context context;
  const Handle handle = PrimaryHandle(bytes, context);
  if (!handle) return false;
  width = heif_image_handle_get_width(handle.get());
  height = heif_image_handle_get_height(handle.get());
  return width > 0 && height > 0;
}

bool DecodeHeif(std::span<const std::uint8_t> bytes, DecodedPicture& out) {
  Context context;
  const Handle handle = PrimaryHandle(bytes, context);
  if (!handle) return false;
  const int width = heif_image_handle_get_width(handle.get());
  const int height = heif_image_handle_get_height(handle.get());
  if (width <= 0 || height <= 0 ||
      static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > kMaxHeifPixels)
    return false;
  heif_image* decoded = nullptr;
  if (heif_decode_image(handle.get(), &decoded, heif_colorspace_RGB, heif_chroma_interleaved_RGBA,
                        nullptr)
          .code != heif_error_Ok)
    return false;
  const Image image(decoded);
  int stride = 0;
  const std::uint8_t* pixels =
      heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
  const int w = heif_image_get_width(image.get(), heif_channel_interleaved);
  const int h = heif_image_get_height(image.get(), heif_channel_interleaved);
  // The decoder answers with the handle's size; anything else is not trusted.
  if (!pixels || w != width || h != height || stride < width * 4) return false;
  out.width = width;
  out.height = height;
  const std::size_t row = static_cast<std::size_t>(width) * 4;
  out.rgba.resize(row * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y)
    std::memcpy(out.rgba.data() + row * static_cast<std::size_t>(y),
                pixels + static_cast<std::size_t>(stride) * static_cast<std::size_t>(y), row);
  return true;
}

}  // namespace kolvaro
