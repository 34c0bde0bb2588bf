// The application object in a program of its own: the event loop's error boundary
// (KestrelApplication::notify) and Qt's own dialog texts in Japanese.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QEvent>
#include <QObject>
#include <QPushButton>
#include <cstdlib>
#include <new>
#include <stdexcept>
#include <vector>

#include "app/KestrelApplication.h"
#include "app/MessageBoxes.h"

using namespace kestrel;
using namespace kestrel::app;

namespace {

KestrelApplication* theApp = nullptr;

const QEvent::Type kThrowEvent = QEvent::Type(QEvent::User + 1);
const QEvent::Type kCountEvent = QEvent::Type(QEvent::User + 2);

// Throws what it is told for every kThrowEvent; counts the others.
class Handler : public QObject {
 public:
  enum class Throws { BadAlloc, Error, SilentAbort };
  explicit Handler(Throws what) : what_(what) {}
  int counted = 0;

  bool event(QEvent* e) override {
    if (e->type() == kCountEvent) {
      ++counted;
      return true;
    }
    if (e->type() != kThrowEvent) return QObject::event(e);
    switch (what_) {
      case Throws::BadAlloc:
        throw std::bad_alloc();
      case Throws::Error:
        throw std::runtime_error("ファイルが壊れています");
      case Throws::SilentAbort:
        throw SilentAbort();
    }
    return true;
  }

 private:
  Throws what_;
};

struct Boundary : ::testing::Test {
  std::vector<Message> shown;
  int dropped = 0;
  void SetUp() override {
    theApp->errorSink = [this](const Message& m) { shown.push_back(m); };
    theApp->onOutOfMemory = [this] { ++dropped; };
  }
  void TearDown() override {
    theApp->errorSink = nullptr;
    theApp->onOutOfMemory = nullptr;
  }
};

// Out of memory, reporting with the exception's text and a message box had no memory to run
// in either: the second failure escaped into Qt, which ended the program.
TEST_F(Boundary, OutOfMemoryIsReportedAndTheLoopGoesOn) {
  Handler handler(Handler::Throws::BadAlloc);
  QCoreApplication::postEvent(&handler, new QEvent(kThrowEvent));
  QCoreApplication::postEvent(&handler, new QEvent(kCountEvent));
  QCoreApplication::processEvents();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].kind, MessageKind::Error);
  EXPECT_EQ(shown[0].text, KestrelApplication::kOutOfMemoryMessage);
  EXPECT_EQ(dropped, 1);                // the window dropped what the command held
  EXPECT_EQ(handler.counted, 1);        // and the next event was handled
  EXPECT_TRUE(theApp->HoldsReserve());  // ready for the next time

  QCoreApplication::postEvent(&handler, new QEvent(kThrowEvent));
  QCoreApplication::processEvents();
  EXPECT_EQ(shown.size(), 2u);
}

TEST_F(Boundary, NothingThrownWhileReportingEscapesIntoQt) {
  theApp->errorSink = [](const Message&) { throw std::bad_alloc(); };
  theApp->onOutOfMemory = [] { throw std::bad_alloc(); };
  for (Handler::Throws what : {Handler::Throws::BadAlloc, Handler::Throws::Error}) {
    Handler handler(what);
    QEvent event(kThrowEvent);
    EXPECT_NO_THROW(EXPECT_FALSE(theApp->notify(&handler, &event)));
  }
}

TEST_F(Boundary, OtherErrorsShowTheirTextAndSilentAbortsNothing) {
  Handler error(Handler::Throws::Error), silent(Handler::Throws::SilentAbort);
  QCoreApplication::postEvent(&error, new QEvent(kThrowEvent));
  QCoreApplication::postEvent(&silent, new QEvent(kThrowEvent));
  QCoreApplication::processEvents();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, "ファイルが壊れています");
  EXPECT_EQ(dropped, 0);
}

// Qt's standard buttons (message boxes, the file and folder dialogs) take their texts from Qt's
// Japanese catalogue, which scripts/setup and the package install.
TEST(QtTexts, StandardButtonsAreJapanese) {
  ASSERT_TRUE(InstallJapaneseQtTexts(*theApp));
  QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Yes);
  EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), QString("キャンセル"));
  EXPECT_EQ(buttons.button(QDialogButtonBox::Yes)->text(), QString("はい(&Y)"));
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  KestrelApplication application(argc, argv);
  theApp = &application;
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
