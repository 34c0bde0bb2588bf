// The folder combo box's order: a list loaded at once comes out as inserting its lines one after
// another gives.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCollator>
#include <QComboBox>
#include <QLocale>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>

#include "app/CatalogueController.h"
#include "app/MainWindow.h"

namespace fs = std::filesystem;
using namespace kestrel::app;

namespace {

QCollator BoxCollator() {
  QCollator collator;
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  return collator;
}

// Each line after every item that does not sort after it, found from the first item on: the
// order the box keeps.
QStringList OneByOne(const QStringList& lines) {
  const QCollator collator = BoxCollator();
  QStringList box;
  for (const QString& line : lines) {
    qsizetype at = 0;
    while (at < box.size() && collator.compare(box[at], line) <= 0)
      ++at;
    box.insert(at, line);
  }
  return box;
}

// The same order for long lists: a stable sort by the same comparison.
QStringList StableByCompare(QStringList lines) {
  const QCollator collator = BoxCollator();
  std::stable_sort(lines.begin(), lines.end(),
                   [&](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
  return lines;
}

// Folder paths as users keep them: names that differ only in letter case or width, Japanese
// names, digits, blanks and punctuation, duplicates, an empty line.
QStringList FolderLines(int count, unsigned seed) {
  const char* names[] = {"Projects", "projects", "PROJECTS", "図面", "設計", "平成30年度",
                         "ﾃｽﾄ",      "テスト",   "ＡＢＣ",   "abc",  "Abc",  "Site_B",
                         "site-b",   "Rev A",    "rev_a",    "10",   "9",    "Ä",
                         "a",        "äb",       ""};
  std::mt19937 rng(seed);
  QStringList lines;
  for (int i = 0; i < count; ++i) {
    if (rng() % 50 == 0) {
      lines << (lines.isEmpty() ? QString() : lines[rng() % lines.size()]);  // a duplicate
      continue;
    }
    QString path = rng() % 2 ? "/home/u" : "D:";
    for (int depth = 1 + rng() % 3; depth > 0; --depth)
      path += "/" + QString::fromUtf8(names[rng() % std::size(names)]);
    if (rng() % 3 == 0) path += QString::number(rng() % 1000);
    lines << path;
  }
  lines << ""
        << "/"
        << " /home"
        << "/home/U"
        << "/home/u";
  return lines;
}

// Runs `body` with each of these locales as the default one (the C locale's collator compares
// without ICU; the others through it).
template <typename F>
void InLocales(F body) {
  const QLocale saved;
  for (const char* name : {"C", "ja_JP", "en_US", "de_DE"}) {
    SCOPED_TRACE(name);
    QLocale::setDefault(QLocale(name));
    body();
  }
  QLocale::setDefault(saved);
}

}  // namespace

TEST(FolderList, SortedAtOnceAsInsertedOneByOne) {
  InLocales([] {
    const QStringList lines = FolderLines(600, 5);
    const QStringList expected = OneByOne(lines);
    EXPECT_EQ(CatalogueController::SortedLikeInsertSorted(lines), expected);
    EXPECT_EQ(StableByCompare(lines), expected);

    // Single inserts into a filled box land where they always did.
    QComboBox box;
    for (const QString& line : lines)
      CatalogueController::InsertSorted(&box, line);
    QStringList items;
    for (int i = 0; i < box.count(); ++i)
      items << box.itemText(i);
    EXPECT_EQ(items, expected);
  });
}

TEST(FolderList, AFortyThousandLineListLoadsInTheBoxOrder) {
  const fs::path root = fs::temp_directory_path() / ("kestrel-folders-" + std::to_string(getpid()));
  fs::remove_all(root);
  fs::create_directories(root);
  const QStringList lines = FolderLines(40'000, 9);
  InLocales([&] {
    {
      // Each window's shut-down writes the list back sorted.
      std::ofstream f(root / "KestrelTopFolders.txt", std::ios::binary | std::ios::trunc);
      for (const QString& line : lines)
        f << line.toStdString() << "\r\n";
    }
    AppEnvironment env;
    env.settingsFolder = root.string() + "/";
    env.settingsFileName = "kestrel.ini";
    env.messages = [](const kestrel::Message&) {};
    env.forcePdfUnavailable = true;
    MainWindow w(env);
    QStringList items;
    for (int i = 0; i < w.folderCombo()->count(); ++i)
      items << w.folderCombo()->itemText(i);
    EXPECT_TRUE(items == StableByCompare(lines));
  });
  fs::remove_all(root);
}
