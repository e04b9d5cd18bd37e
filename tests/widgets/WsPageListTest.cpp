#include <gtest/gtest.h>

#include <QCheckBox>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QVBoxLayout>
#include <QtTest/QTest>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "widgets/WsPageList.h"
#include "util/ModalAnswer.h"
#include "widgets/WsPageListFixture.h"

namespace qmz {
namespace {

using test::PageListFixture;

TEST(WsPageListTest, HideAndShowPageKeepTheIndex) {
  PageListFixture single(1);
  TWsCustomPage* only = single.pages[0];
  EXPECT_EQ(single.list->HidePage(only), only);
  EXPECT_EQ(single.list->ActivePage(), nullptr);
  EXPECT_EQ(only->parent(), nullptr);
  EXPECT_EQ(single.list->HiddenPages().size(), 1);
  EXPECT_EQ(single.list->ShowPage(only, -1), only);
  EXPECT_EQ(only->PageIndex(), 0);
  EXPECT_EQ(single.list->ActivePage(), nullptr);
  EXPECT_TRUE(single.list->HiddenPages().isEmpty());

  PageListFixture f(3);
  f.list->SetActivePageIndex(1);
  TWsCustomPage* middle = f.pages[1];
  f.list->HidePage(middle);
  EXPECT_EQ(f.list->ActivePage(), f.pages[2]);
  EXPECT_EQ(f.list->GetPageCount(), 2);
  EXPECT_EQ(f.list->ShowPage(middle, 5), middle) << "an index out of range leaves the page last";
  EXPECT_EQ(middle->PageIndex(), 2);
  EXPECT_EQ(f.list->ShowPage(middle, 0), nullptr) << "a page in a list is not shown again";
  f.list->HidePage(middle);
  f.list->ShowPage(middle, -1);
  EXPECT_EQ(middle->PageIndex(), 2);
  PageListFixture other(1);
  EXPECT_EQ(other.list->HidePage(f.pages[0]), nullptr) << "pages of other lists are ignored";
  f.list->HidePage(middle);  // freed with its list: ASan reports it if it leaked
}

TEST(WsPageListTest, HiddenPagesAreFreedWithTheirList) {
  auto f = std::make_unique<PageListFixture>(2);
  f->list->HidePage(f->pages[1]);
  f.reset();  // ASan reports the page if it leaked
}

TEST(WsPageListTest, AddPageTakesTheFirstFreeNameAndAppendsWithoutActivating) {
  PageListFixture f(1);
  f.pages[0]->setObjectName("WsStandardPage1");
  f.list->AddPage("Routes");
  ASSERT_EQ(f.list->GetPageCount(), 2);
  TWsCustomPage* added = f.list->GetPage(1);
  EXPECT_EQ(added->objectName(), "WsStandardPage2");
  EXPECT_EQ(added->Caption(), "Routes");
  EXPECT_NE(dynamic_cast<TWsStandardPage*>(added), nullptr);
  EXPECT_EQ(f.list->ActivePage(), f.pages[0]);

  f.list->MovePage(1, 0);
  EXPECT_EQ(f.list->GetPage(0), added);
  f.list->PageCaptionChanged(0, "Renamed");
  EXPECT_EQ(added->Caption(), "Renamed");
  f.list->DeletePage(7);
  f.list->DeletePage(0);
  EXPECT_EQ(f.list->GetPageCount(), 1);
  f.list->HidePage(f.list->GetPage(0));
  f.list->AddPage("After");
  EXPECT_EQ(f.list->GetPage(0)->objectName(), "WsStandardPage2") << "a hidden page keeps its name taken";
}

TEST(WsPageListTest, PropagateEnableReachesEveryControlOnEveryPage) {
  PageListFixture f(2);
  auto* edit = new QLineEdit(f.pages[0]);
  auto* box = new QCheckBox(f.pages[1]);
  box->setEnabled(false);
  f.list->SetPropagateEnable(true);
  EXPECT_TRUE(box->isEnabled()) << "switching propagation on copies the list's state";
  f.list->setEnabled(false);
  EXPECT_FALSE(edit->isEnabled());
  f.list->setEnabled(true);
  EXPECT_TRUE(edit->isEnabled());
  EXPECT_TRUE(box->isEnabled());
}

// Focus inside the page that goes moves to the first control of the page that comes, else to the list.
TEST(WsPageListTest, FocusFollowsTheActivePage) {
  PageListFixture f(3);
  auto* first = new QLineEdit(f.pages[0]);
  auto* second = new QLineEdit(f.pages[1]);
  f.form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.form));
  first->setFocus();
  ASSERT_TRUE(first->hasFocus());
  f.list->SetActivePageIndex(1);
  EXPECT_TRUE(second->hasFocus());
  f.list->SetActivePageIndex(2);
  EXPECT_TRUE(f.list->hasFocus());
}

