// kolvaro-cli title, date, person, theme, mark, unmark: single changes made
// through the album's record operations, so that with --log-folder they
// are logged exactly as the program logs them.

#include <functional>
#include <ostream>

#include "cli/album_io.h"
#include "cli/commands.h"
#include "cli/logfolder.h"
#include "maintenance/xmpstore.h"

namespace kolvaro::cli {
namespace {

using Change = std::function<int(Context&, CMeriskDoc&, const std::vector<std::string>&)>;

// Positional arguments; "--" makes every later word one, even "--x".
bool Positional(const std::vector<std::string>& args, std::vector<std::string>& out) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--") {
      out.insert(out.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
      return true;
    }
    if (args[i].size() > 2 && args[i].compare(0, 2, "--") == 0) return false;
    out.push_back(args[i]);
  }
  return true;
}

/// Opens the album (first argument), makes the change, saves. `ids` names
/// the positions of arguments that must be whole numbers.
int Edit(Context& ctx, const char* name, std::vector<std::string> args, std::size_t count,
         std::initializer_list<std::size_t> ids, const Change& change) {
  CLogFolderOption log;
  std::vector<std::string> pos;
  if (!log.Take(args) || !Positional(args, pos) || pos.size() != count)
    return UsageError(ctx, name);
  for (const std::size_t i : ids) {
    std::int32_t unused;
    if (!ParseInt(pos[i], unused)) return UsageError(ctx, name);
  }
  CAlbumFile album(ctx);
  if (!album.Open(pos[0])) return kExitFailure;
  if (!log.Start(ctx, album.Doc())) return kExitFailure;
  const int rc = change(ctx, album.Doc(), pos);
  if (rc != kExitOk) {
    log.Finish(ctx, album.Doc(), false);
    return rc;
  }
  return log.Finish(ctx, album.Doc(), album.Save()) ? kExitOk : kExitFailure;
}

std::int32_t Id(const std::string& text) {
  std::int32_t v = 0;
  ParseInt(text, v);
  return v;
}

const PictureEntry* FindPicture(Context& ctx, CMeriskDoc& doc, const std::string& id) {
  const PictureEntry* e = doc.Pictures().Find(Id(id));
  if (!e) Fail(ctx, Text(IDS_CLI_NO_SUCH_PICTURE, {id}));
  return e;
}

bool HasPerson(Context& ctx, CMeriskDoc& doc, const std::string& id) {
  std::string name;
  if (doc.Persons().Lookup(Id(id), name)) return true;
  Fail(ctx, Text(IDS_CLI_NO_SUCH_PERSON, {id}));
  return false;
}

bool HasTheme(Context& ctx, CMeriskDoc& doc, const std::string& id) {
  std::string name;
  if (doc.Themes().Lookup(Id(id), name)) return true;
  Fail(ctx, Text(IDS_CLI_NO_SUCH_THEME, {id}));
  return false;
}

// "YYYY-MM-DD HH:MM:SS", nothing else.
bool ParseDate(const std::string& text, COleDateTime& date) {
  static constexpr std::string_view kShape = "0000-00-00 00:00:00";
  if (text.size() != kShape.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool digit = text[i] >= '0' && text[i] <= '9';
    if (kShape[i] == '0' ? !digit : text[i] != kShape[i]) return false;
  }
  auto field = [&](std::size_t at, std::size_t n) { return std::stoi(text.substr(at, n)); };
  date = COleDateTime::FromCalendar(field(0, 4), field(5, 2), field(8, 2), field(11, 2),
                                    field(14, 2), field(17, 2));
  return date.IsValid();
}

}  // namespace

int RunTitle(Context& ctx, const std::vector<std::string>& args) {
  return Edit(ctx, "title", args, 3, {1}, [](Context& c, CMeriskDoc& d, const auto& p) {
    const PictureEntry* e = FindPicture(c, d, p[1]);
    if (!e) return kExitFailure;
    const PictureEntry old = *e;
    d.AddOrUpdatePicture(Id(p[1]), old.filename, old.timestamp, old.size, p[2]);
    return kExitOk;
  });
}

int RunDate(Context& ctx, const std::vector<std::string>& args) {
  return Edit(ctx, "date", args, 3, {1}, [](Context& c, CMeriskDoc& d, const auto& p) {
    COleDateTime date;
    if (!ParseDate(p[2], date))
      return Fail(c, Text(IDS_CLI_BAD_DATE, {p[2]}));
    const PictureEntry* e = FindPicture(c, d, p[1]);
    if (!e) return kExitFailure;
    const PictureEntry old = *e;
    d.AddOrUpdatePicture(Id(p[1]), old.filename, date, old.size, old.title);
    return kExitOk;
  });
}

