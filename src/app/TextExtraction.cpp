#include "app/TextExtraction.h"

#include <QAbstractButton>
#include <QAction>
#include <QProgressBar>
#include <QTabWidget>

#include "app/EventPump.h"
#include "preview/TextView.h"

namespace kestrel::app {
namespace {

// The text view and progress bar as the command's target. Each is held by a QPointer and the
// view's content generation is remembered: when events that ran meanwhile freed the view,
// replaced its text (a new selection's preview) or started another extraction, this run adds
// nothing more.
class ViewTarget : public extract::ExtractTarget {
 public:
  ViewTarget(preview::TextView* view, QProgressBar* progress, const MessageSink& messages,
             std::function<bool()> newest)
      : view_(view), progress_(progress), messages_(messages), newest_(std::move(newest)) {}

  void Clear() override {
    if (view_) view_->Clear();
    Remember();
  }
  void BeginUpdate() override {
    if (view_) view_->BeginUpdate();
  }
  void AddLines(const std::vector<std::string_view>& lines) override {
    if (!StillWanted()) return;
    view_->AddLinesUtf8(lines);
    Remember();
  }
  void EndUpdate() override {
    if (view_) view_->EndUpdate();
  }
  void SetProgress(int position, int maximum) override {
    if (!progress_) return;
    if (progress_->maximum() != maximum) progress_->setRange(0, maximum);
    progress_->setValue(position);
  }
  void Pump() override { pump_.Pump(); }
  void Message(const kestrel::Message& m) override {
    if (messages_) messages_(m);
  }
  bool StillWanted() override {
    return view_ && view_->ContentGeneration() == generation_ && newest_();
  }

 private:
  void Remember() {
    if (view_) generation_ = view_->ContentGeneration();
  }

  QPointer<preview::TextView> view_;
  QPointer<QProgressBar> progress_;
  MessageSink messages_;
  std::function<bool()> newest_;
  EventPump pump_;
  int generation_ = -1;
};

}  // namespace

TextExtraction::TextExtraction(TextExtractionParts parts, QObject* parent)
    : QObject(parent), parts_(std::move(parts)) {
  extractAction_ = new QAction(QStringLiteral("■ PDF から TEXT を抽出"), this);
  extractAction_->setData(extractAction_->text());
  usesPdfiumAction_ = new QAction(QStringLiteral("PDF Text 抽出に Pdfium.dll を使う"), this);
  usesPdfiumAction_->setCheckable(true);
  usesPdfiumAction_->setData(usesPdfiumAction_->text());
  connect(extractAction_, &QAction::triggered, this, &TextExtraction::Run);
  if (parts_.extractButton)
    connect(parts_.extractButton, &QAbstractButton::clicked, this, &TextExtraction::Run);
}

bool TextExtraction::UsesPdfEngine() const {
  return usesPdfiumAction_->isChecked();
}

void TextExtraction::SetUsesPdfEngine(bool on) {
  usesPdfiumAction_->setChecked(on);
}

void TextExtraction::Run() {
  if (parts_.tabs) parts_.tabs->setCurrentIndex(parts_.textTab);
  std::optional<std::string> path = parts_.selectedPath ? parts_.selectedPath() : std::nullopt;
  if (!path) return;
  extract::ExtractRequest request;
  request.path = std::move(*path);
  request.usePdfEngine = UsesPdfEngine();
  request.pdfAvailable = parts_.pdfAvailable ? parts_.pdfAvailable() : false;
  request.pdfView = pdfView;
  const int mine = ++generation_;
  QPointer<TextExtraction> self(this);
  ViewTarget target(parts_.view, parts_.progress, parts_.messages,
                    [self, mine] { return self && self->generation_ == mine; });
  ++running_;
  struct Done {
    QPointer<TextExtraction> self;
    ~Done() {
      if (self) --self->running_;
    }
  } done{self};
  extract::RunExtractCommand(request, target);
}

}  // namespace kestrel::app
