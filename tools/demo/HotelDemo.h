#pragma once
// The demo installation's room-service database data/hotel.db (SQLite): a
// bar and snack menu with units, prices and additions (some dishes stopped or
// out of stock), staff cards, price rules for today and for every day with
// their time windows, rate types at several levels of the fallback, room
// arrangements with weekday time segments, gift rules, and the demo
// computer's room opened at the front desk 90 minutes ago with a few placed
// orders. Written afresh on every run, so the stay is always recent.
#include <QString>

// False with a message on failure.
bool WriteDemoHotel(const QString& exeDir, QString& error);
