#pragma once

#include "searcher/app/background_job.h"
#include "searcher/app/recall_bench.h"

#include <QList>
#include <QWidget>

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace melo {
class Dialogs;
class FileChooser;
class SearcherSession;
class TextTableModel;
}  // namespace melo

namespace melo::melodar {

class JobBar;

// "Тестовое окружение" (Ctrl+F12): a folder of media files cut into excerpts at
// chance places, degraded as chosen and searched in the chosen modes; the recall
// and the times per condition and mode, each excerpt's outcome, and a file of
// both.
class TestEnvironmentWindow : public QWidget {
  Q_OBJECT

 public:
  TestEnvironmentWindow(SearcherSession& session, Dialogs& dialogs, FileChooser& chooser, QWidget* parent = nullptr);

  // What the fields ask for.
  RecallSettings Settings() const;
  bool Start();
  // Asks for a file and writes both tables into it.
  bool Save();
  const BackgroundJob& Job() const { return job_; }
  const RecallReport& Report() const { return report_; }
  QLineEdit* FolderField() const { return folder_; }
  QSpinBox* ExcerptsField() const { return excerpts_; }
  QSpinBox* SecondsField() const { return seconds_; }
  // In the order of the modes' values: "Быстрый" ... "Устойчивый".
  const QList<QCheckBox*>& ModeBoxes() const { return modes_; }
  // "Без искажений", "Шум", "Эхо комнаты", "Полоса 300–3400 Гц".
  const QList<QCheckBox*>& DegradationBoxes() const { return degradations_; }
  TextTableModel* Summary() const { return summary_; }
  TextTableModel* Excerpts() const { return excerptRows_; }

 private:
  SearcherSession& session_;
  Dialogs& dialogs_;
  FileChooser& chooser_;
  BackgroundJob job_;
  RecallReport report_;
  QLineEdit* folder_;
  QSpinBox* excerpts_;
  QSpinBox* seconds_;
  QSpinBox* seed_;
  QDoubleSpinBox* snr_;
  QList<QCheckBox*> modes_;
  QList<QCheckBox*> degradations_;
  JobBar* bar_;
  QLabel* status_;
  TextTableModel* summary_;
  TextTableModel* excerptRows_;
};

}  // namespace melo::melodar
