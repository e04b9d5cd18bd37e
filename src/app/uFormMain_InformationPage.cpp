#include "app/uFormMain_InformationPage.h"

#include <QHBoxLayout>
#include <QSplitter>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

#include "app/uFormMain_CommodityPage.h"

namespace qmz {

InformationPage::InformationPage(MainPageList* parent) : MainPage(parent) {
  setObjectName(QStringLiteral("pageInformation"));
  auto* group = new QButtonGroup(this);
  btInfBase = MakeSpeedButton(QStringLiteral("btInfBase"), QStringLiteral("Base"), this);
  btInfGood = MakeSpeedButton(QStringLiteral("btInfGood"), QStringLiteral("Good"), this);
  group->addButton(btInfBase);
  group->addButton(btInfGood);
  btInfBase->setChecked(true);

  plInformation = new MainPageList(this);
  plInformation->setObjectName(QStringLiteral("plInformation"));
  pageInfBase = MakePage(QStringLiteral("pageInfBase"), plInformation);
  pageInfGood = MakePage(QStringLiteral("pageInfGood"), plInformation);
  plInformation->Loaded();

  auto* splitter = new QSplitter(Qt::Vertical, pageInfBase);
  lbInfBase = MakeListBox(QStringLiteral("lbInfBase"), true, splitter);
  lbInfBase->setSelectionMode(QAbstractItemView::SingleSelection);
  QFont bold = lbInfBase->font();
  bold.setBold(true);
  lbInfBase->setFont(bold);
  tvInfBaseGood = MakeTreeView(QStringLiteral("tvInfBaseGood"), false, splitter);
  splitter->addWidget(lbInfBase);
  splitter->addWidget(tvInfBaseGood);
  splitter->setSizes({161, 200});
  auto* baseLayout = new QVBoxLayout(pageInfBase);
  baseLayout->setContentsMargins(0, 0, 0, 0);
  baseLayout->addWidget(splitter);

  tvInfCommos = MakeTreeView(QStringLiteral("tvInfCommos"), true, pageInfGood);
  auto* goodLayout = new QVBoxLayout(pageInfGood);
  goodLayout->setContentsMargins(0, 0, 0, 0);
  goodLayout->addWidget(tvInfCommos);

  reInformation = new QTextEdit(this);
  reInformation->setObjectName(QStringLiteral("reInformation"));
  reInformation->setReadOnly(true);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btInfBase);
  buttons->addWidget(btInfGood);
  auto* left = new QVBoxLayout;
  left->addLayout(buttons);
  left->addWidget(plInformation);
  auto* row = new QHBoxLayout(this);
  row->addLayout(left, 1);
  row->addWidget(reInformation, 1);
}

void InformationPage::ShowCard(const std::vector<TCardLine>& Lines) {
  reInformation->clear();
  QTextCursor cursor(reInformation->document());
  cursor.movePosition(QTextCursor::End);
  const QString boxFont = reInformation->font().family();
  bool first = true;
  for (const TCardLine& line : Lines) {
    QTextCharFormat format;
    format.setFontFamilies({line.Font.empty() ? boxFont : ToQString(line.Font)});
    format.setFontPointSize(line.Size);
    format.setFontWeight(line.Bold ? QFont::Bold : QFont::Normal);
    if (!first) cursor.insertBlock();
    first = false;
    // The block's own format gives an empty line the height of its font.
    cursor.setBlockCharFormat(format);
    cursor.setCharFormat(format);
    cursor.insertText(ToQString(line.Text));
  }
  reInformation->moveCursor(QTextCursor::Start);
}

void AddInfoNodes(MainTreeView* Tree, TWsTreeNode* Parent, const std::vector<TInfoNode>& Nodes) {
  for (const TInfoNode& n : Nodes) {
    TWsTreeNode* node = Tree->AddChild(Parent, ToQString(n.Text));
    if (n.Tag.IsEType) node->setData(0, ETypeRole, unsigned(n.Tag.EType));
    else node->setData(0, TagRole, QVariant::fromValue(IndexTag{n.Tag.Index, n.Tag.Kind}));
    AddInfoNodes(Tree, node, n.Children);
  }
}

}  // namespace qmz
