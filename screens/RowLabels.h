#pragma once
// Skin labels that stand for the rows of a song screen's list: "songname0",
// "songname1", ... bound to a column, row buttons such as "delete0", and the
// screens' repeating timers.
#include <QString>
#include <QStringList>
#include <functional>

class QObject;
class QTimer;
class TItemList;
class TKVFormXML;
class TSubTitle;

// At most this many rows of labels on a page.
constexpr int kMaxRowLabels = 12;

// Binds the labels <prefix>0, <prefix>1, ... of the form to a column of the
// list, up to the first one the skin lacks; `each` then runs for every bound
// label. Gives how many were bound.
int BindRowLabels(TKVFormXML& form, TItemList& list, int column, const QString& prefix,
                  const std::function<void(TSubTitle*)>& click = {}, const std::function<void(TSubTitle*)>& each = {});

// A row label whose skin button has a key keeps that key: a click presses
// it (the skin gives row labels the keys that choose their rows). True when
// it has one.
bool KeepButtonKey(TKVFormXML& form, TSubTitle* label);

// Makes the labels <prefix>0, <prefix>1, ... row buttons: the row in Tag, a
// click calls `click` with the label. They keep the caption the skin shows.
void BindRowButtons(TKVFormXML& form, const QString& prefix, const std::function<void(TSubTitle*)>& click);

// Whether the key is that of the screen's skin button of that name (a
// button without a key, or a key of 0, never matches).
bool IsButtonKey(const TKVFormXML& form, const QString& button, int key);

// Shows the row buttons <prefix>0, <prefix>1, ... of each prefix only on the
// rows the list shows now; an empty list shows as page 1 of 1, not 0/0.
void ShowButtonsOfRows(TKVFormXML& form, const TItemList& list, const QStringList& prefixes);

// A repeating timer of the owner (not started). An error its handler raises
// is logged under the name instead of reaching the event loop.
QTimer* MakeScreenTimer(QObject* owner, int milliseconds, const QString& name, std::function<void()> tick);
