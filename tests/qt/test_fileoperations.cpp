// Copying, moving and trashing picture files with the user's answers.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QTemporaryDir>

#include <cstdlib>
#include <sys/stat.h>

#include "qt/widgets/qtfileoperations.h"
#include "testsupport/qt.h"

namespace kolvaro {
namespace {

const std::string kTitle = "Bild kopieren ...";

void Write(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

QByteArray Read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<fehlt>");
}

QStringList Entries(const QString& folder) {
  return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// Answers the coming message boxes with `buttons` in turn, collecting their texts.
void Chain(std::shared_ptr<QStringList> texts, QStringList buttons) {
  if (buttons.isEmpty()) return;
  test::OnNextModal([texts, buttons](QWidget* w) mutable {
    auto* box = qobject_cast<QMessageBox*>(w);
    *texts << (box ? box->text() : u"<kein Meldungsfenster>"_qs);
    const QString button = buttons.takeFirst();
    Chain(texts, buttons);
    test::PressMessageBoxButton(w, button);
  });
}

std::shared_ptr<QStringList> Answer(const QStringList& buttons) {
  auto texts = std::make_shared<QStringList>();
  Chain(texts, buttons);
  return texts;
}

class FileOperationsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QDir(m_dir.path()).mkpath(u"quelle"_qs) && QDir(m_dir.path()).mkpath(u"ziel"_qs));
    Write(Src(u"a.jpg"_qs), "neues Bild a");
    Write(Src(u"b.jpg"_qs), "Bild b");
    Write(Dst(u"a.jpg"_qs), "altes Bild");
  }
  QString Src(const QString& name) const { return m_dir.filePath(u"quelle/"_qs + name); }
  QString Dst(const QString& name = {}) const { return m_dir.filePath(u"ziel/"_qs + name); }
  std::string Target() const { return Dst().toStdString(); }
  std::vector<std::string> Both() const {
    return {Src(u"a.jpg"_qs).toStdString(), Src(u"b.jpg"_qs).toStdString()};
  }

  QTemporaryDir m_dir;
  CQtFileOperations m_ops;
};

TEST_F(FileOperationsTest, CopyAsksBeforeReplacing) {
  auto asked = Answer({u"Nein"_qs});  // a stays, b arrives, the transfer is incomplete
  EXPECT_FALSE(m_ops.CopyFiles(Both(), Target(), kTitle));
  ASSERT_EQ(asked->size(), 1);
  EXPECT_TRUE(asked->first().contains(u"„a.jpg“"));
  EXPECT_EQ(Read(Dst(u"a.jpg"_qs)), "altes Bild");
  EXPECT_EQ(Read(Dst(u"b.jpg"_qs)), "Bild b");

  QFile::remove(Dst(u"b.jpg"_qs));
  asked = Answer({u"Abbrechen"_qs});  // nothing after the question happens
  EXPECT_FALSE(m_ops.CopyFiles(Both(), Target(), kTitle));
  EXPECT_EQ(Entries(Dst()), QStringList{u"a.jpg"_qs});
  EXPECT_EQ(Read(Dst(u"a.jpg"_qs)), "altes Bild");

  asked = Answer({u"Ja"_qs});
  EXPECT_TRUE(m_ops.CopyFiles(Both(), Target() + "/", kTitle));
  EXPECT_EQ(asked->size(), 1);
  EXPECT_EQ(Read(Dst(u"a.jpg"_qs)), "neues Bild a");
  EXPECT_EQ(Read(Src(u"a.jpg"_qs)), "neues Bild a");
  EXPECT_EQ(Entries(Dst()), (QStringList{u"a.jpg"_qs, u"b.jpg"_qs}));
  EXPECT_EQ(QFileInfo(Dst(u"a.jpg"_qs)).lastModified(), QFileInfo(Src(u"a.jpg"_qs)).lastModified());
}

TEST_F(FileOperationsTest, FailuresAreReportedAndLeaveTheTargetAsItWas) {
  // Reading fails after the copy has begun: the file it replaces survives.
  Write(Dst(u"mem"_qs), "altes Bild");
  auto asked = Answer({u"Ja"_qs, u"OK"_qs});
  EXPECT_FALSE(m_ops.CopyFiles({"/proc/self/mem"}, Target(), kTitle));
  ASSERT_EQ(asked->size(), 2);
  EXPECT_TRUE(asked->at(1).contains(u"„/proc/self/mem“") && asked->at(1).contains(u"Ein-/Ausgabefehler"));
  EXPECT_EQ(Read(Dst(u"mem"_qs)), "altes Bild");
  EXPECT_EQ(Entries(Dst()), (QStringList{u"a.jpg"_qs, u"mem"_qs}));

  // A missing source stops before the next file.
  asked = Answer({u"OK"_qs});
  EXPECT_FALSE(m_ops.CopyFiles({Src(u"fehlt.jpg"_qs).toStdString(), Both()[1]}, Target(), kTitle));
  ASSERT_EQ(asked->size(), 1);
  EXPECT_TRUE(asked->first().contains(u"fehlt.jpg") && asked->first().contains(u"nicht gefunden"));
  EXPECT_FALSE(QFile::exists(Dst(u"b.jpg"_qs)));

  // Moving a file onto itself must not lose it.
  asked = Answer({u"OK"_qs});
  EXPECT_FALSE(m_ops.MoveFiles({Dst(u"a.jpg"_qs).toStdString()}, Target(), kTitle));
  ASSERT_EQ(asked->size(), 1);
  EXPECT_TRUE(asked->first().contains(u"dieselbe Datei"));
  EXPECT_EQ(Read(Dst(u"a.jpg"_qs)), "altes Bild");
}

