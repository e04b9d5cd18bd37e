#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <memory>
#include <vector>

#include "widgets/WsPageList.h"
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
