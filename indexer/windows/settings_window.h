#pragma once

#include <QDialog>
#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QTabWidget;

namespace melo {

class Dialogs;
class FileChooser;
class HelpVideoPanel;
struct IndexerSettings;

// "Настройки": edits the six settings the indexer needs before it can index. It
// shows the main window's settings and changes them only on "Сохранить", which
// also has them written to the settings file.
class TForm2 : public QDialog {
  Q_OBJECT

 public:
  enum Page { kDatabasePage, kToolsPage, kSpeedPage };

  TForm2(IndexerSettings& settings, FileChooser& chooser, Dialogs& dialogs, int32_t processors,
         std::function<void()> writeSettings, QWidget* parent = nullptr);

  // Shows the dialog modally on `page`; true when the user saved.
  bool Edit(Page page);
  int CurrentPage() const;
  void SetPage(Page page);

 protected:
  void showEvent(QShowEvent* event) override;
  void done(int result) override;

 private:
  QWidget* MakeDatabasePage();
  QWidget* MakeToolsPage();
  QWidget* MakeSpeedPage();
  void SaveClick();
  void ChooseDatabase();
  void ChooseWorkDirectory();
  void ChooseTool(QLineEdit* edit, const QString& filter);
  void OpenAddress(const QString& address);

  IndexerSettings& settings_;
  FileChooser& chooser_;
  Dialogs& dialogs_;
  std::function<void()> writeSettings_;
  HelpVideoPanel* videoPanel_;
  QTabWidget* pages_;
  QLineEdit* dbPath_ = nullptr;
  QLineEdit* workDir_ = nullptr;
  QLineEdit* ffmpeg_ = nullptr;
  QLineEdit* sox_ = nullptr;
  QComboBox* threads_ = nullptr;
  QCheckBox* copyToWorkDir_ = nullptr;
};

}  // namespace melo
