#pragma once
// Skin labels that stand for the rows of a song screen's list: "songname0",
// "songname1", ... bound to a column, row buttons such as "delete0", and the
// screens' repeating timers.
#include <QString>
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

// Makes the labels <prefix>0, <prefix>1, ... row buttons: the row in Tag, a
// click calls `click` with the label. They keep the caption the skin shows.
void BindRowButtons(TKVFormXML& form, const QString& prefix, const std::function<void(TSubTitle*)>& click);

// A repeating timer of the owner (not started). An error its handler raises
// is logged under the name instead of reaching the event loop.
QTimer* MakeScreenTimer(QObject* owner, int milliseconds, const QString& name, std::function<void()> tick);
