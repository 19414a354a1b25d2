#include "searcher/windows/database_errors_window.h"

#include "gui/file_chooser.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace melo::melodar {

TForm3::TForm3(Dialogs& dialogs, FileChooser& chooser, QWidget* parent)
    : QWidget(parent, Qt::Window),
      dialogs_(dialogs),
      chooser_(chooser),
      group_(new QGroupBox(this)),
      text_(new QPlainTextEdit(group_)) {
  setWindowTitle(QStringLiteral("Ошибки в базе данных"));
  resize(720, 360);
  text_->setReadOnly(true);
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  (new QVBoxLayout(group_))->addWidget(text_);
  group_->setTitle(GroupCaption());

  auto* explanation = new QLabel(QStringLiteral(
      "Это записи базы данных, отпечатки которых не удалось прочитать: данные отпечатка пусты или повреждены. "
      "Такие записи не участвуют в поиске. Исправить базу данных можно в программе Melobank "
      "(меню «База данных», проверка базы данных)."));
  explanation->setWordWrap(true);

  auto* copy = new QPushButton(QStringLiteral("Копировать"));
  auto* save = new QPushButton(QStringLiteral("Сохранить"));
  auto* close = new QPushButton(QStringLiteral("Закрыть"));
  connect(copy, &QPushButton::clicked, this, &TForm3::Copy);
  connect(save, &QPushButton::clicked, this, [this] { SaveLinesToChosenFile(chooser_, dialogs_, lines_); });
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(copy);
  buttons->addWidget(save);
  buttons->addStretch();
  buttons->addWidget(close);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group_, 1);
  layout->addWidget(explanation);
  layout->addLayout(buttons);
}

QString TForm3::GroupCaption() const {
  return QStringLiteral("Сообщения об ошибках (%1)").arg(lines_.size());
}

void TForm3::AppendLine(const QString& line) {
  lines_.append(line);
  text_->appendPlainText(line);
  group_->setTitle(GroupCaption());
}

void TForm3::Copy() {
  text_->selectAll();
  text_->copy();
}

}  // namespace melo::melodar
