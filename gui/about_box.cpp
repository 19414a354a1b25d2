#include "gui/about_box.h"

#include "gui/content_files.h"
#include "gui/picture_file.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

namespace melo {

AboutBox::AboutBox(const QString& programName, const QString& description, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("О программе"));
  auto* row = new QHBoxLayout;
  QImage picture;
  if (LoadPictureFile(picture, ContentFile(programName.toLower() + QStringLiteral(".png")))) {
    auto* pictureLabel = new QLabel(this);
    pictureLabel->setPixmap(QPixmap::fromImage(picture.scaled(96, 96, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    pictureLabel->setAlignment(Qt::AlignTop);
    row->addWidget(pictureLabel);
  }
  auto* text = new QLabel(QStringLiteral("<h2>%1</h2><p>Версия %2</p><p>%3</p>")
                              .arg(programName.toHtmlEscaped(), QCoreApplication::applicationVersion().toHtmlEscaped(),
                                   description.toHtmlEscaped()),
                          this);
  text->setWordWrap(true);
  text->setMinimumWidth(320);
  row->addWidget(text, 1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(buttons);
}

}  // namespace melo
