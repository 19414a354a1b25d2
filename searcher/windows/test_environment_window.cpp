#include "searcher/windows/window_parts.h"
#include "searcher/windows/test_environment_window.h"

#include "base/dialogs.h"
#include "gui/file_chooser.h"
#include "searcher/app/searcher_session.h"
#include "searcher/app/text_table_model.h"
#include "searcher/windows/job_bar.h"
#include "searcher/windows/text_table_view.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace melo::melodar {

namespace {

constexpr SearchMode kModes[] = {SearchMode::Fast, SearchMode::Thorough, SearchMode::Scrupulous, SearchMode::Noisy,
                                 SearchMode::Robust};
constexpr Degradation::Kind kKinds[] = {Degradation::Kind::None, Degradation::Kind::Noise, Degradation::Kind::Echo,
                                        Degradation::Kind::Telephone};

QSpinBox* Spin(int minimum, int maximum, int value) {
  auto* spin = new QSpinBox;
  spin->setRange(minimum, maximum);
  spin->setValue(value);
  return spin;
}

}  // namespace

TestEnvironmentWindow::TestEnvironmentWindow(SearcherSession& session, Dialogs& dialogs, FileChooser& chooser,
                                             QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), dialogs_(dialogs), chooser_(chooser) {
  setWindowTitle(QStringLiteral("Тестовое окружение"));
  folder_ = new QLineEdit;
  auto* choose = new QPushButton(QStringLiteral("Выбрать…"));
  connect(choose, &QPushButton::clicked, this, [this] {
    const QString dir = chooser_.Directory({QStringLiteral("Каталог с аудио и видео файлами"), folder_->text(), {}});
    if (!dir.isEmpty()) folder_->setText(dir);
  });
  excerpts_ = Spin(1, 1000, 5);
  seconds_ = Spin(3, 7, 4);
  seed_ = Spin(1, 1000000, 1);
  auto* settings = new QVBoxLayout;
  auto* folderRow = new QHBoxLayout;
  folderRow->addWidget(new QLabel(QStringLiteral("Каталог")));
  folderRow->addWidget(folder_, 1);
  folderRow->addWidget(choose);
  settings->addLayout(folderRow);
  auto* numbers = new QHBoxLayout;
  for (const auto& [text, field] : {std::pair{"Отрывков из файла", excerpts_}, std::pair{"Длина отрывка, с", seconds_},
                                    std::pair{"Начальное число", seed_}}) {
    numbers->addWidget(new QLabel(QString::fromUtf8(text)));
    numbers->addWidget(field);
    numbers->addSpacing(16);
  }
  numbers->addStretch();
  settings->addLayout(numbers);

  auto* conditions = new QGroupBox(QStringLiteral("Условия"));
  auto* conditionRow = new QHBoxLayout(conditions);
  for (const Degradation::Kind kind : kKinds) {
    auto* box = new QCheckBox(kind == Degradation::Kind::Noise ? QStringLiteral("Шум") : Degradation{kind}.Name());
    box->setChecked(kind == Degradation::Kind::None);
    conditionRow->addWidget(box);
    degradations_.append(box);
    if (kind == Degradation::Kind::Noise) {
      snr_ = new QDoubleSpinBox;
      snr_->setRange(-10, 60);
      snr_->setValue(10);
      snr_->setPrefix(QStringLiteral("сигнал/шум "));
      snr_->setSuffix(QStringLiteral(" дБ"));
      conditionRow->addWidget(snr_);
    }
  }
  conditionRow->addStretch();
  auto* modes = new QGroupBox(QStringLiteral("Режимы поиска"));
  auto* modeRow = new QHBoxLayout(modes);
  for (const SearchMode mode : kModes) {
    auto* box = new QCheckBox(ModeName(mode));
    box->setChecked(mode == session_.Mode() || mode == SearchMode::Robust);
    modeRow->addWidget(box);
    modes_.append(box);
  }
  modeRow->addStretch();

  auto* buttons = new QHBoxLayout;
  auto* start = new QPushButton(QStringLiteral("Начать"));
  connect(start, &QPushButton::clicked, this, &TestEnvironmentWindow::Start);
  auto* save = new QPushButton(QStringLiteral("Сохранить"));
  connect(save, &QPushButton::clicked, this, &TestEnvironmentWindow::Save);
  buttons->addWidget(start);
  buttons->addWidget(save);
  bar_ = new JobBar(job_);
  buttons->addWidget(bar_, 1);
  buttons->addStretch();
  status_ = new QLabel(QStringLiteral("Файлы каталога, которые есть в базе данных, должны находиться на своём месте; "
                                      "ответ на чужой файл ложный."));
  status_->setWordWrap(true);

  summary_ = new TextTableModel({QStringLiteral("Условие"), QStringLiteral("Режим"), QStringLiteral("Отрывков"),
                                 QStringLiteral("Верно"), QStringLiteral("Неверно"), QStringLiteral("Не найдено"),
                                 QStringLiteral("Полнота, %"), QStringLiteral("Ложных ответов"),
                                 QStringLiteral("Среднее время, мс"), QStringLiteral("Наибольшее время, мс")},
                                this);
  excerptRows_ = new TextTableModel({QStringLiteral("Файл"), QStringLiteral("Начало, с"), QStringLiteral("Условие"),
                                     QStringLiteral("Режим"), QStringLiteral("Ожидается"), QStringLiteral("Ответ"),
                                     QStringLiteral("Позиция"), QStringLiteral("Оценка"), QStringLiteral("Время, мс"),
                                     QStringLiteral("Итог")},
                                    this);
  auto* tabs = new QTabWidget;
  QTableView* summaryView = TextTableView(summary_, {170, 200, 75, 60, 70, 85, 85, 115, 130, 150});
  summaryView->horizontalHeader()->setStretchLastSection(true);
  tabs->addTab(summaryView, QStringLiteral("Полнота и время"));
  QTableView* excerptView = TextTableView(excerptRows_, {230, 75, 160, 190, 80, 230, 90, 60, 80, 120});
  excerptView->horizontalHeader()->setStretchLastSection(true);
  tabs->addTab(excerptView, QStringLiteral("Отрывки"));

  QPushButton* close = CloseButton(this);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(settings);
  layout->addWidget(conditions);
  layout->addWidget(modes);
  layout->addLayout(buttons);
  layout->addWidget(status_);
  layout->addWidget(tabs, 1);
  layout->addWidget(close, 0, Qt::AlignRight);
  resize(1240, 680);
}

