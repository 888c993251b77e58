// Kolvaro Infos on the menu: offered while the album has not locked it.
#include <gtest/gtest.h>

#include <QAction>

#include "res/commands.h"
#include "testsupport/app_fixture.h"

namespace kolvaro {
namespace {

TEST(AlbumSettingsCommands, AlbumInfoIsDisabledOnceTheAlbumLockedIt) {
  test::AppFixture f;
  ASSERT_TRUE(f.app->InitInstance({}, "/usr/bin/kolvaro"));
  CMainFrame* frame = f.app->MainFrame();
  QAction* info = frame->Action(ID_ALBUM_INFO);
  QAction* storage = frame->Action(ID_FILE_STORAGE);
  for (const int enabled : {1, 0}) {
    CMeriskDoc& doc = f.app->Document();
    doc.SetAlbumInfo(doc.AlbumInfo(), doc.UpdateUrl(), enabled);
    frame->UpdateCommandStates({info, storage});
    EXPECT_EQ(info->isEnabled(), enabled != 0);
    EXPECT_TRUE(storage->isEnabled());
  }
}

}  // namespace
}  // namespace kolvaro
