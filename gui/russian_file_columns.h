#pragma once

#include <QIdentityProxyModel>

namespace melo {

// The columns of Qt's own file dialog, in Russian. Qt's Russian translations do
// not name a folder's type ("Folder"), and the dialog writes sizes and dates in
// the system's locale ("7 Dec", "2.93 KiB"), which is English on most machines
// whatever the program's own. Laid over the dialog's file system model, this
// writes those columns as the program writes sizes and dates.
class RussianFileColumns : public QIdentityProxyModel {
 public:
  using QIdentityProxyModel::QIdentityProxyModel;

  enum Column { kName, kSize, kType, kModified };

  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
};

}  // namespace melo
