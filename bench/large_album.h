#pragma once
// The large album of the benchmarks: 100 000 pictures, 2 000 persons,
// 150 000 rectangles, 300 themes, 200 000 links, always the same bytes.

#include <array>
#include <cstdio>
#include <random>
#include <stdexcept>
#include <string>

#include "core/meriskdoc.h"
#include "core/ports/settings.h"

namespace kolvaro::bench {

constexpr int kPictures = 100'000;
constexpr int kPersons = 2'000;
constexpr int kRectangles = 150'000;
constexpr int kThemes = 300;
constexpr int kThemeLinks = 200'000;

const std::array<const char*, 16> kFolders = {
    "urlaub 2019",         "urlaub 2019\\strand",  "weihnachten 2020",  "hochzeit anna & ben",
    "geburtstag oma 80",   "ausflug münchen",      "wanderung harz",    "kinder\\schule 2016",
    "kinder\\kindergarten", "garten",             "skiurlaub österreich", "familie\\2015",
    "familie\\2016",       "familie\\2017",        "scans\\alte fotos", "sommerfest verein"};
const std::array<const char*, 4> kPrefixes = {"img_", "dsc", "p10", "IMG_"};
const std::array<const char*, 4> kExtensions = {".jpg", ".JPG", ".jpeg", ".png"};
const std::array<const char*, 12> kTitleWords = {
    "Strand",    "bei",     "Sonnenuntergang", "Gruß aus", "Köln", "mit",
    "Großeltern", "am See", "Frühstück",       "Bergtour", "Oma", "und Opa"};
const std::array<const char*, 12> kFirstNames = {"Anna", "Jürgen", "Björn", "Sabine",
                                                 "Thomas", "Käthe", "Lukas", "Maria",
                                                 "Stefan", "Ute",   "Peter", "Zoë"};
const std::array<const char*, 10> kLastNames = {"Müller",  "Schmidt", "Schneider", "Fischer",
                                                "Weiß",    "Meyer",   "Wagner",    "Becker",
                                                "Schäfer", "Koch"};
const std::array<const char*, 10> kThemeWords = {"Urlaub", "Familie", "Natur",  "Feiern",
                                                 "Tiere",  "Städte",  "Berge",  "Meer",
                                                 "Schnee", "Freunde"};

/// Writes the album to `path`; throws std::runtime_error when saving fails.
inline void WriteLargeAlbum(const std::string& path) {
    CMemorySettings settings;
    CMeriskDoc doc(settings);
    doc.OnNewDocument();
    std::mt19937 rng(20240501);
    auto pick = [&rng](std::size_t n) { return static_cast<std::size_t>(rng() % n); };

    for (int id = 1; id <= kPictures; ++id) {
      char file[32];
      std::snprintf(file, sizeof file, "%s%05d", kPrefixes[pick(kPrefixes.size())], id % 100000);
      const std::string name = std::string(kFolders[pick(kFolders.size())]) + "\\" + file +
                               kExtensions[pick(kExtensions.size())];
      std::string title;
      if (pick(10) < 6) {
        const std::size_t words = 1 + pick(4);
        for (std::size_t w = 0; w < words; ++w) {
          if (w) title += ' ';
          title += kTitleWords[pick(kTitleWords.size())];
        }
      }
      const COleDateTime taken = COleDateTime::FromCalendar(
          2005 + static_cast<int>(pick(19)), 1 + static_cast<int>(pick(12)),
          1 + static_cast<int>(pick(28)), static_cast<int>(pick(24)),
          static_cast<int>(pick(60)), static_cast<int>(pick(60)));
      doc.AddOrUpdatePicture(id, name, taken, 400'000 + pick(8'000'000), title);
    }
    for (int id = 1; id <= kPersons; ++id)
      doc.AddOrUpdatePerson(id, std::string(kFirstNames[pick(kFirstNames.size())]) + " " +
                                    kLastNames[pick(kLastNames.size())]);
    while (doc.PersonsOnPictures().GetCount() < kRectangles) {
      const auto left = static_cast<std::int32_t>(pick(3000));
      const auto top = static_cast<std::int32_t>(pick(2000));
      const Rect r{left, top, left + 50 + static_cast<std::int32_t>(pick(400)),
                   top + 50 + static_cast<std::int32_t>(pick(400))};
      doc.AddOrUpdatePersonOnPicture(1 + static_cast<std::int32_t>(pick(kPersons)), r,
                                     1 + static_cast<std::int32_t>(pick(kPictures)));
    }
    for (int id = 1; id <= kThemes; ++id)
      doc.AddOrUpdateTheme(id, std::string(kThemeWords[pick(kThemeWords.size())]) + " " +
                                   std::to_string(1990 + id % 40));
    // The new album's placeholder link counts as one of them.
    while (doc.ThemesOfPictures().GetCount() < kThemeLinks)
      doc.AddThemeToPicture(1 + static_cast<std::int32_t>(pick(kThemes)),
                            1 + static_cast<std::int32_t>(pick(kPictures)));
    doc.SetAlbumInfo("Familienalbum, alle Rechte bei den Fotografen.", doc.UpdateUrl(), doc.InfoDialogEnabled());
    std::string error;
    if (!doc.OnSaveDocument(path, &error)) throw std::runtime_error(error);
  }

}  // namespace kolvaro::bench