RecallSettings TestEnvironmentWindow::Settings() const {
  RecallSettings s;
  s.folder = folder_->text();
  s.excerptsPerFile = excerpts_->value();
  s.seconds = seconds_->value();
  s.seed = static_cast<uint32_t>(seed_->value());
  s.degradations.clear();
  for (qsizetype i = 0; i < degradations_.size(); ++i) {
    if (degradations_[i]->isChecked()) s.degradations.push_back({kKinds[i], snr_->value()});
  }
  s.modes.clear();
  for (qsizetype i = 0; i < modes_.size(); ++i) {
    if (modes_[i]->isChecked()) s.modes.push_back(kModes[i]);
  }
  s.base = session_.Parameters();
  s.currentMode = session_.Mode();
  return s;
}

bool TestEnvironmentWindow::Start() {
  if (job_.Busy()) return false;
  if (!session_.IndexLoaded()) {
    dialogs_.ShowMessage(QStringLiteral("Дождитесь завершения загрузки базы данных!"));
    return false;
  }
  const RecallSettings settings = Settings();
  if (settings.folder.isEmpty() || settings.modes.empty() || settings.degradations.empty()) {
    dialogs_.ShowMessage(QStringLiteral("Выберите каталог, хотя бы одно условие и хотя бы один режим поиска!"));
    return false;
  }
  const SearchIndex& index = session_.Index();
  const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
  auto result = std::make_shared<RecallReport>();
  job_.Start([&index, settings, ffmpeg, result](JobProgress& progress) {
    *result = RunRecallBench(index, settings, ffmpeg, progress);
  }, [this, result](bool stopped) {
    report_ = *result;
    summary_->SetRows(report_.SummaryRows());
    excerptRows_->SetRows(report_.ExcerptRows(session_.Index()));
    QString text = QStringLiteral("Файлов %1, из них в базе данных %2; отрывков %3.")
                       .arg(report_.files)
                       .arg(report_.heldFiles)
                       .arg(report_.excerpts.size());
    if (stopped) text += QStringLiteral(" Остановлено.");
    if (!report_.problems.isEmpty()) {
      text += QStringLiteral(" Не прочитаны: %1.").arg(report_.problems.size());
      for (const QString& problem : report_.problems) session_.Log(QStringLiteral("Test environment: ") + problem);
    }
    status_->setText(text);
  });
  bar_->Follow();
  return true;
}

bool TestEnvironmentWindow::Save() {
  if (report_.excerpts.empty()) {
    dialogs_.ShowMessage(QStringLiteral("Нечего сохранять!"));
    return false;
  }
  return SaveLinesToChosenFile(chooser_, dialogs_, report_.Lines(session_.Index()));
}

}  // namespace melo::melodar
