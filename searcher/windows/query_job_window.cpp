#include "searcher/windows/query_job_window.h"

#include "searcher/app/last_search.h"
#include "searcher/app/query_input.h"
#include "searcher/app/searcher_session.h"
#include "searcher/windows/job_bar.h"

#include <QLabel>
#include <memory>

namespace melo::melodar {

QueryJobWindow::QueryJobWindow(SearcherSession& session, const LastSearch& last, const QString& title,
                               QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), last_(last), bar_(new JobBar(job_)), summary_(new QLabel) {
  setWindowTitle(title);
  summary_->setWordWrap(true);
  summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
}

QString QueryJobWindow::SummaryText() const { return summary_->text(); }

bool QueryJobWindow::HasQuery() {
  if (last_.HasQuery()) return true;
  summary_->setText(QStringLiteral("Нет аудио запроса: сначала выполните поиск."));
  return false;
}

bool QueryJobWindow::StartOnQuery(Work work, std::function<void()> done, bool needsIndex) {
  if (job_.Busy() || !HasQuery()) return false;
  if (needsIndex && !session_.IndexLoaded()) {
    summary_->setText(QStringLiteral("Дождитесь завершения загрузки базы данных!"));
    return false;
  }
  SearchParameters params = session_.Parameters();
  params.querySeconds = QuerySecondsOf(last_.samples->size());
  job_.Start([work = std::move(work), samples = last_.samples, params](JobProgress& progress) {
    work(*samples, params, progress);
  }, [done = std::move(done)](bool) { done(); });
  bar_->Follow();
  return true;
}

}  // namespace melo::melodar
