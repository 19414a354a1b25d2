#include "indexer/windows/run_window_layout.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace melo {

void LayOutRunWindow(QWidget* window, QLayout* top, const QString& listTitle, const RunWindowParts& parts) {
  parts.list->setUniformItemSizes(true);  // a long list lays out at once
  auto* group = new QGroupBox(listTitle);
  auto* groupLayout = new QVBoxLayout(group);
  groupLayout->addWidget(parts.list);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(parts.status, 1);
  for (QPushButton* button : {parts.start, parts.stop, parts.close}) buttons->addWidget(button);

  auto* layout = new QVBoxLayout(window);
  layout->addLayout(top);
  layout->addWidget(group, 1);
  layout->addWidget(parts.progress);
  layout->addLayout(buttons);
}

void ShowRunButtons(const RunWindowParts& parts, bool running) {
  parts.start->setVisible(!running);
  parts.close->setVisible(!running);
  parts.stop->setVisible(running);
}

}  // namespace melo
