#include <gtest/gtest.h>

#include <vector>

#include "widgets/WsPageList.h"

namespace qmz {
namespace {

// A page list with n standard pages, the first one active, as a window builds it.
struct PageListFixture {
  QWidget form;
  TWsPageList* list;
  std::vector<TWsCustomPage*> pages;
  int changes = 0;

  explicit PageListFixture(int n) : list(new TWsPageList(&form)) {
    for (int i = 0; i < n; ++i) {
      auto* page = new TWsStandardPage(list);
      page->SetCaption(QString("Page %1").arg(i));
      pages.push_back(page);
    }
    list->Loaded();
    list->OnChange = [this](QWidget*) { ++changes; };
  }

  std::vector<int> VisiblePages() const {
    std::vector<int> result;
    for (int i = 0; i < int(pages.size()); ++i)
      if (pages[i]->isVisibleTo(list)) result.push_back(i);
    return result;
  }
};

TEST(WsPageListTest, LoadedActivatesTheFirstPageAndOutOfRangeIndexesChangeNothing) {
  PageListFixture f(3);
  EXPECT_EQ(f.list->ActivePage(), f.pages[0]);
  f.list->SetActivePageIndex(1);
  for (int index : {-1, 3}) {
    f.list->SetActivePageIndex(index);
    f.list->DeletePage(index);
    EXPECT_EQ(f.list->ActivePageIndex(), 1) << index;
  }
  EXPECT_EQ(f.list->GetPageCount(), 3);
  EXPECT_EQ(f.VisiblePages(), std::vector<int>{1});
  EXPECT_EQ(f.changes, 1);
  EXPECT_EQ(f.list->GetPageCaption(2), "Page 2");
  EXPECT_EQ(f.list->GetPageCaption(3), "");
}

TEST(WsPageListTest, RefusedChangeKeepsTheOldPageAndShowsNoOther) {
  PageListFixture f(3);
  std::vector<int> asked;
  f.list->OnChanging = [&](TWsCustomPageList*, int index, bool& allow) {
    asked.push_back(index);
    allow = index != 2;
  };
  f.list->SetActivePageIndex(2);
  EXPECT_EQ(f.list->ActivePage(), f.pages[0]);
  EXPECT_EQ(f.VisiblePages(), std::vector<int>{0});
  EXPECT_EQ(f.changes, 0);
  f.list->SetActivePageIndex(1);
  EXPECT_EQ(f.VisiblePages(), std::vector<int>{1});
  EXPECT_EQ(asked, (std::vector<int>{2, 1}));
  EXPECT_EQ(f.changes, 1);
}

TEST(WsPageListTest, RemovingTheActivePageActivatesItsNeighbourEvenUnderAVeto) {
  struct Case {
    int active, expectedOldIndex;
    bool veto;
  };
  for (const Case& c : {Case{1, 2, false}, Case{2, 0, false}, Case{0, 1, true}}) {
    PageListFixture f(3);
    f.list->SetActivePageIndex(c.active);
    if (c.veto) f.list->OnChanging = [](TWsCustomPageList*, int, bool& allow) { allow = false; };
    delete f.pages[c.active];
    const auto* expected = f.pages[c.expectedOldIndex];
    f.pages.erase(f.pages.begin() + c.active);
    EXPECT_EQ(f.list->ActivePage(), expected) << c.active;
    EXPECT_EQ(f.list->GetPageCount(), 2);
    EXPECT_TRUE(expected->isVisibleTo(f.list));
    EXPECT_EQ(f.VisiblePages().size(), 1u);
  }
}

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

}  // namespace
}  // namespace qmz
