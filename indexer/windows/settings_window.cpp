#include "indexer/windows/settings_window.h"

#include "base/path_utils.h"
#include "gui/desktop_actions.h"
#include "gui/file_chooser.h"
#include "gui/help_video_panel.h"
#include "indexer/app/indexer_settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace melo {

namespace {

const QString kHelpPage = QStringLiteral("help/melobank.html");

// On Linux the tools have no ".exe"; either name is offered, in either case.
const QString kFfmpegFilter = QStringLiteral("FFMPEG (ffmpeg FFMPEG ffmpeg.exe FFMPEG.exe)");
const QString kSoxFilter = QStringLiteral("SOX (sox SOX sox.exe SOX.exe)");

QLabel* Explanation(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

// A group titled `title` holding a path's edit box and its "Выбрать" button.
QGroupBox* PathGroup(const QString& title, QLineEdit*& edit, const std::function<void()>& choose, QWidget* parent) {
  auto* group = new QGroupBox(title, parent);
  edit = new QLineEdit(group);
  auto* button = new QPushButton(QStringLiteral("Выбрать"), group);
  QObject::connect(button, &QPushButton::clicked, parent, choose);
  auto* row = new QHBoxLayout(group);
  row->addWidget(edit, 1);
  row->addWidget(button);
  return group;
}

QString FolderOf(const QString& path) { return path.isEmpty() ? QString() : QFileInfo(path).absolutePath(); }

}  // namespace

TForm2::TForm2(IndexerSettings& settings, FileChooser& chooser, Dialogs& dialogs, int32_t processors,
               std::function<void()> writeSettings, QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      chooser_(chooser),
      dialogs_(dialogs),
      writeSettings_(std::move(writeSettings)),
      videoPanel_(new HelpVideoPanel(6, this)),
      pages_(new QTabWidget(this)) {
  setWindowTitle(QStringLiteral("Настройки"));
  setMinimumSize(920, 420);

  auto* left = new QVBoxLayout;
  videoPanel_->setFixedSize(240, 150);
  left->addWidget(videoPanel_);
  left->addWidget(Explanation(
      QStringLiteral("Перед началом работы необходимо загрузить и настроить путь к утилитам SOX и FFMPEG, а "
                     "также рекомендуется создать новую базу данных и выбрать рабочий каталог."),
      this));
  left->addStretch(1);

  pages_->addTab(MakeDatabasePage(), QStringLiteral("База данных и рабочий каталог"));
  pages_->addTab(MakeToolsPage(), QStringLiteral("Необходимые утилиты"));
  pages_->addTab(MakeSpeedPage(), QStringLiteral("Скорость индексации"));
  for (int32_t i = 1; i <= std::max(processors, int32_t{1}); ++i) threads_->addItem(QString::number(i));

  auto* save = new QPushButton(QStringLiteral("Сохранить"), this);
  auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);
  save->setDefault(true);
  connect(save, &QPushButton::clicked, this, &TForm2::SaveClick);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(save);
  buttons->addWidget(cancel);

  auto* body = new QHBoxLayout;
  body->addLayout(left);
  body->addWidget(pages_, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(body, 1);
  layout->addLayout(buttons);
}

QWidget* TForm2::MakeDatabasePage() {
  auto* page = new QWidget(this);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(PathGroup(QStringLiteral("База данных"), dbPath_, [this] { ChooseDatabase(); }, page));
  layout->addWidget(PathGroup(QStringLiteral("Рабочий каталог"), workDir_, [this] { ChooseWorkDirectory(); }, page));
  layout->addWidget(Explanation(
      QStringLiteral("База данных хранит отпечатки всех проиндексированных файлов вместе с их хешами и тегами; "
                     "этот же файл открывает Melodar для поиска. Создайте новую базу данных в меню «База данных» "
                     "или выберите готовый файл *.db.\n\nВ рабочем каталоге каждый поток индексации держит свои "
                     "временные файлы: копию исходного файла и извлечённый звук. Выберите каталог на быстром "
                     "локальном диске с запасом свободного места: от этого прямо зависит скорость индексации."),
      page));
  layout->addStretch(1);
  return page;
}

QWidget* TForm2::MakeToolsPage() {
  auto* page = new QWidget(this);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(PathGroup(QStringLiteral("Путь к FFMPEG"), ffmpeg_, [this] { ChooseTool(ffmpeg_, kFfmpegFilter); }, page));
  layout->addWidget(PathGroup(QStringLiteral("Путь к SOX"), sox_, [this] { ChooseTool(sox_, kSoxFilter); }, page));

  auto* download = new QGroupBox(QStringLiteral("Загрузка"), page);
  auto* grid = new QGridLayout(download);
  auto button = [&](const QString& text, const QString& hint, const QString& address, int row, int column) {
    auto* b = new QPushButton(text, download);
    b->setToolTip(hint);
    connect(b, &QPushButton::clicked, this, [this, address] { OpenAddress(address); });
    grid->addWidget(b, row, column);
  };
  button(QStringLiteral("FFMPEG"), QStringLiteral("Страница загрузки FFMPEG"), QStringLiteral("https://ffmpeg.org/download.html"), 0, 0);
  button(QStringLiteral("SOX"), QStringLiteral("Страница проекта SOX"), QStringLiteral("https://sourceforge.net/projects/sox/"), 1, 0);
  button(QStringLiteral("FFMPEG"), QStringLiteral("Загрузить с нашего сайта"), QStringLiteral("#tools"), 0, 1);
  button(QStringLiteral("SOX + Lame"), QStringLiteral("Содержит дополнительно библиотеку для работы с MP3 файлами"),
         QStringLiteral("#tools"), 1, 1);
  layout->addWidget(download);
  layout->addWidget(Explanation(
      QStringLiteral("FFMPEG извлекает звуковые дорожки из аудио и видео файлов, SOX переводит звук в формат, "
                     "из которого строятся отпечатки. Без этих утилит индексация невозможна. Кнопки в группе "
                     "«Загрузка» открывают страницы, откуда их можно получить; в Debian и Ubuntu проще всего "
                     "установить пакеты ffmpeg, sox и libsox-fmt-all."),
      page));
  layout->addStretch(1);
  return page;
}

QWidget* TForm2::MakeSpeedPage() {
  auto* page = new QWidget(this);
  auto* layout = new QVBoxLayout(page);
  auto* row = new QHBoxLayout;
  threads_ = new QComboBox(page);
  row->addWidget(new QLabel(QStringLiteral("Количество потоков"), page));
  row->addWidget(threads_);
  row->addStretch(1);
  layout->addLayout(row);
  copyToWorkDir_ = new QCheckBox(QStringLiteral("Копировать файлы в рабочий каталог"), page);
  layout->addWidget(copyToWorkDir_);
  layout->addWidget(Explanation(
      QStringLiteral("Каждый поток обрабатывает свой файл. Чем больше потоков, тем быстрее идёт индексация, "
                     "но тем больше расход памяти, загрузка процессора и, когда файлы лежат в сети, нагрузка "
                     "на сеть.\n\nКопирование в рабочий каталог ускоряет работу с файлами на медленных и сетевых "
                     "дисках. Если большие видео файлы не удаётся скопировать, уменьшите количество потоков или "
                     "отключите копирование."),
      page));
  layout->addStretch(1);
  return page;
}

bool TForm2::Edit(Page page) {
  HelpVideoPanel::StopPlay();
  SetPage(page);
  return exec() == QDialog::Accepted;
}

int TForm2::CurrentPage() const { return pages_->currentIndex(); }
void TForm2::SetPage(Page page) { pages_->setCurrentIndex(page); }

void TForm2::showEvent(QShowEvent* event) {
  dbPath_->setText(settings_.dbPath);
  workDir_->setText(settings_.workDir);
  ffmpeg_->setText(settings_.ffmpeg);
  sox_->setText(settings_.sox);
  threads_->setCurrentIndex(std::clamp(settings_.threads, 1, threads_->count()) - 1);
  copyToWorkDir_->setChecked(settings_.copyToWorkDir);
  QDialog::showEvent(event);
}

void TForm2::done(int result) {
  videoPanel_->Close();
  QDialog::done(result);
}

void TForm2::SaveClick() {
  settings_.dbPath = dbPath_->text();
  settings_.workDir = workDir_->text();
  settings_.ffmpeg = ffmpeg_->text();
  settings_.sox = sox_->text();
  settings_.threads = threads_->currentIndex() + 1;
  settings_.copyToWorkDir = copyToWorkDir_->isChecked();
  writeSettings_();
  accept();
}

void TForm2::ChooseDatabase() {
  const QString file =
      chooser_.OpenFile({{}, FolderOf(dbPath_->text()), QStringLiteral("Файлы баз данных (*.db)")});
  if (!file.isEmpty()) dbPath_->setText(file);
}

void TForm2::ChooseWorkDirectory() {
  const QString folder = chooser_.Directory({{}, workDir_->text(), {}});
  if (!folder.isEmpty()) workDir_->setText(folder);
}

void TForm2::ChooseTool(QLineEdit* edit, const QString& filter) {
  const QString file = chooser_.OpenFile({{}, FolderOf(edit->text()), filter});
  if (!file.isEmpty()) edit->setText(file);
}

void TForm2::OpenAddress(const QString& address) {
  if (address.startsWith(QLatin1Char('#'))) {
    ShowHelpPage(kHelpPage, address.mid(1), dialogs_, this);
  } else {
    OpenWithDesktop(address);
  }
}

}  // namespace melo
