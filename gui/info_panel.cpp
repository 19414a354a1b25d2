#include "gui/info_panel.h"

#include "gui/help_video_panel.h"

#include <QLabel>
#include <QVBoxLayout>

namespace melo {

InfoPanel::InfoPanel(const QString& text, int videoNumber, QWidget* parent)
    : QGroupBox(QStringLiteral("Информация"), parent), video_(new HelpVideoPanel(videoNumber)) {
  auto* layout = new QVBoxLayout(this);
  auto* label = new QLabel(text);
  label->setWordWrap(true);
  layout->addWidget(label);
  video_->setFixedSize(240, 135);
  layout->addWidget(video_, 0, Qt::AlignHCenter);
  layout->addStretch();
}

}  // namespace melo
