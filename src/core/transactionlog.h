#pragma once
// What the album document writes while collaboration is on. The transaction
// file writer implements it; the core knows only this interface.

#include <cstdint>
#include <string>

#include "core/oledate.h"
#include "core/types.h"

namespace kolvaro {

class ITransactionLog {
 public:
  virtual ~ITransactionLog() = default;
  virtual void WritePicture(std::int32_t id, const std::string& filename,
                            const COleDateTime& timestamp, std::uint64_t size,
                            const std::string& title) = 0;
  virtual void WritePerson(std::int32_t id, const std::string& name) = 0;
  virtual void WritePersonOnPicture(std::int32_t person, const Rect& rect,
                                    std::int32_t picture) = 0;
  virtual void WriteTheme(std::int32_t id, const std::string& name) = 0;
  virtual void WriteThemeOfPicture(std::int32_t theme, std::int32_t picture) = 0;
  virtual void WriteRemovePerson(std::int32_t person) = 0;
  virtual void WriteRemovePersonOnPicture(std::int32_t person, std::int32_t picture) = 0;
  virtual void WriteRemovePicture(std::int32_t picture) = 0;
  virtual void WriteRemoveTheme(std::int32_t theme) = 0;
  virtual void WriteRemoveThemeOfPicture(std::int32_t theme, std::int32_t picture) = 0;
  /// The records go on for the album at `path` (opened or saved under a new name).
  virtual void AlbumPathIs(const std::string& /*path*/) {}
};

}  // namespace kolvaro