// Painting runs OnBeforePaint, the default drawing with OnPaint, and OnAfterPaint; with the default drawing
// turned off, erasing the background still shows the page's colour.
TEST(WsPageListTest, PaintEventsAndTheBackgroundWithoutTheDefaultDrawing) {
  PageListFixture f(1);
  TWsCustomPage* page = f.pages[0];
  page->SetColor(RgbColor(0, 128, 0));
  std::vector<std::string> log;
  bool defaultDraw = true;
  page->OnBeforePaint = [&](TWsCustomPage*, QPainter&, const QRect& rect, bool& draw) {
    log.push_back("before " + std::to_string(rect.width()));
    draw = defaultDraw;
  };
  page->OnPaint = [&](TWsCustomPage*, QPainter& canvas, const QRect&) {
    log.push_back("paint");
    canvas.fillRect(0, 0, 10, 10, Qt::red);
  };
  page->OnAfterPaint = [&](TWsCustomPage*, QPainter&, const QRect&) { log.push_back("after"); };
  QImage image = page->grab().toImage();
  EXPECT_EQ(log, (std::vector<std::string>{"before 300", "paint", "after"}));
  EXPECT_EQ(image.pixelColor(5, 5).name().toStdString(), "#ff0000");
  EXPECT_EQ(image.pixelColor(50, 50).name().toStdString(), "#008000");
  defaultDraw = false;
  log.clear();
  image = page->grab().toImage();
  EXPECT_EQ(log, (std::vector<std::string>{"before 300", "after"}));
  EXPECT_EQ(image.pixelColor(5, 5).name().toStdString(), "#008000");
  EXPECT_EQ(image.pixelColor(50, 50).name().toStdString(), "#008000");
}

// BorderWidth insets the client area: a list's pages and what a page lays out sit inside the border, which
// shows the control's own colour; a page paints its client area.
TEST(WsPageListTest, BorderWidthInsetsPagesAndTheControlsOnThem) {
  PageListFixture f(2);
  f.list->SetColor(RgbColor(0, 0, 255));
  f.list->SetBorderWidth(6);
  f.list->resize(200, 100);
  f.list->SetActivePageIndex(1);
  EXPECT_EQ(f.pages[1]->geometry(), QRect(6, 6, 188, 88));
  EXPECT_EQ(f.list->minimumSizeHint(), QSize(12, 12));
  auto* page = static_cast<TWsStandardPage*>(f.pages[1]);
  page->SetColor(RgbColor(0, 128, 0));
  page->SetBorderWidth(4);
  QRect painted;
  page->OnPaint = [&](TWsCustomPage*, QPainter& canvas, const QRect& rect) {
    canvas.fillRect(painted = rect, Qt::red);
  };
  const QImage image = f.list->grab().toImage();
  EXPECT_EQ(painted, QRect(4, 4, 180, 80));
  EXPECT_EQ(image.pixelColor(3, 50).name().toStdString(), "#0000ff");
  EXPECT_EQ(image.pixelColor(8, 50).name().toStdString(), "#008000");
  EXPECT_EQ(image.pixelColor(11, 50).name().toStdString(), "#ff0000");
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* edit = new QLineEdit(page);
  layout->addWidget(edit, 0, Qt::AlignTop);
  layout->activate();
  EXPECT_EQ(edit->geometry().topLeft(), QPoint(4, 4));
}

TEST(WsPageListTest, ShowAndHideFollowTheActivePage) {
  PageListFixture f(2);
  std::vector<std::string> log;
  for (int i = 0; i < 2; ++i) {
    f.pages[i]->OnShow = [&log, i](QWidget*) { log.push_back("show " + std::to_string(i)); };
    f.pages[i]->OnHide = [&log, i](QWidget*) { log.push_back("hide " + std::to_string(i)); };
  }
  f.form.show();
  f.list->SetActivePageIndex(1);
  f.form.hide();
  EXPECT_EQ(log, (std::vector<std::string>{"show 0", "show 1", "hide 0", "hide 1"}));
}

