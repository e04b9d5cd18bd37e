// The selection pages' sorted lists and the hidden location box.

#include <QGroupBox>
#include <QRadioButton>
#include <QTest>

#include "MainWindowFixture.h"
#include "app/ModelAdapter.h"

namespace qmz::test {

namespace {

QStringList Texts(const QListWidget* list) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
  return out;
}

class SelectionListsTest : public StartedWindowTest {};

// The source lists sort ignoring letter case, as the chosen lists do: a name with a small first letter
// stands among the others, not after every capital.
TEST_F(SelectionListsTest, SourceListsSortIgnoringCase) {
  for (QListWidget* list : {w->lbFromBase, w->lbFromSystem, w->lbDestBase, w->lbDestSystem, w->lbInfBase}) {
    SCOPED_TRACE(list->objectName().toStdString());
    // As the start-up fills them: in case-insensitive order.
    const QStringList filled = Texts(list);
    ASSERT_FALSE(filled.isEmpty());
    QStringList sorted = filled;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    EXPECT_EQ(filled, sorted);
    TStringList names(true);
    for (const char* name : {"zeta Yard", "Harbour", "ice Port", "Jade Dock", "anchor Point"})
      names.AddObject(name, new TIndex(std::uint32_t(names.Count() + 1), 0));
    FillListFromModel(list, names, 1);
    EXPECT_EQ(Texts(list), (QStringList{"anchor Point", "Harbour", "ice Port", "Jade Dock", "zeta Yard"}));
  }
  // Chosen entries keep that order too.
  w->lbFromBase->item(2)->setSelected(true);
  w->lbFromBase->item(1)->setSelected(true);
  QTest::mouseClick(w->btAddFrom, Qt::LeftButton);
  EXPECT_EQ(Texts(w->lbOrigin), (QStringList{"Harbour", "ice Port"}));
}

// The location box of earlier versions stays hidden; its buttons enable Calculate and change nothing else.
TEST_F(SelectionListsTest, HiddenLocationBoxButtonsOnlyEnableCalculate) {
  ASSERT_TRUE(w->LocationBox != nullptr);
  EXPECT_TRUE(w->LocationBox->isHidden());
  EXPECT_EQ(w->findChild<QRadioButton*>(QStringLiteral("rbAny")), w->rbAny);
  EXPECT_EQ(w->findChild<QRadioButton*>(QStringLiteral("rbCommodity")), w->rbCommodity);
  const TWsTabBarItem* tab = w->tbRoutes->SelectedTab();
  // Shown for the test only, so the mouse can reach the buttons.
  w->LocationBox->show();
  for (QRadioButton* button : {w->rbCommodity, w->rbAny}) {
    SCOPED_TRACE(button->objectName().toStdString());
    w->SetCalculateEnabled(false);
    const bool reshow = w->btShowRoutes->isEnabled();
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
    EXPECT_TRUE(button->isChecked());
    EXPECT_TRUE(w->btCalculate->isEnabled());
    EXPECT_EQ(w->btShowRoutes->isEnabled(), reshow);
    EXPECT_EQ(w->tbRoutes->SelectedTab(), tab);
    EXPECT_EQ(w->lbOrigin->count() + w->lbDestination->count(), 0);
  }
}

}  // namespace

}  // namespace qmz::test
