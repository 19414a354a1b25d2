#include "gui/help_window.h"

#include <QFileInfo>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace melo {

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window), browser_(new QTextBrowser(this)) {
  setWindowTitle(QStringLiteral("Справка"));
  // Web addresses go to the browser; the help's own links stay here.
  browser_->setOpenExternalLinks(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(browser_);
  resize(900, 700);
  connect(browser_, &QTextBrowser::sourceChanged, this, [this] {
    const QString title = browser_->documentTitle();
    setWindowTitle(title.isEmpty() ? QStringLiteral("Справка") : title);
  });
}

void HelpWindow::Open(const QString& path, const QString& section) {
  QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
  if (!section.isEmpty()) url.setFragment(section);
  browser_->setSource(url);
}

HelpWindow* HelpWindow::ShowPage(const QString& path, const QString& section, QWidget* owner) {
  static QPointer<HelpWindow> window;
  QWidget* parent = owner ? owner->window() : nullptr;
  if (!window) {
    window = new HelpWindow(parent);
  } else if (window->parentWidget() != parent) {
    window->setParent(parent, Qt::Window);
  }
  window->show();
  window->Open(path, section);  // shown first: the anchor is scrolled to in the laid-out page
  window->raise();
  window->activateWindow();
  return window;
}

}  // namespace melo
