// kolvaro-cli thumbnails ALBUM [--large]

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <iostream>
#include <ostream>
#include <thread>

#include "cli/album_io.h"
#include "cli/commands.h"
#include "qt/gui/thumbnailmaker.h"

namespace kolvaro::cli {

int RunThumbnails(Context& ctx, const std::vector<std::string>& args) {
  if (args.empty() || args.size() > 2 || (args.size() == 2 && args[1] != "--large"))
    return UsageError(ctx, "thumbnails");
  const ThumbnailSize size = args.size() == 2 ? ThumbnailSize::kLarge : ThumbnailSize::kNormal;
  CAlbumFile album(ctx);
  if (!album.Open(args[0])) return kExitFailure;
  const CMeriskDoc& doc = album.Doc();

  std::vector<std::string> paths;
  for (POSITION pos = doc.Pictures().GetStartPosition(); pos != kNullPosition;) {
    std::int32_t id;
    doc.Pictures().GetNextRef(pos, id);
    paths.push_back(doc.GetPictureFullPath(id));
  }
  const CThumbnailCache cache;
  std::atomic<std::size_t> next{0};
  std::atomic<long long> made{0}, present{0}, failed{0}, done{0};
  const auto work = [&] {
    for (std::size_t i; (i = next++) < paths.size(); ++done) {
      const ThumbnailResult r = MakeThumbnail(cache, paths[i], size);
      if (r.state != ThumbnailSource::State::kOk || (r.from != ThumbnailResult::From::kCache && !r.stored))
        ++failed;
      else if (r.from == ThumbnailResult::From::kCache)
        ++present;
      else
        ++made;
    }
  };
  const unsigned count = std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
  std::vector<std::thread> workers;
  for (unsigned i = 0; i < count; ++i) workers.emplace_back(work);

  // A progress line only where someone watches it; redirected output stays clean.
  const bool terminal = &ctx.err == &std::cerr && ::isatty(STDERR_FILENO) == 1;
  const auto total = static_cast<long long>(paths.size());
  while (terminal && done < total) {
    ctx.err << '\r' << Text(IDS_CLI_THUMBNAILS_PROGRESS, {done.load(), total}) << std::flush;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  for (std::thread& t : workers) t.join();
  if (terminal) ctx.err << '\r' << Text(IDS_CLI_THUMBNAILS_PROGRESS, {total, total}) << '\n';

  ctx.out << Text(IDS_CLI_THUMBNAILS_SUMMARY, {made.load(), present.load(), failed.load()}) << '\n';
  return failed == 0 ? kExitOk : kExitFailure;
}

}  // namespace kolvaro::cli