namespace {

// "person" and "theme": add NAME, rename ID NAME, remove ID, and for themes
// assign/unassign THEME PICTURE.
int RunNames(Context& ctx, const std::vector<std::string>& argsIn, bool persons) {
  const char* name = persons ? "person" : "theme";
  if (argsIn.empty()) return UsageError(ctx, name);
  const std::string verb = argsIn[0];
  const std::vector<std::string> args(argsIn.begin() + 1, argsIn.end());
  auto exists = [persons](Context& c, CMeriskDoc& d, const std::string& id) {
    return persons ? HasPerson(c, d, id) : HasTheme(c, d, id);
  };
  if (verb == "add") {
    std::int32_t added = 0;
    const int rc = Edit(ctx, name, args, 2, {}, [&](Context&, CMeriskDoc& d, const auto& p) {
      added = persons ? d.Persons().NextId() : d.Themes().NextId();
      if (persons)
        d.AddOrUpdatePerson(added, p[1]);
      else
        d.AddOrUpdateTheme(added, p[1]);
      return kExitOk;
    });
    if (rc == kExitOk) ctx.out << added << '\n';
    return rc;
  }
  if (verb == "rename")
    return Edit(ctx, name, args, 3, {1}, [&](Context& c, CMeriskDoc& d, const auto& p) {
      if (!exists(c, d, p[1])) return kExitFailure;
      if (persons)
        d.AddOrUpdatePerson(Id(p[1]), p[2]);
      else
        d.AddOrUpdateTheme(Id(p[1]), p[2]);
      return kExitOk;
    });
  if (verb == "remove")
    return Edit(ctx, name, args, 2, {1}, [&](Context& c, CMeriskDoc& d, const auto& p) {
      if (!exists(c, d, p[1])) return kExitFailure;
      if (persons)
        d.RemovePerson(Id(p[1]));
      else
        d.RemoveTheme(Id(p[1]));
      return kExitOk;
    });
  if (!persons && (verb == "assign" || verb == "unassign")) {
    const bool assign = verb == "assign";
    return Edit(ctx, name, args, 3, {1, 2}, [assign](Context& c, CMeriskDoc& d, const auto& p) {
      if (!HasTheme(c, d, p[1]) || !FindPicture(c, d, p[2])) return kExitFailure;
      const bool linked = d.ThemesOfPictures().Lookup(Id(p[1]), Id(p[2]));
      if (assign) {
        d.AddThemeToPicture(Id(p[1]), Id(p[2]));
      } else if (!linked) {
        return Fail(c, Text(IDS_CLI_NOT_IN_THEME, {p[2], p[1]}));
      } else {
        d.RemoveThemeFromPicture(Id(p[1]), Id(p[2]));
      }
      return kExitOk;
    });
  }
  return UsageError(ctx, name);
}

}  // namespace

int RunPerson(Context& ctx, const std::vector<std::string>& args) {
  return RunNames(ctx, args, true);
}
int RunTheme(Context& ctx, const std::vector<std::string>& args) {
  return RunNames(ctx, args, false);
}

int RunMark(Context& ctx, const std::vector<std::string>& args) {
  return Edit(ctx, "mark", args, 7, {1, 2, 3, 4, 5, 6},
              [](Context& c, CMeriskDoc& d, const auto& p) {
                const Rect r{Id(p[3]), Id(p[4]), Id(p[5]), Id(p[6])};
                if (r.left > r.right || r.top > r.bottom)
                  return Fail(c, Text(IDS_CLI_BAD_RECTANGLE));
                if (!HasPerson(c, d, p[1]) || !FindPicture(c, d, p[2])) return kExitFailure;
                // A mark beside the picture marks nobody; where the file cannot be
                // read its size is unknown and the mark is taken as given.
                PictureGeometry g;
                std::string unreadable;
                Rect onPicture = r;
                if (CreateXmpStore()->ReadGeometry(d.GetPictureFullPath(Id(p[2])), g, unreadable) &&
                    !ClipToPicture(onPicture, g))
                  return Fail(c, Text(IDS_CLI_MARK_OUTSIDE, {static_cast<long long>(g.width),
                                                             static_cast<long long>(g.height)}));
                d.AddOrUpdatePersonOnPicture(Id(p[1]), r, Id(p[2]));
                return kExitOk;
              });
}

int RunUnmark(Context& ctx, const std::vector<std::string>& args) {
  return Edit(ctx, "unmark", args, 3, {1, 2}, [](Context& c, CMeriskDoc& d, const auto& p) {
    if (!d.PersonsOnPictures().Lookup(Id(p[1]), Id(p[2])))
      return Fail(c, Text(IDS_CLI_NOT_MARKED, {p[1], p[2]}));
    d.RemovePersonFromPicture(Id(p[1]), Id(p[2]));
    return kExitOk;
  });
}

}  // namespace kolvaro::cli
