// Saving the route list onto something that is no regular file (here a FIFO behind a link): the user is
// told why and the FIFO stays a FIFO.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QStringList>
#include <filesystem>

#include "app/uFormGrid.h"
#include "util/TempDir.h"

using namespace qmz;
namespace fs = std::filesystem;

TEST(FormGridSaveTargetTest, ASaveOntoAFifoIsRefusedWithTheReason) {
  test::TempDir dir;
  const fs::path fifo = dir.Path() / "pipe", link = dir.Path() / "routes.csv";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  fs::create_symlink(fifo, link);
  TformGrid grid;
  QStringList messages;
  grid.ShowMessage = [&](const QString& text, const QString& caption) { messages << caption + "|" + text; };
  grid.AddRoutes({TRouteRow{"5", {"x"}}});
  grid.SaveRoutesTo(QString::fromStdString(link.string()));
  EXPECT_EQ(messages, QStringList(QStringLiteral("Save Routes|The routes could not be saved to \"%1\" (a FIFO, not "
                                                 "a regular file).")
                                      .arg(QString::fromStdString(link.string()))));
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(grid.lvRoutes->model()->rowCount(), 1);
}
