#pragma once

#include <QTimer>
#include <QWidget>

namespace melo {
class SearcherSession;
class TextTableModel;
}  // namespace melo

namespace melo::melodar {

// "Значения переменных": the search's parameters and the searcher's state now,
// shown anew twice a second while the window is open.
class VariablesWindow : public QWidget {
  Q_OBJECT

 public:
  VariablesWindow(const SearcherSession& session, QWidget* parent = nullptr);

  void Refresh();
  TextTableModel* Table() const { return table_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  const SearcherSession& session_;
  TextTableModel* table_;
  QTimer timer_;
};

}  // namespace melo::melodar
