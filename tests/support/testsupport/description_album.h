#pragma once
// An album on disk for the picture view's tests: real JPEG files in a
// temporary folder, a document over memory settings, questions answered from
// a script, and every transaction record and file operation recorded.

#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "core/meriskdoc.h"
#include "core/ports/settings.h"
#include "testsupport/fakes.h"

namespace kolvaro::test {

class DescriptionAlbum : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder.isValid());
    doc.OnNewDocument();
    doc.SetAlbumFolder(folder.path().toStdString() + "/");
    doc.SetFileOperations(&files);
    doc.SetUserQuestions(&ui);
  }

  /// Writes a JPEG of w x h and adds it under `name` with `size` bytes; returns its id.
  std::int32_t AddPicture(const std::string& name, int w = 40, int h = 30, std::uint64_t size = 2048,
                          const std::string& title = {}) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    EXPECT_TRUE(image.save(folder.filePath(QString::fromStdString(name)), "JPG"));
    const std::int32_t id = doc.Pictures().NextId();
    doc.AddOrUpdatePicture(id, name, COleDateTime::FromCalendar(2024, 5, id, 12, 0, 0), size, title);
    return id;
  }

  /// Selects every picture by file name and starts logging from here on.
  void SelectAll() {
    doc.SelectPictures(-1, -1, 1);
    doc.SetTransactionLog(std::make_unique<RecordingLog>(records));
    doc.SetModifiedFlag(false);
  }

  QTemporaryDir folder;
  CMemorySettings settings;
  CMeriskDoc doc{settings};
  ScriptedQuestions ui{Answer::Yes};
  FakeFileOperations files;
  std::vector<std::string> records;
};

}  // namespace kolvaro::test
