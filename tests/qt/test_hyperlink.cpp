// Links: which addresses open, the box for those that do not, and the look.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDesktopServices>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>

#include "qt/widgets/hyperlink.h"
#include "testsupport/fakes.h"

namespace kolvaro {
namespace {

class UrlRecorder : public QObject {
  Q_OBJECT
 public slots:
  void Open(const QUrl& url) { opened << url.toString(); }

 public:
  QStringList opened;
};

// Any address that reaches the desktop's handler or the help window lands here instead.
struct DesktopStandIn {
  UrlRecorder recorder;
  QStringList helpPages;
  bool helpShown = true;
  const QStringList schemes = QStringLiteral("http https mailto file javascript data smb c").split(QLatin1Char(' '));
  DesktopStandIn() {
    for (const QString& s : schemes) QDesktopServices::setUrlHandler(s, &recorder, "Open");
    SetHelpPageOpener([this](const QString& page) { return helpPages << page, helpShown; });
  }
  ~DesktopStandIn() {
    for (const QString& s : schemes) QDesktopServices::unsetUrlHandler(s);
    SetHelpPageOpener(nullptr);
  }
};

void Click(CHyperLink& link) {
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), link.mapToGlobal(QPointF(2, 2)), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(&link, &release);
}

TEST(HyperLinkTest, OnlyWebAddressesAndKolvarosHelpPagesOpen) {
  const struct {
    const char* address;
    LinkTarget::Kind kind;
    const char* value;  // web address or help page; for refused ones the error code
  } cases[] = {
      {"https://kolvaro.de/update", LinkTarget::Web, "https://kolvaro.de/update"},
      {"  HTTP://Example.org/a%20b ", LinkTarget::Web, "http://example.org/a%20b"},
      {"mailto:info@kolvaro.de", LinkTarget::Web, "mailto:info@kolvaro.de"},
      // Only the fields a mail program shows: nothing it would attach unseen.
      {"mailto:a@example.com?attach=/etc/passwd", LinkTarget::Web, "mailto:a@example.com"},
      {"mailto:a@example.com?Subject=Neu%20im%20Album&%61ttach=~/.ssh/id_rsa&body=a%26b&cc=b@example.com",
       LinkTarget::Web, "mailto:a@example.com?subject=Neu%20im%20Album&body=a%26b&cc=b@example.com"},
      {"mk:@MSITStore:/usr/share/kolvaro/help/Kolvaro.chm::/html/update_nopage.html", LinkTarget::HelpPage,
       "html/update_nopage.html"},
      {"mk:@MSITStore:C:\\Programme\\Kolvaro\\KOLVARO.CHM::/html/entwickler/infoupdateurl.html#update",
       LinkTarget::HelpPage, "html/entwickler/infoupdateurl.html#update"},
      {"html/x.html", LinkTarget::HelpPage, "html/x.html"},
      // Hostile update addresses from someone else's album.
      {"", LinkTarget::Refused, "2"},
      {"file:///usr/bin/xterm", LinkTarget::Refused, "2"},
      {"/usr/bin/xterm", LinkTarget::Refused, "2"},
      {"C:\\Windows\\system32\\calc.exe", LinkTarget::Refused, "2"},
      {"rm -rf ~", LinkTarget::Refused, "2"},
      {"evil.sh", LinkTarget::Refused, "2"},
      {"../../etc/passwd.html", LinkTarget::Refused, "2"},
      {"mk:@MSITStore:Kolvaro.chm::/../../../etc/x.html", LinkTarget::Refused, "2"},
      {"mk:@MSITStore:Evil.chm::/html/x.html", LinkTarget::Refused, "2"},
      {"https://kolvaro.de/\nfile:///bin/sh", LinkTarget::Refused, "2"},
      {"http:/usr/bin/xterm", LinkTarget::Refused, "2"},
      {"javascript:alert(1)", LinkTarget::Refused, "1"},
      {"data:text/html,<script>alert(1)</script>", LinkTarget::Refused, "1"},
      {"smb://server/share/evil.exe", LinkTarget::Refused, "1"},
      {"vbscript:msgbox", LinkTarget::Refused, "1"},
  };
  for (const auto& c : cases) {
    const LinkTarget t = ClassifyLink(c.address);
    EXPECT_EQ(t.kind, c.kind) << c.address;
    if (c.kind == LinkTarget::Refused)
      EXPECT_EQ(t.error, std::stoi(c.value)) << c.address;
    else
      EXPECT_EQ(t.value.toStdString(), c.value) << c.address;
  }
}

TEST(HyperLinkTest, ErrorTextNamesTheCodeOrCallsItUnknown) {
  EXPECT_EQ(LinkErrorMessage(2), "Unable to open hyperlink:\n\nThe specified file was not found.");
  EXPECT_EQ(LinkErrorMessage(42), "Unable to open hyperlink:\n\nUnknown Error (42) occurred.");
}

TEST(HyperLinkTest, AHostileAddressOpensNothingAndShowsTheBox) {
  DesktopStandIn desktop;
  for (const char* address : {"file:///usr/bin/xterm", "/usr/bin/xterm", "javascript:alert(1)", "smb://s/x.exe",
                              "mk:@MSITStore:Evil.chm::/html/x.html"}) {
    test::FakeUserQuestions ui;
    CHyperLink link;
    link.SetUserQuestions(&ui);
    link.SetURL(QString::fromUtf8(address));
    Click(link);
    EXPECT_FALSE(link.IsVisited()) << address;
    ASSERT_EQ(ui.messages.size(), 1u) << address;
    EXPECT_EQ(ui.messages[0].kind, UserMessage::Kind::Warning);
    EXPECT_EQ(ui.messages[0].text, LinkErrorMessage(ClassifyLink(address).error));
  }
  EXPECT_TRUE(desktop.recorder.opened.isEmpty()) << desktop.recorder.opened.join(QLatin1Char(' ')).toStdString();
  EXPECT_TRUE(desktop.helpPages.isEmpty());
}

TEST(HyperLinkTest, VisitedOnlyAfterASuccessfulOpen) {
  DesktopStandIn desktop;
  test::FakeUserQuestions ui;
  CHyperLink link;
  link.SetUserQuestions(&ui);
  link.SetURL(QStringLiteral("mk:@MSITStore:Kolvaro.chm::/html/update_nopage.html"));
  EXPECT_EQ(link.toolTip(), link.URL());
  EXPECT_EQ(link.TextColour(), CHyperLink::kLinkColour);
  desktop.helpShown = false;
  Click(link);
  EXPECT_FALSE(link.IsVisited());
  EXPECT_EQ(ui.messages.size(), 1u);
  desktop.helpShown = true;
  Click(link);
  EXPECT_TRUE(link.IsVisited());
  EXPECT_EQ(link.TextColour(), CHyperLink::kVisitedColour);
  EXPECT_EQ(desktop.helpPages, QStringList(2, QStringLiteral("html/update_nopage.html")));
  link.SetURL(QStringLiteral("https://kolvaro.de/"));
  Click(link);
  EXPECT_EQ(desktop.recorder.opened, QStringList{QStringLiteral("https://kolvaro.de/")});
  EXPECT_EQ(ui.messages.size(), 1u);
}

TEST(HyperLinkTest, HoverColourUnderlineAndHandCursor) {
  CHyperLink link;
  link.SetURL(QStringLiteral("https://kolvaro.de/"));
  EXPECT_TRUE(link.font().underline());
  EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor);
  QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
  QApplication::sendEvent(&link, &enter);
  EXPECT_EQ(link.palette().color(QPalette::WindowText), link.palette().color(QPalette::Highlight));
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(&link, &leave);
  EXPECT_EQ(link.palette().color(QPalette::WindowText), CHyperLink::kLinkColour);
}

TEST(HyperLinkTest, AdjustsToItsTextKeepingTheEdgeOrCentreOfItsAlignment) {
  // Laid out at x 10..310, y 20..80; the x that stays: left edge, centre, right edge.
  const struct {
    Qt::Alignment align;
    int fixedX;
  } cases[] = {{Qt::AlignLeft | Qt::AlignTop, 10}, {Qt::AlignCenter, 160}, {Qt::AlignRight | Qt::AlignTop, 310}};
  for (const auto& c : cases) {
    CHyperLink link;
    link.setAlignment(c.align);
    link.setText(QStringLiteral("Kolvaro Version 2.4 Build 6.0"));
    link.setGeometry(10, 20, 300, 60);
    link.AdjustToText();
    const QRect r = link.geometry();
    EXPECT_EQ(r.size(), link.sizeHint());
    const bool centred = c.align & Qt::AlignHCenter;
    EXPECT_NEAR(centred ? r.center().x() + 1 : c.align & Qt::AlignRight ? r.right() + 1 : r.left(), c.fixedX, 1);
    EXPECT_NEAR(centred ? r.center().y() + 1 : r.top(), centred ? 50 : 20, 1);
  }
}

}  // namespace
}  // namespace kolvaro

#include "test_hyperlink.moc"
