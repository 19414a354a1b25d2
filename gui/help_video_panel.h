#pragma once

#include <QImage>
#include <QMediaPlayer>
#include <QString>
#include <QWidget>
#include <functional>

class QAudioOutput;
class QLabel;
class QVideoWidget;

namespace melo {

class Dialogs;

// The panel in which a window shows its still picture and, on a click, plays its
// short help video "<content>/<number>.mpg" in place of the picture.
//   click:         pause a playing video, play on a paused or stopped one, or, the
//                  first time, close every other panel's video and open this one;
//   double click:  play a paused or stopped video again from its start;
//   Close():       the window was closed: stop, forget the file, show the picture.
// Every panel of the program is known to StopPlay(), which closes all of them.
class HelpVideoPanel : public QWidget {
  Q_OBJECT

 public:
  explicit HelpVideoPanel(int number, QWidget* parent = nullptr);
  ~HelpVideoPanel() override;

  // Where the program writes "MediaPlayer <n>.mpg" and tells the user of a missing
  // or unplayable video. Set once by the main window; unset, nothing is written.
  static void SetProgramLog(std::function<void(const QString&)> writeLine);
  static void SetDialogs(Dialogs* dialogs);
  // Closes the video of every panel of the program and shows their pictures again.
  static void StopPlay();
  // Loads the still picture of every panel of the program (the main window does it
  // once, shortly after start-up); the number of pictures found.
  static int LoadAllPictures();

  // The picture "<content>/<number>.jpg"; a missing file leaves the panel empty.
  bool LoadPicture();
  void SetPicture(const QImage& picture);
  // Whether there is anything to show: a picture or the help video. A window
  // leaves out a panel that would stay an empty area.
  bool HasContent() const;

  void Click();
  void DoubleClick();
  void Close();

  // The file being shown, empty while the picture is.
  QString FileName() const { return fileName_; }
  QMediaPlayer::PlaybackState PlaybackState() const;
  bool PictureShown() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Open();
  void ShowPicture();
  void ReportFailure();

  const int number_;
  QImage picture_;
  QLabel* pictureLabel_;
  QVideoWidget* video_;
  QMediaPlayer* player_ = nullptr;  // made on the first click: most panels never play
  QAudioOutput* audio_ = nullptr;
  QString fileName_;
};

}  // namespace melo
