#include "indexer/app/show_in_file_manager.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#ifdef MELO_HAVE_DBUS
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#endif

namespace melo {

namespace {

#ifdef MELO_HAVE_DBUS
bool ShowItemsOverDBus(const QString& path) {
  static const QString kService = QStringLiteral("org.freedesktop.FileManager1");
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || !bus.interface()) return false;
  // Only a running file manager or one that D-Bus can start answers; asking
  // anyone else would wait for the call's time-out.
  if (!bus.interface()->isServiceRegistered(kService).value() &&
      !bus.interface()->activatableServiceNames().value().contains(kService)) {
    return false;
  }
  QDBusMessage call = QDBusMessage::createMethodCall(kService, QStringLiteral("/org/freedesktop/FileManager1"),
                                                     kService, QStringLiteral("ShowItems"));
  // A URI in its encoded form, as the interface asks (blanks, Cyrillic letters).
  call << QStringList{QString::fromLatin1(QUrl::fromLocalFile(path).toEncoded())} << QString();
  return bus.send(call);
}
#endif

}  // namespace

bool ShowInFileManager(const QString& path) {
  const QFileInfo file(path);
#ifdef MELO_HAVE_DBUS
  if (file.exists() && ShowItemsOverDBus(file.absoluteFilePath())) return true;
#endif
  return QDesktopServices::openUrl(QUrl::fromLocalFile(file.absolutePath()));
}

}  // namespace melo
