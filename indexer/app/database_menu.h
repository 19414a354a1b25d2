#pragma once

#include <QString>
#include <functional>

namespace melo {

class Dialogs;
class TDataModule1;
struct IndexerSettings;

// The commands of the main window's "База данных" menu that work on the
// connection itself: create, clear, compact, switch. The window asks for the file
// names; this class keeps the connection and the DBPath setting in step and says
// every outcome. All on the main thread.
class DatabaseMenu {
 public:
  DatabaseMenu(TDataModule1& store, IndexerSettings& settings, Dialogs& dialogs,
               std::function<void()> writeSettings);

  // Start-up: connects to DBPath when the file exists, else forgets DBPath.
  void OpenAtStartup();
  // Connects to DBPath when the connection is to another file or broken (the
  // settings window may have named another database); true when connected to it.
  bool FollowSettings();

  void Create(const QString& chosenName);  // ".db" appended when missing
  void Clear();                            // asks first; refused while another program indexes into it
  void Compact();
  void Switch(const QString& file);
  // "База данных не подключена!" when not connected; true when connected.
  bool RequireConnection();

 private:
  bool Connect(const QString& path);
  void Disconnect();
  // Connects to `path` and makes it DBPath; on failure goes back to the database
  // connected before.
  bool ConnectInstead(const QString& path);

  TDataModule1& store_;
  IndexerSettings& settings_;
  Dialogs& dialogs_;
  std::function<void()> writeSettings_;
  QString connectedPath_;
};

}  // namespace melo
