#include "searcher/windows/window_parts.h"
#include "searcher/windows/player_window.h"

#include "base/dialogs.h"
#include "base/text_format.h"
#include "fingerprint/sample_buffer.h"
#include "gui/file_chooser.h"
#include "searcher/app/query_input.h"
#include "searcher/app/searcher_session.h"
#include "searcher/windows/job_bar.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace melo::melodar {

namespace {

constexpr int kDisplayMs = 200;

QString Time(int64_t samples) { return FormatDuration(samples / kSampleRate, false); }

}  // namespace

PlayerWindow::PlayerWindow(SearcherSession& session, Dialogs& dialogs, FileChooser& chooser, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), dialogs_(dialogs), chooser_(chooser), player_(session.Sound()) {
  setWindowTitle(QStringLiteral("Аудио плеер"));
  auto* open = new QPushButton(QStringLiteral("Открыть файл…"));
  connect(open, &QPushButton::clicked, this, &PlayerWindow::Open);
  file_ = new QLabel(QStringLiteral("Файл не выбран"));
  position_ = new QSlider(Qt::Horizontal);
  position_->setRange(0, 0);
  connect(position_, &QSlider::sliderMoved, this,
          [this](int tenth) { player_.Seek(int64_t{tenth} * kSampleRate / 10); });
  time_ = new QLabel(QStringLiteral("0:00 / 0:00"));
  time_->setMinimumWidth(120);
  auto* play = new QPushButton(QStringLiteral("Играть"));
  auto* pause = new QPushButton(QStringLiteral("Пауза"));
  auto* stop = new QPushButton(QStringLiteral("Стоп"));
  connect(play, &QPushButton::clicked, this, [this] {
    if (!player_.Play()) dialogs_.ShowMessage(QStringLiteral("Сначала откройте файл!"));
  });
  connect(pause, &QPushButton::clicked, this, [this] { player_.Pause(); });
  connect(stop, &QPushButton::clicked, this, [this] { player_.Stop(); });
  degradation_ = new QComboBox;
  degradation_->addItems({Degradation{}.Name(), QStringLiteral("Шум"), Degradation{Degradation::Kind::Echo}.Name(),
                          Degradation{Degradation::Kind::Telephone}.Name()});
  snr_ = new QDoubleSpinBox;
  snr_->setRange(-10, 60);
  snr_->setValue(10);
  snr_->setSuffix(QStringLiteral(" дБ"));
  snr_->setEnabled(false);
  connect(degradation_, &QComboBox::currentIndexChanged, this, &PlayerWindow::ApplyDegradation);
  connect(snr_, &QDoubleSpinBox::valueChanged, this, &PlayerWindow::ApplyDegradation);
  bar_ = new JobBar(job_);

  auto* grid = new QGridLayout;
  grid->addWidget(open, 0, 0);
  grid->addWidget(file_, 0, 1, 1, 4);
  grid->addWidget(position_, 1, 0, 1, 4);
  grid->addWidget(time_, 1, 4);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {play, pause, stop}) buttons->addWidget(b);
  buttons->addStretch();
  grid->addLayout(buttons, 2, 0, 1, 5);
  grid->addWidget(new QLabel(QStringLiteral("Искажение")), 3, 0);
  grid->addWidget(degradation_, 3, 1);
  grid->addWidget(new QLabel(QStringLiteral("Сигнал/шум")), 3, 2);
  grid->addWidget(snr_, 3, 3);
  grid->setColumnStretch(1, 1);
  auto* note = new QLabel(QStringLiteral(
      "Файл звучит в кольцо захвата, как если бы его услышал источник звука: «Поиск» и «Автопоиск» ищут его. "
      "Пока плеер играет, выбранный источник остановлен; «Стоп» и конец файла включают его снова."));
  note->setWordWrap(true);
  QPushButton* close = CloseButton(this);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(bar_);
  layout->addWidget(note);
  layout->addStretch();
  layout->addWidget(close, 0, Qt::AlignRight);
  resize(640, 230);
  connect(&display_, &QTimer::timeout, this, &PlayerWindow::ShowPosition);
  display_.start(kDisplayMs);
}

QString PlayerWindow::TimeText() const { return time_->text(); }

void PlayerWindow::Open() {
  const QString path = chooser_.OpenFile({QStringLiteral("Открыть аудио или видео файл"), QString(),
                                          QStringLiteral("Все файлы (*)")});
  if (!path.isEmpty()) Load(path);
}

bool PlayerWindow::Load(const QString& path) {
  if (job_.Busy()) return false;
  const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
  auto input = std::make_shared<QueryInput>();
  job_.Start([path, ffmpeg, input](JobProgress& progress) {
    progress.SetStage(QStringLiteral("Декодирование"));
    *input = ReadQueryMedia(path, ffmpeg, {-1, 0, RingPlayer::kLongestFile});
  }, [this, path, input](bool) {
    if (input->problem != QueryInputProblem::None) {
      session_.Log(QStringLiteral("Player file ") + path + QStringLiteral(": ") + input->error);
      dialogs_.ShowMessage(QStringLiteral("Ошибка декодирования файла!"));
      return;
    }
    player_.SetSamples(std::move(input->samples), QFileInfo(path).fileName());
    file_->setText(player_.Name());
    position_->setRange(0, static_cast<int>(player_.Duration() * 10 / kSampleRate));
    ShowPosition();
    ApplyDegradation();
  });
  bar_->Follow();
  return true;
}

Degradation PlayerWindow::ChosenDegradation() const {
  static constexpr Degradation::Kind kKinds[] = {Degradation::Kind::None, Degradation::Kind::Noise,
                                                 Degradation::Kind::Echo, Degradation::Kind::Telephone};
  return {kKinds[std::clamp(degradation_->currentIndex(), 0, 3)], snr_->value()};
}

void PlayerWindow::ApplyDegradation() {
  snr_->setEnabled(degradation_->currentIndex() == 1);
  const Degradation wanted = ChosenDegradation();
  // A change while the last one is made is taken up when that one is done.
  if (job_.Busy() || !player_.Original() || wanted == player_.CurrentDegradation()) return;
  auto played = std::make_shared<std::vector<int16_t>>();
  job_.Start([original = player_.Original(), wanted, played](JobProgress& progress) {
    progress.SetStage(QStringLiteral("Искажение"));
    *played = RingPlayer::Degraded(*original, wanted);
  }, [this, wanted, played](bool) {
    player_.SetDegraded(wanted, std::move(*played));
    ApplyDegradation();
  });
  bar_->Follow();
}

void PlayerWindow::ShowPosition() {
  if (!isVisible() && !player_.Playing()) return;
  time_->setText(Time(player_.Position()) + QStringLiteral(" / ") + Time(player_.Duration()));
  if (!position_->isSliderDown()) {
    const QSignalBlocker quiet(position_);
    position_->setValue(static_cast<int>(player_.Position() * 10 / kSampleRate));
  }
}

}  // namespace melo::melodar
