#pragma once

#include <QList>
#include <QString>

namespace melo {

// The web pages the searcher opens in the user's browser.

// An image search for a track's title, so the user sees its cover and artist.
QString ImageSearchAddress(const QString& title);

// The recognition services of the "Альтернатива" menu, in its order.
struct WebService {
  QString name;
  QString address;
};
const QList<WebService>& AlternativeServices();

}  // namespace melo
