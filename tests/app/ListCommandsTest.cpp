// The commands on the selected entry take its path as the file system's bytes.
#include "app/ListCommands.h"

#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QObject>
#include <QUrl>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace kestrel::app {
namespace {

// Receives what the commands hand to the desktop instead of the desktop.
class UrlRecorder : public QObject {
  Q_OBJECT
 public:
  std::vector<std::string> urls;
 public slots:
  void Open(const QUrl& url) { urls.push_back(url.toEncoded().toStdString()); }
};

TEST(ListCommands, FolderOfKeepsOnlyARootsSeparator) {
  const std::pair<std::string, std::string> cases[] = {
      {"/work/a b.dwg", "/work"},
      {"/a.dwg", "/"},
      {"/w/caf\xe9/x\n.dwg", "/w/caf\xe9"},
      {"a.dwg", ""},
  };
  for (const auto& [path, folder] : cases)
    EXPECT_EQ(FolderOf(path), folder) << path;
}

#ifndef _WIN32
TEST(ListCommands, FileUrlsAreEncodedFromThePathsBytes) {
  const std::pair<std::string, std::string> cases[] = {
      {"/tmp/caf\xe9.txt", "file:///tmp/caf%E9.txt"},
      {"/tmp/a\nb.txt", "file:///tmp/a%0Ab.txt"},
      {"/w/a b#1?%.dwg", "file:///w/a%20b%231%3F%25.dwg"},
      {"/w/図.dwg", "file:///w/%E5%9B%B3.dwg"},
  };
  for (const auto& [path, url] : cases) {
    const QUrl u = LocalFileUrl(path);
    EXPECT_EQ(u.toEncoded().toStdString(), url);
    EXPECT_TRUE(u.isLocalFile());
  }
  EXPECT_EQ(LocalFileUrl("/w/図 #.dwg").toLocalFile(), QString::fromUtf8("/w/図 #.dwg"));
  const std::string cwd = std::filesystem::current_path().native();
  EXPECT_EQ(LocalFileUrl("rel/x.dwg"), LocalFileUrl(cwd + "/rel/x.dwg"));
}

TEST(ListCommands, OpenAndShowFolderHandTheDesktopTheRealName) {
  const std::filesystem::path folder =
      std::filesystem::path(::testing::TempDir()) / "kestrel-list-commands-caf\xe9";
  std::filesystem::create_directories(folder);
  const std::string file = (folder / "a\x90\n.dwg").native();
  std::ofstream(file) << "x";

  UrlRecorder recorder;
  QDesktopServices::setUrlHandler("file", &recorder, "Open");
  std::vector<Message> messages;
  const MessageSink sink = [&](const Message& m) { messages.push_back(m); };
  OpenWithAssociatedApp(file, sink);
  ShowFolderInFileManager(file, sink);
  OpenWithAssociatedApp(file + "-gone", sink);  // a path that does not exist: nothing
  QDesktopServices::unsetUrlHandler("file");
  std::filesystem::remove_all(folder);

  const std::string url =
      "file://" + QByteArray::fromStdString(folder.native()).toPercentEncoding("/").toStdString();
  EXPECT_EQ(recorder.urls, (std::vector<std::string>{url + "/a%90%0A.dwg", url + "/"}));
  EXPECT_TRUE(messages.empty());
}
#endif

}  // namespace
}  // namespace kestrel::app

#include "ListCommandsTest.moc"
