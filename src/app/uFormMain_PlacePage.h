#pragma once
// The origin page ("From Origin") and its twin, the destination page ("to Destination"): four source
// buttons switching four source lists (bases, systems, regions, anywhere), the add, delete and clear
// buttons, and the chosen list.

#include <QWidget>
#include <array>

#include "app/uFormMain_Widgets.h"

namespace qmz {

// The names of one page's controls, which differ between the two pages.
struct PlacePageNames {
  QString Page;
  std::array<QString, 4> Buttons;  // base, system, region, anywhere
  QString PageList;
  std::array<QString, 4> Pages;
  std::array<QString, 4> Lists;
  QString Add, Del, Clear, Chosen;
};

PlacePageNames SourcePageNames();
PlacePageNames DestPageNames();

class PlacePage : public MainPage {
  Q_OBJECT

 public:
  PlacePage(const PlacePageNames& names, MainPageList* parent);

  std::array<QToolButton*, 4> Buttons{};
  MainPageList* PageList = nullptr;
  std::array<MainPage*, 4> Pages{};
  std::array<QListWidget*, 4> Lists{};
  QPushButton *Add = nullptr, *Del = nullptr, *Clear = nullptr;
  QListWidget* Chosen = nullptr;
  QButtonGroup* Group = nullptr;
};

}  // namespace qmz
