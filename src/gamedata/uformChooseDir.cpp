// The installation chooser dialog and its settings file.

#include "gamedata/uformChooseDir.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTextDocument>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "gamedata/uSVIni_IniFile.h"
#include "gamedata/uSvFunctions.h"
#include "platform/ExePath.h"
#include "platform/WholeFile.h"
#include "support/SysUtils.h"
#include "widgets/WsPlainText.h"
#include "widgets/WsStringGrid.h"

namespace qmz {

namespace {

constexpr const char* kGameRowTitle = "Starvagant Folder";
constexpr const char* kModRowTitle = "Orvane62 Mod";
// The game row's folder text when the registry names no installation: shown, but refused by "Use this one"
// and by the default's confirmation (HasFolder) instead of being handed to the loader as a folder, where
// it could only fail to load after the chooser has gone.
constexpr const char* kNotFound = "not Found";
// Where the default entry's folder is kept beside "Default", so the default still names the same
// installation when the fixed rows above it come or go.
constexpr const char* kDefaultFolderKey = "DefaultPath";
// A count beyond this is not trusted on its own (see ReadEntryCount).
constexpr int kPlausibleEntries = 1000;

enum { colTitle = 0, colFolder = 1 };

// "PathNum" as stored; a damaged huge count is cut to the entries the file holds, so opening the dialog
// never adds millions of empty rows.
int ReadEntryCount(const TIniFile& ini) {
  int n = std::max(0, ini.ReadInteger("MAIN", "PathNum", 0));
  if (n <= kPlausibleEntries) return n;
  int highest = -1;
  TStringList keys;
  for (const std::string section : {"Path", "Name"}) {
    ini.ReadSection(section, &keys);
    for (int i = 0; i < keys.Count(); ++i) {
      const std::string key(keys[i]);
      if (StartsText(section + "_", key)) highest = std::max(highest, StrToIntDef(key.substr(section.size() + 1), -1));
    }
  }
  return std::min(n, highest + 1);
}

}  // namespace

std::string TformChooseDir::DefaultSettingsFile() { return platform::ExecutableFolder() + "QMZ.ini"; }

TformChooseDir::TformChooseDir(QWidget* parent, std::string settingsFile, bool confirmDefault)
    : QDialog(parent),
      settingsFile_(settingsFile.empty() ? DefaultSettingsFile() : std::move(settingsFile)),
      confirmDefault_(confirmDefault) {
  BuildControls();
  FormCreate();
}

TformChooseDir::~TformChooseDir() = default;

void TformChooseDir::BuildControls() {
  setObjectName("formChooseDir");
  setWindowTitle("Choose Starvagant Installation");
  resize(447, 411);

  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName("Memo1");
  Memo1->setReadOnly(true);
  Memo1->setPlainText(
      "  Which Starvagant Installation do you want to use ?\n"
      " \n"
      "  You can add your own directorys, like the one from Orvane62 or\n"
      "  other mods, which are not installed in the original Starvagant folder.");
  QPalette memoPalette = Memo1->palette();
  memoPalette.setColor(QPalette::Base, QColor(0xFF, 0xFF, 0xD7));  // 14155775 as $00BBGGRR
  memoPalette.setColor(QPalette::Text, Qt::black);
  Memo1->setPalette(memoPalette);
  // Room for a fifth line: the last one wraps in fonts wider than the one the text was laid out for.
  Memo1->setFixedHeight(Memo1->fontMetrics().lineSpacing() * 5 + 2 * Memo1->frameWidth() +
                        2 * static_cast<int>(Memo1->document()->documentMargin()) + 4);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Memo1->viewport()->installEventFilter(this);

  sgPath = new TWsStringGrid(this);
  sgPath->setObjectName("sgPath");
  sgPath->SetAutoSort(false);
  sgPath->SetOptions(sgPath->Options() | goRowSelect);
  TWsGridColumn& title = sgPath->Columns().Add();
  title.SetCaption("Titel");
  title.SetName("Titel");
  title.SetReadOnly(true);
  title.SetWidth(149);
  TWsGridColumn& folder = sgPath->Columns().Add();
  folder.SetCaption("Folder");
  folder.SetName("Folder");
  folder.SetReadOnly(true);
  folder.SetWidth(356);
  // A hidden column marks the fixed rows (game folder, Orvane62), so the save skips them by what they
  // are, not by their title: a user's entry titled "Starvagant Folder" is kept instead of being lost at
  // the next save.
  TWsGridColumn& fixed = sgPath->Columns().Add();
  fixed.SetName("Fixed");
  fixed.SetVisible(false);
  sgPath->installEventFilter(this);

  auto makeButton = [this](const char* name, const QString& text) {
    auto* b = new QPushButton(text, this);
    b->setObjectName(name);
    b->setFlat(true);
    b->setAutoDefault(false);
    return b;
  };
  btAdd = makeButton("btAdd", "...");
  QFont bold = btAdd->font();
  bold.setBold(true);
  btAdd->setFont(bold);
  btAdd->setToolTip("Add an entry");
  btDel = makeButton("btDel", "...");
  btDel->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
  btDel->setToolTip("Delete the selected entry");
  btOk = makeButton("btOk", "Use this one");
  btAbort = makeButton("btAbort", "Close QMZ");
  btDefault = makeButton("btDefault", "Make default");

  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setInterval(125);

  auto* side = new QVBoxLayout;
  side->addWidget(btAdd);
  side->addWidget(btDel);
  side->addStretch();
  auto* middle = new QHBoxLayout;
  middle->addWidget(sgPath, 1);
  middle->addLayout(side);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(btOk);
  bottom->addWidget(btAbort);
  bottom->addStretch();
  bottom->addWidget(btDefault);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Memo1);
  layout->addLayout(middle, 1);
  layout->addLayout(bottom);

