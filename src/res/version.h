#pragma once
// Kolvaro's version information, compiled in.

#include <string>
#include <string_view>

namespace kolvaro {

/// The version resource's `ProductVersion`.
inline constexpr std::string_view kProductVersion = "2.4 Build 6.0";

/// A value of the program's version data ("ProductVersion"); "" for a name it does not hold.
inline std::string GetVersionString(std::string_view name) {
  return name == "ProductVersion" ? std::string(kProductVersion) : std::string();
}

/// The About box's version line as laid out, shown when no version is available.
inline constexpr std::string_view kAboutVersionText = "Kolvaro-Album Version 2.4 Build 3.12";

/// The About box's version line is this prefix followed by kProductVersion.
inline constexpr std::string_view kVersionLinePrefix = "Kolvaro Version ";

/// The product's web page behind the About box's version line.
inline constexpr std::string_view kProductPageUrl = "https://www.kolvaro.de/";

/// The file type registered for albums.
inline constexpr std::string_view kFileTypeId = "Kolvaro.Document";
inline constexpr std::string_view kAlbumExtension = ".kvo";

/// The help file beside the program.
inline constexpr std::string_view kHelpFileName = "Kolvaro.chm";

/// The About box's update link before the album's own address replaces it.
inline constexpr std::string_view kDefaultUpdateLink =
    "mk:@MSITStore:Kolvaro.chm::/html/entwickler/infoupdateurl.html#update";

}  // namespace kolvaro
