// Newer shipped content into an existing data file, keeping the user's diary and every plan day the user changed.
#pragma once

#include "datafile/partialfile.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

namespace datafile {

// The tables that are shipped content, replaced whole by an upgrade; one that the file lacks is made as the shipped
// file defines it.
const QStringList& contentTables();

struct UpgradeResult {
    bool upgraded = false; // false: the file's content was as new as the shipped one or newer; nothing was written
    int from = 0;
    int to = 0;
    QString backup;           // the checked backup written before the upgrade
    int planDaysReplaced = 0; // days that still held a shipped text and now hold the new one
    Durability durability = Durability::OnDisk;
};

// `shippedPath`: a database just built from the shipped content, its PRAGMA user_version the content version.
// `shippedPlans`: the seven day texts of every plan ever shipped (earlier versions and the current one).
// When the data file's content version is older: a checked backup into backups/ beside it, then in one transaction the
// content tables replaced by the shipped ones, each plan day replaced where it still holds a shipped text of that
// day, and the version raised. An equal or newer version writes nothing. Throws DataError with the reason (not a Tevu
// file, damaged, locked, read-only), leaving the file as it was.
UpgradeResult upgrade(const QString& dataPath, const QString& shippedPath, const QList<QStringList>& shippedPlans,
                      const QDateTime& now);

} // namespace datafile