  connect(btOk, &QPushButton::clicked, this, &TformChooseDir::btOkClick);
  connect(btAbort, &QPushButton::clicked, this, &TformChooseDir::btAbortClick);
  connect(btAdd, &QPushButton::clicked, this, &TformChooseDir::btAddClick);
  connect(btDel, &QPushButton::clicked, this, &TformChooseDir::btDelClick);
  connect(btDefault, &QPushButton::clicked, this, &TformChooseDir::btDefaultClick);
  connect(Timer1, &QTimer::timeout, this, &TformChooseDir::Timer1Timer);

  if (QScreen* screen = QGuiApplication::primaryScreen()) move(screen->availableGeometry().center() - rect().center());
}

void TformChooseDir::AddEntry(const std::string& title, const std::string& folder, bool fixed) {
  sgPath->AddRow();
  const int row = sgPath->RowCount() - 1;
  sgPath->Columns().FindColumn("Titel")->SetText(row, title);
  sgPath->Columns().FindColumn("Folder")->SetText(row, folder);
  sgPath->Columns().FindColumn("Fixed")->SetText(row, fixed ? "1" : "");
}

bool TformChooseDir::IsFixedRow(int row) const { return !sgPath->Columns().FindColumn("Fixed")->GetText(row).empty(); }

bool TformChooseDir::HasFolder(int row) const {
  const std::string folder = sgPath->GetCell(colFolder, row);
  return !folder.empty() && !(IsFixedRow(row) && folder == kNotFound);
}

