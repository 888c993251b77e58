// "Pfadangaben ändern" runs as the command runs it.
#include <gtest/gtest.h>

#include <QLineEdit>

#include "core/meriskdoc.h"
#include "maintenance/dialogs/replacepathsdlg.h"
#include "res/strings.h"
#include "testsupport/fakes.h"
#include "testsupport/qt.h"

namespace kolvaro {
namespace {

TEST(ReplacePathsDlg, OnlyAlleErsetzenRewritesThePathsAndSaysHowMany) {
  for (const bool accept : {false, true}) {
    CMemorySettings settings;
    CMeriskDoc doc(settings);
    doc.OnNewDocument();
    const std::int32_t id = doc.AddPicture("alt\\a.jpg", COleDateTime(), 1, "");
    doc.SetModifiedFlag(false);
    test::CountingView view;
    doc.AddView(&view);
    test::OnNextModal([accept](QWidget* w) {
      auto* dlg = static_cast<QDialog*>(w);
      accept ? dlg->accept() : dlg->reject();
    });
    test::FakeUserQuestions ui;
    OnReplacePaths(doc, ui, nullptr, [](CReplacePathsDlg& dlg) {
      dlg.findChild<QLineEdit*>(QStringLiteral("searchEdit"))->setText(QStringLiteral("alt/"));
      dlg.findChild<QLineEdit*>(QStringLiteral("replaceEdit"))->setText(QStringLiteral("neu/"));
    });
    EXPECT_EQ(doc.Pictures().Find(id)->filename, accept ? "neu\\a.jpg" : "alt\\a.jpg");
    EXPECT_EQ(doc.IsModified(), accept);
    EXPECT_EQ(view.updates, accept ? 1 : 0);
    // The user hears what the command line prints.
    ASSERT_EQ(ui.messages.size(), accept ? 1u : 0u);
    if (accept) {
      EXPECT_EQ(ui.messages[0].text, FormatMessage(LoadString(IDS_CLI_PATHS_CHANGED), {1LL}));
    }
    doc.RemoveView(&view);
  }
}

}  // namespace
}  // namespace kolvaro
