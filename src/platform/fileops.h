#pragma once
// File operations on picture files, as the core asks for them. The program
// implements them with the desktop's services; tests record the calls.

#include <string>
#include <vector>

namespace kolvaro {

class IFileOperations {
 public:
  virtual ~IFileOperations() = default;
  /// Moves one file into the desktop's trash without asking; false on failure.
  virtual bool MoveToTrash(const std::string& path) = 0;
  /// Opens a file with its associated program; the result is only a hint.
  virtual bool OpenWithDefaultProgram(const std::string& path) = 0;
};

}  // namespace kolvaro