void TformChooseDir::Notice(const QString& text) {
  QMessageBox box(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
  box.setObjectName("ChooserNotice");
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

void TformChooseDir::FormCreate() {
  settingsIni_ = std::make_unique<TIniFile>(settingsFile_);
  defaultRow_ = -1;
  const std::string gameDir = GetGameInstallDir();
  AddEntry(kGameRowTitle, gameDir.empty() ? kNotFound : gameDir, true);
  const std::string modDir = FindSpecialModDir();
  if (!modDir.empty()) AddEntry(kModRowTitle, modDir, true);

  const int n = ReadEntryCount(*settingsIni_);
  for (int k = 0; k < n; ++k) {
    const std::string folder = settingsIni_->ReadString("Path", Format("Path_%d", k), "");
    const std::string title = settingsIni_->ReadString("Name", Format("Name_%d", k), "");
    AddEntry(title, folder, false);
  }

  const int stored = settingsIni_->ReadInteger("MAIN", "Default", -1);
  if (stored <= -1) return;
  int row = -1;
  const std::string folder = settingsIni_->ReadString("MAIN", kDefaultFolderKey, "");
  if (!folder.empty()) {
    for (int r = 0; r < sgPath->RowCount(); ++r)
      if (sgPath->GetCell(colFolder, r) == folder) {
        row = r;
        break;
      }
  } else if (stored < sgPath->RowCount()) {
    row = stored;  // a settings file from before the folder was kept beside the row
  }
  // A default that names no row any more (its entry was deleted by hand) is ignored.
  if (row < 0) return;
  defaultRow_ = row;
  sgPath->SetSelectedRow(row);
  // A default without a folder could only be refused: the dialog waits for the user instead.
  if (confirmDefault_ && HasFolder(row)) Timer1->start();
}

void TformChooseDir::FormShow() { sgPath->setFocus(); }

void TformChooseDir::FormClose() { settingsIni_.reset(); }

void TformChooseDir::done(int result) {
  QDialog::done(result);
  FormClose();
}

void TformChooseDir::Memo1DblClick() {}

void TformChooseDir::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FormShow();
}

void TformChooseDir::keyPressEvent(QKeyEvent* event) {
  // Escape would leave without saving the entries just added; the buttons and the title bar are the ways out.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

bool TformChooseDir::eventFilter(QObject* watched, QEvent* event) {
  // The memo keeps its own handling of the double click (selecting a word).
  if (event->type() == QEvent::MouseButtonDblClick && watched == Memo1->viewport()) Memo1DblClick();
  if (watched == sgPath && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      sgPathKeyPress(key);
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TformChooseDir::sgPathKeyPress(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) btOkClick();
}

std::string TformChooseDir::SelectedFolder() const {
  const int row = sgPath->GetSelectedRow();
  if (row < 0 || row >= sgPath->RowCount()) return {};
  return sgPath->GetCell(colFolder, row);
}

void TformChooseDir::SaveAndClose(int result) {
  if (!WriteSettings())
    PlainMessageBox(this, QMessageBox::Warning, windowTitle(),
                    QString::fromStdString(Format("The settings file %s could not be written.", settingsFile_)));
  done(result);
}

void TformChooseDir::btOkClick() {
  const int row = sgPath->GetSelectedRow();
  if (row >= 0 && row < sgPath->RowCount() && !HasFolder(row)) {
    Notice("This entry has no folder. Please choose another entry or add one.");
    return;
  }
  SaveAndClose(mrOk);
}

void TformChooseDir::btAbortClick() { SaveAndClose(mrAbort); }

void TformChooseDir::Timer1Timer() {
  Timer1->stop();
  confirmedByDefault_ = true;
  btOkClick();
}

void TformChooseDir::btAddClick() {
  bool ok = false;
  QString title = QInputDialog::getText(this, "Titel for Entry", "Please enter a title for the new entry",
                                        QLineEdit::Normal, "New Entry", &ok);
  // Cancel keeps the proposed title; the folder dialog decides whether an entry is added.
  if (!ok) title = "New Entry";
  QFileDialog browse(this, "Select a main starvagant Folder");
  browse.setObjectName("BrowseFolder");
  browse.setFileMode(QFileDialog::Directory);
  browse.setOption(QFileDialog::ShowDirsOnly);
  browse.setOption(QFileDialog::DontUseNativeDialog);
  if (browse.exec() != QDialog::Accepted || browse.selectedFiles().isEmpty()) return;
  const std::string folder = browse.selectedFiles().first().toStdString();
  if (folder.empty()) return;
  // The settings file keeps one entry a line.
  if (folder.find_first_of("\r\n") != std::string::npos) {
    Notice(
        "The name of this folder holds a line break, so it cannot be kept in the settings file.\n"
        "Please choose another folder.");
    return;
  }
  AddEntry(title.toStdString(), folder, false);
  sgPath->SetSelectedRow(sgPath->RowCount() - 1);
}

void TformChooseDir::btDelClick() {
  const int row = sgPath->GetSelectedRow();
  if (row < 0 || row >= sgPath->RowCount()) return;
  // The default keeps naming the same entry; deleting the default entry itself clears it.
  if (row == defaultRow_) {
    defaultRow_ = -1;
  } else if (row < defaultRow_) {
    --defaultRow_;
  }
  sgPath->DeleteRow(row);
}

void TformChooseDir::btDefaultClick() {
  QMessageBox box(QMessageBox::Question, "Set default Entry",
                  "Do you realy want to set this ebtry as default ?\n"
                  "You can't choose an entry the next startup, unless you delete the \"default\" in\n"
                  "the QMZ.ini file manually !!",
                  QMessageBox::Yes | QMessageBox::No);
  box.setDefaultButton(QMessageBox::No);
  if (box.exec() == QMessageBox::Yes) defaultRow_ = sgPath->GetSelectedRow();
}

bool TformChooseDir::WriteSettings() {
  namespace fs = std::filesystem;
  if (!settingsIni_) return false;
  // Every change goes into a copy, written through an INI object of its own, that replaces the settings
  // file in one rename, so an interrupted or refused save leaves the old list whole. A settings file that
  // is a link is saved at its target, so the link stays.
  const std::string target = platform::FollowFileLinks(settingsIni_->FileName());
  const std::string work = target + ".saving";
  std::error_code ec;
  if (fs::exists(target, ec)) {
    fs::copy_file(target, work, fs::copy_options::overwrite_existing, ec);
    if (ec) return false;
  } else {
    fs::remove(work, ec);
  }
  bool ok = true;
  try {
    TIniFile copy(work);
    copy.EraseSection("Path");
    copy.EraseSection("Name");
    copy.WriteInteger("MAIN", "Default", defaultRow_);
    if (defaultRow_ >= 0 && defaultRow_ < sgPath->RowCount()) {
      copy.WriteString("MAIN", kDefaultFolderKey, sgPath->GetCell(colFolder, defaultRow_));
    } else {
      copy.DeleteKey("MAIN", kDefaultFolderKey);
    }
    int k = 0;
    for (int row = 0; row < sgPath->RowCount(); ++row) {
      if (IsFixedRow(row)) continue;
      copy.WriteString("Path", Format("Path_%d", k), sgPath->GetCell(colFolder, row));
      copy.WriteString("Name", Format("Name_%d", k), sgPath->GetCell(colTitle, row));
      ++k;
    }
    copy.WriteInteger("MAIN", "PathNum", k);
  } catch (const EIniFileException&) {
    ok = false;
  }
  if (ok) {
    fs::rename(work, target, ec);
    ok = !ec;
  }
  if (!ok) fs::remove(work, ec);
  return ok;
}

}  // namespace qmz
