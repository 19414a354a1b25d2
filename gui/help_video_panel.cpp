#include "gui/help_video_panel.h"

#include "base/dialogs.h"
#include "gui/content_files.h"
#include "gui/picture_file.h"

#include <QAudioOutput>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QUrl>
#include <QVideoWidget>
#include <algorithm>
#include <vector>

namespace melo {

namespace {

std::vector<HelpVideoPanel*>& Panels() {
  static std::vector<HelpVideoPanel*> panels;
  return panels;
}

std::function<void(const QString&)>& ProgramLog() {
  static std::function<void(const QString&)> writeLine;
  return writeLine;
}

Dialogs*& PanelDialogs() {
  static Dialogs* dialogs = nullptr;
  return dialogs;
}

void Tell(const QString& text) {
  if (PanelDialogs()) PanelDialogs()->ShowMessage(text);
}

}  // namespace

HelpVideoPanel::HelpVideoPanel(int number, QWidget* parent)
    : QWidget(parent), number_(number), pictureLabel_(new QLabel(this)), video_(new QVideoWidget(this)) {
  setToolTip(QStringLiteral("Кликните мышкой чтобы начать или остановить воспроизведение"));
  setCursor(Qt::PointingHandCursor);
  setMinimumSize(160, 90);
  pictureLabel_->setAlignment(Qt::AlignCenter);
  video_->hide();
  // The children would swallow the clicks that belong to the panel.
  pictureLabel_->installEventFilter(this);
  video_->installEventFilter(this);
  Panels().push_back(this);
}

HelpVideoPanel::~HelpVideoPanel() {
  auto& panels = Panels();
  panels.erase(std::remove(panels.begin(), panels.end(), this), panels.end());
}

void HelpVideoPanel::SetProgramLog(std::function<void(const QString&)> writeLine) {
  ProgramLog() = std::move(writeLine);
}

void HelpVideoPanel::SetDialogs(Dialogs* dialogs) { PanelDialogs() = dialogs; }

void HelpVideoPanel::StopPlay() {
  for (HelpVideoPanel* panel : Panels()) panel->Close();
}

int HelpVideoPanel::LoadAllPictures() {
  int loaded = 0;
  for (HelpVideoPanel* panel : Panels()) loaded += panel->LoadPicture() ? 1 : 0;
  return loaded;
}

bool HelpVideoPanel::LoadPicture() {
  QImage picture;
  if (!LoadPictureFile(picture, ContentFile(QString::number(number_) + QStringLiteral(".jpg")))) return false;
  SetPicture(picture);
  return true;
}

void HelpVideoPanel::SetPicture(const QImage& picture) {
  picture_ = picture;
  ShowPicture();
}

bool HelpVideoPanel::HasContent() const {
  return !picture_.isNull() || QFileInfo(ContentFile(QString::number(number_) + QStringLiteral(".mpg"))).isFile();
}

QMediaPlayer::PlaybackState HelpVideoPanel::PlaybackState() const {
  return player_ ? player_->playbackState() : QMediaPlayer::StoppedState;
}

bool HelpVideoPanel::PictureShown() const { return !pictureLabel_->isHidden(); }

void HelpVideoPanel::Click() {
  pictureLabel_->hide();
  if (!fileName_.isEmpty()) {
    if (player_->playbackState() == QMediaPlayer::PlayingState)
      player_->pause();
    else
      player_->play();
    return;
  }
  Open();
}

void HelpVideoPanel::Open() {
  if (ProgramLog()) ProgramLog()(QStringLiteral("MediaPlayer %1.mpg").arg(number_));
  StopPlay();
  pictureLabel_->hide();
  const QString fileName = ContentFile(QString::number(number_) + QStringLiteral(".mpg"));
  if (!QFileInfo(fileName).isFile()) {
    ShowPicture();
    Tell(fileName);
    return;
  }
  if (!player_) {
    player_ = new QMediaPlayer(this);
    audio_ = new QAudioOutput(this);
    player_->setAudioOutput(audio_);
    player_->setVideoOutput(video_);
    connect(player_, &QMediaPlayer::errorOccurred, this, [this] { ReportFailure(); });
  }
  fileName_ = fileName;
  video_->setGeometry(rect());
  video_->show();
  player_->setSource(QUrl::fromLocalFile(fileName_));
  player_->play();
}

void HelpVideoPanel::ReportFailure() {
  const QString fileName = fileName_;
  Close();
  Tell(QStringLiteral("Ошибка инициализации: ") + fileName);
}

void HelpVideoPanel::DoubleClick() {
  if (fileName_.isEmpty() || player_->playbackState() == QMediaPlayer::PlayingState) return;
  player_->setPosition(0);
  player_->play();
}

void HelpVideoPanel::Close() {
  if (!fileName_.isEmpty()) {
    player_->stop();
    player_->setSource(QUrl());
    fileName_.clear();
  }
  ShowPicture();
}

void HelpVideoPanel::ShowPicture() {
  video_->hide();
  pictureLabel_->setGeometry(rect());
  pictureLabel_->setPixmap(picture_.isNull() ? QPixmap()
                                             : QPixmap::fromImage(picture_.scaled(
                                                   size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
  pictureLabel_->show();
}

bool HelpVideoPanel::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress) {
    Click();
    return true;
  }
  if (event->type() == QEvent::MouseButtonDblClick) {
    DoubleClick();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void HelpVideoPanel::mousePressEvent(QMouseEvent* event) {
  event->accept();
  Click();
}

void HelpVideoPanel::mouseDoubleClickEvent(QMouseEvent* event) {
  event->accept();
  DoubleClick();
}

void HelpVideoPanel::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  video_->setGeometry(rect());
  if (PictureShown()) ShowPicture();
}

}  // namespace melo
