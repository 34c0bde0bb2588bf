// The " TEXT" tab: a 24-pixel bar (" 表示", "抽出", the search box, "▼" and "▲") over the
// text view. The main window connects the show box and the extract button to its dispatch
// and to the extraction.
#pragma once

#include <QWidget>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace kestrel::preview {

class TextView;

class TextTab : public QWidget {
  Q_OBJECT
 public:
  explicit TextTab(QWidget* parent = nullptr);

  TextView* View() const { return view_; }
  QCheckBox* ShowBox() const { return showBox_; }
  QPushButton* ExtractButton() const { return extractButton_; }
  QLineEdit* SearchBox() const { return searchBox_; }
  QToolButton* NextButton() const { return nextButton_; }
  QToolButton* PreviousButton() const { return previousButton_; }

  void FindNext();
  void FindPrevious();

 signals:
  // The " 表示" box changed; the view has been emptied already. The dispatch runs next.
  void ShowToggled(bool checked);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TextView* view_;
  QCheckBox* showBox_;
  QPushButton* extractButton_;
  QLineEdit* searchBox_;
  QToolButton* nextButton_;
  QToolButton* previousButton_;
};

}  // namespace kestrel::preview
