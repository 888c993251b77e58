#pragma once
// The desktop program in a test: settings in memory, questions answered from
// a script, albums written into a temporary folder.

#include <QImage>
#include <QTemporaryDir>
#include <deque>
#include <memory>
#include <string>

#include "app/mainframe.h"
#include "app/meriskapp.h"
#include "core/meriskdoc.h"
#include "testsupport/fakes.h"

namespace kolvaro::test {

struct AppFixture {
  CMemorySettings settings;
  ScriptedQuestions ui;
  FakeFileOperations files;
  QTemporaryDir dir;
  std::unique_ptr<CMeriskApp> app;

  AppFixture() { app = std::make_unique<CMeriskApp>(settings, ui, &files); }

  std::string Path(const std::string& name) const { return (dir.path() + QLatin1Char('/')).toStdString() + name; }

  /// Writes an album with the given persons and themes (ids from 1) and `pictures` picture records.
  std::string WriteAlbum(const std::string& name, const std::vector<std::string>& persons = {},
                         const std::vector<std::string>& themes = {}, int pictures = 0) {
    CMemorySettings s;
    CMeriskDoc doc(s);
    doc.OnNewDocument();
    for (std::size_t i = 0; i < persons.size(); ++i) doc.AddOrUpdatePerson(static_cast<int>(i) + 1, persons[i]);
    for (std::size_t i = 0; i < themes.size(); ++i) doc.AddOrUpdateTheme(static_cast<int>(i) + 1, themes[i]);
    for (int i = 1; i <= pictures; ++i)
      doc.AddOrUpdatePicture(i, "bild" + std::to_string(i) + ".jpg",
                                 COleDateTime::FromCalendar(2020, 1, i, 12, 0, 0), 1000u + static_cast<unsigned>(i), "");
    std::string error;
    const std::string path = Path(name);
    if (!doc.OnSaveDocument(path, &error)) ADD_FAILURE() << error;
    return path;
  }

  /// A small JPEG in the temporary folder.
  std::string WriteJpeg(const std::string& name, int w = 64, int h = 48) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::darkCyan);
    const std::string path = Path(name);
    EXPECT_TRUE(img.save(QString::fromStdString(path), "JPEG"));
    return path;
  }
};

}  // namespace kolvaro::test
