#pragma once

#include "searcher/app/background_job.h"
#include "searcher/app/ring_player.h"

#include <QTimer>
#include <QWidget>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QSlider;

namespace melo {
class Dialogs;
class FileChooser;
class SearcherSession;
}  // namespace melo

namespace melo::melodar {

class JobBar;

// "Аудио плеер": a test player with position and duration that plays a media
// file into the capture ring, as if it were heard, optionally through noise, a
// room's echo or a telephone's band, so that the searches take it up.
class PlayerWindow : public QWidget {
  Q_OBJECT

 public:
  PlayerWindow(SearcherSession& session, Dialogs& dialogs, FileChooser& chooser, QWidget* parent = nullptr);

  // Asks for a file and decodes it in the background.
  void Open();
  bool Load(const QString& path);
  RingPlayer& Player() { return player_; }
  const BackgroundJob& Job() const { return job_; }
  QComboBox* DegradationField() const { return degradation_; }
  QString TimeText() const;

 private:
  Degradation ChosenDegradation() const;
  // Makes the file degraded as chosen, in the background.
  void ApplyDegradation();
  void ShowPosition();

  SearcherSession& session_;
  Dialogs& dialogs_;
  FileChooser& chooser_;
  RingPlayer player_;
  BackgroundJob job_;
  QLabel* file_;
  QSlider* position_;
  QLabel* time_;
  QComboBox* degradation_;
  QDoubleSpinBox* snr_;
  JobBar* bar_;
  QTimer display_;
};

}  // namespace melo::melodar
