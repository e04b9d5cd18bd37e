#pragma once
// A page list with standard pages on a form, as a window builds it; shared by the page-list and tab-bar tests.

#include <QWidget>
#include <vector>

#include "widgets/WsPageList.h"

namespace qmz::test {

// n standard pages "Page 0" .. "Page n-1", the first one active.
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

}  // namespace qmz::test
