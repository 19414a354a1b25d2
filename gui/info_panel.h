#pragma once

#include <QGroupBox>

namespace melo {

class HelpVideoPanel;

// The "Информация" block of a window: a few sentences about it above the window's
// help video panel, in a column of fixed width that "Показать информационные
// блоки" shows or hides.
class InfoPanel : public QGroupBox {
 public:
  InfoPanel(const QString& text, int videoNumber, QWidget* parent = nullptr);
  HelpVideoPanel* Video() const { return video_; }

 private:
  HelpVideoPanel* video_;
};

}  // namespace melo