// What OnShow or OnHide raises goes to the application's exception handler, the program's when one is
// installed, else the default error box; the switch completes either way.
TEST(WsPageListTest, ShowAndHideExceptionsGoToTheApplicationsHandler) {
  PageListFixture f(2);
  f.form.show();
  f.pages[0]->OnHide = [](QWidget*) { throw std::runtime_error("hide failed"); };
  f.pages[1]->OnShow = [](QWidget*) { throw std::runtime_error("show failed"); };
  std::vector<std::pair<QObject*, std::string>> handled;
  SetApplicationHandleException(
      [&](QObject* sender, const std::exception& e) { handled.emplace_back(sender, e.what()); });
  EXPECT_NO_THROW(f.list->SetActivePageIndex(1));
  SetApplicationHandleException({});
  EXPECT_EQ(f.VisiblePages(), std::vector<int>{1});
  EXPECT_EQ(f.list->ActivePageIndex(), 1);
  EXPECT_EQ(handled, (decltype(handled){{f.pages[1], "show failed"}, {f.pages[0], "hide failed"}}));
  f.pages[0]->OnHide = nullptr;
  f.pages[0]->OnShow = [](QWidget*) { throw std::runtime_error("shown again"); };
  EXPECT_EQ(test::LabelOfModalBox("shown again", [&] { f.list->SetActivePageIndex(0); }).text, "shown again");
  EXPECT_EQ(f.VisiblePages(), std::vector<int>{0});
}

// PageIndex moves a page inside its list (only to an index in range) and is remembered while it is hidden;
// a list of the base class makes base pages named after their class.
TEST(WsPageListTest, PageIndexMovesThePageAndTheBaseListMakesBasePages) {
  PageListFixture f(3);
  f.pages[2]->SetPageIndex(0);
  EXPECT_EQ(f.list->GetPage(0), f.pages[2]);
  EXPECT_EQ(f.pages[0]->PageIndex(), 1);
  f.pages[2]->SetPageIndex(3);
  EXPECT_EQ(f.pages[2]->PageIndex(), 0);
  EXPECT_EQ(f.list->ActivePage(), f.pages[0]) << "moving activates nothing";
  f.list->HidePage(f.pages[1]);
  f.pages[1]->SetPageIndex(0);
  f.list->ShowPage(f.pages[1], -1);
  EXPECT_EQ(f.list->GetPage(0), f.pages[1]);

  auto* base = new TWsCustomPageList(&f.form);
  base->AddPage("Plain");
  ASSERT_EQ(base->GetPageCount(), 1);
  EXPECT_STREQ(base->GetPage(0)->metaObject()->className(), "qmz::TWsCustomPage");
  EXPECT_EQ(base->GetPage(0)->objectName(), "WsCustomPage1");
  EXPECT_EQ(base->GetPageCaption(0), "Plain");
}

// Asked to show a control on a hidden page, the list makes that page active, and so does a list further out.
TEST(WsPageListTest, ShowControlActivatesThePageThatHoldsIt) {
  PageListFixture f(3);
  auto* edit = new QLineEdit(new QWidget(f.pages[2]));
  f.list->ShowControl(edit);
  EXPECT_EQ(f.VisiblePages(), std::vector<int>{2});
  f.list->ShowControl(f.pages[1]);
  EXPECT_EQ(f.list->ActivePage(), f.pages[1]);
  PageListFixture other(1);
  other.list->ShowControl(edit);
  EXPECT_EQ(f.list->ActivePage(), f.pages[1]) << "a control of another list is not its business";
  auto* inner = new TWsPageList(f.pages[0]);
  new TWsStandardPage(inner);
  auto* deep = new QLineEdit(new TWsStandardPage(inner));
  inner->Loaded();
  inner->ShowControl(deep);
  EXPECT_EQ(inner->ActivePageIndex(), 1);
  EXPECT_EQ(f.list->ActivePage(), f.pages[0]);
}

}  // namespace
}  // namespace qmz
