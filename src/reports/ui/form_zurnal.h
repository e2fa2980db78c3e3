#pragma once

#include <QTimer>
#include <QWidget>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace kv {

struct Config;
class JournalLoader;
class MessageTable;
class OperatorBoxes;

// What the journal viewer works with; all of it lives as long as the window.
struct JournalViewerServices {
  Config& cfg;              // the geometry fields (ZURNAL), kept for the run
  std::string config_file;  // the configuration file the geometry is written to on closing
  const MessageTable& messages;
  OperatorBoxes& boxes;
  std::function<std::tm()> local_time;
  // A line for the error file (a journal that could not be read).
  std::function<void(std::string_view)> log_error;
};

// The journal viewer ("Form_zurnal"): shows the electronic journal or the error file, read only,
// and searches it. It is opened without blocking; a large file is loaded piece by piece from the
// event loop, so the program keeps answering while it fills.
class TForm_zurnal final : public QWidget {
  Q_OBJECT
 public:
  explicit TForm_zurnal(JournalViewerServices services, QWidget* parent = nullptr);
  ~TForm_zurnal() override;

  // Elektronickapaska1Click / Chybovysubor1Click: caption and geometry, then the file's text
  // (refilled on every call), and the window shown in front.
  void Open(const std::string& path);
  bool loading() const { return load_timer_.isActive(); }

  // BitBtn_dalsiClick.
  void BitBtn_dalsiClick();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void LoadStep();
  void Append(std::string_view cp1250);

  JournalViewerServices services_;
  QLineEdit* Edit_datum;
  QPushButton* BitBtn_dalsi;
  QPlainTextEdit* RE_zurnal;
  QTimer load_timer_;
  std::unique_ptr<JournalLoader> loader_;
  std::string path_;
};

}  // namespace kv
