#include "searcher/app/web_addresses.h"

#include <QUrl>

namespace melo {

QString ImageSearchAddress(const QString& title) {
  // The whole title is one query value: an "&" or "#" in it must not end it.
  return QStringLiteral("https://yandex.ru/images/search?text=") + QString::fromLatin1(QUrl::toPercentEncoding(title));
}

const QList<WebService>& AlternativeServices() {
  static const QList<WebService> services = {
      {QStringLiteral("Shazam"), QStringLiteral("https://www.shazam.com/")},
      {QStringLiteral("AHA Music"), QStringLiteral("https://www.aha-music.com/")},
      {QStringLiteral("Sound Hound"), QStringLiteral("https://www.soundhound.com/")},
      {QStringLiteral("AudD"), QStringLiteral("https://audd.io/")},
      {QStringLiteral("Musixmatch"), QStringLiteral("https://www.musixmatch.com/")},
  };
  return services;
}

}  // namespace melo
