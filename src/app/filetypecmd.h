#pragma once
// Command 32814: the album file type registered for this program, or removed
// again, after asking.

#include <string>

namespace kolvaro {

class CFileTypeRegistration;
class IUserQuestions;

/// The registration for the program at `programPath` in the user's folders.
CFileTypeRegistration AlbumFileType(const std::string& programPath);

/// Registers when the type is not (wholly) registered, else removes it.
void OnRegisterFileType(IUserQuestions& ui, const std::string& programPath);

/// The command's menu text, read from the user's folders at every call.
std::string RegisterFileTypeMenuText(const std::string& programPath);

}  // namespace kolvaro
