#pragma once

#include "common/Result.h"

#include <QDate>

namespace kulvera {

class Connections;
class Prompter;
class SettingsAccess;
class SharedSettings;
class StoredTextCodec;

// The /RPx,y maintenance run: after an archive copy of the dish base, every
// use of product x in it (the positions of every collection and of the
// structured recipe tables) is made a use of product y, in one transaction.
// The copied names and composition of the positions stay as they were until
// the stored composition is re-synchronised. Connects the dish base when it
// is not connected yet (start-up runs this before connecting the bases).
struct ReplacementReport {
    QString archive; // the archive copy written
    int positions = 0; // rows changed
};

// The rows part of the run, without the archive copy: inside the caller's
// transaction when it has one. Returns the rows changed.
Result<int> replaceProductRows(
    Connections &connections, const SettingsAccess &settings, const StoredTextCodec &codec, qint64 from, qint64 to);

Result<ReplacementReport> replaceProductInDishBase(Connections &connections, SettingsAccess &settings,
    const SharedSettings &shared, Prompter &prompter, const QDate &today, qint64 from, qint64 to);

} // namespace kulvera