TEST_F(FileOperationsTest, MoveRenamesWithinAndCopiesAcrossFileSystems) {
  struct stat before {}, after{};
  ::stat(Both()[1].c_str(), &before);
  auto asked = Answer({u"Ja"_qs});
  EXPECT_TRUE(m_ops.MoveFiles(Both(), Target(), kTitle));
  EXPECT_EQ(Read(Dst(u"a.jpg"_qs)), "neues Bild a");
  EXPECT_TRUE(Entries(Src({})).isEmpty());
  ::stat(Dst(u"b.jpg"_qs).toLocal8Bit().constData(), &after);
  EXPECT_EQ(after.st_ino, before.st_ino);  // renamed, not copied

  struct stat shm {};
  if (::stat("/dev/shm", &shm) != 0 || shm.st_dev == after.st_dev)
    GTEST_SKIP() << "no second file system at /dev/shm";
  QTemporaryDir other(u"/dev/shm/kolvaro-test-XXXXXX"_qs);
  const QString source = other.filePath(u"c.jpg"_qs);
  Write(source, QByteArray(3 << 20, 'x'));
  const QDateTime modified = QFileInfo(source).lastModified();
  EXPECT_TRUE(m_ops.MoveFiles({source.toStdString()}, Target(), kTitle));
  EXPECT_FALSE(QFile::exists(source));
  EXPECT_EQ(Read(Dst(u"c.jpg"_qs)), QByteArray(3 << 20, 'x'));
  EXPECT_EQ(QFileInfo(Dst(u"c.jpg"_qs)).lastModified(), modified);
  EXPECT_EQ(Entries(Dst()), (QStringList{u"a.jpg"_qs, u"b.jpg"_qs, u"c.jpg"_qs}));
}

TEST_F(FileOperationsTest, TrashGoesToTheDataHomeTrashEvenBeforeItExists) {
  // A home of our own; the data folder does not exist yet.
  const QByteArray home = qgetenv("HOME"), data = qgetenv("XDG_DATA_HOME");
  qputenv("HOME", m_dir.path().toLocal8Bit());
  qputenv("XDG_DATA_HOME", m_dir.filePath(u"daten"_qs).toLocal8Bit());
  const QString cwd = QDir::currentPath();
  QDir::setCurrent(Dst());  // where a misplaced trash would land
  const bool trashed = m_ops.MoveToTrash(Both()[0]);
  auto asked = Answer({u"OK"_qs});
  const bool missing = m_ops.MoveToTrash(Both()[0]);
  QDir::setCurrent(cwd);
  qputenv("HOME", home);
  data.isNull() ? qunsetenv("XDG_DATA_HOME") : qputenv("XDG_DATA_HOME", data);

  EXPECT_TRUE(trashed);
  EXPECT_EQ(Entries(Dst()), QStringList{u"a.jpg"_qs});
  EXPECT_EQ(Read(m_dir.filePath(u"daten/Trash/files/a.jpg"_qs)), "neues Bild a");
  EXPECT_TRUE(QFile::exists(m_dir.filePath(u"daten/Trash/info/a.jpg.trashinfo"_qs)));
  EXPECT_FALSE(missing);
  ASSERT_EQ(asked->size(), 1);
  EXPECT_TRUE(asked->first().contains(u"Papierkorb"));
}


TEST_F(FileOperationsTest, TrashTakesOnlyARegularFile) {
  ASSERT_TRUE(QDir(Dst()).mkdir(u"ordner"_qs));
  ASSERT_TRUE(QFile::link(Src(u"a.jpg"_qs), Dst(u"link.jpg"_qs)));
  const QString paths[] = {Dst(u"ordner"_qs), Dst(u"link.jpg"_qs), u"a.jpg"_qs};
  for (const QString& path : paths) {
    auto asked = Answer({u"OK"_qs});
    EXPECT_FALSE(m_ops.MoveToTrash(path.toStdString())) << path.toStdString();
    ASSERT_EQ(asked->size(), 1);
    EXPECT_TRUE(asked->first().contains(u"nicht in den Papierkorb"));
  }
  EXPECT_TRUE(QFileInfo(Dst(u"ordner"_qs)).isDir());
  EXPECT_TRUE(QFileInfo(Dst(u"link.jpg"_qs)).isSymLink());
}

}  // namespace
}  // namespace kolvaro
