#pragma once

#include <QWidget>

class QTextBrowser;
class QUrl;

namespace melo {

// The program's help pages, shown by the program itself rather than by a browser,
// so that help opens offline and on a machine without one. A link within the help
// is followed in the window; a web address opens in the browser.
class HelpWindow : public QWidget {
  Q_OBJECT

 public:
  explicit HelpWindow(QWidget* parent = nullptr);

  // Shows the page (a local HTML file) at the anchor `section`, or at its top.
  void Open(const QString& path, const QString& section);
  QTextBrowser* Browser() const { return browser_; }

  // The program's one help window, brought to the front. It belongs to `owner`'s
  // window (a modal dialog asking for help would otherwise block it), and closes
  // with it.
  static HelpWindow* ShowPage(const QString& path, const QString& section, QWidget* owner);

 private:
  QTextBrowser* browser_;
};

}  // namespace melo
