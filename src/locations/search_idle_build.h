#pragma once
// Keeps the search index up to date while the program is idle. Whenever the event loop is
// about to wait for events and the index no longer matches the tree (after a load, an edit,
// a cut or a merge), a zero timer builds it a few milliseconds at a time; the loop handles
// whatever came in between two slices, so the window stays responsive. A search that comes
// before the index is ready finishes what is left at once.
#include <chrono>
#include <functional>

#include <QObject>
#include <QTimer>

#include "search.h"

class SearchIndexIdleBuild : public QObject {
    Q_OBJECT
public:
    // index: the search whose index to keep (it may be replaced); paused: while true (a load
    // in progress, the window going), no slice runs.
    SearchIndexIdleBuild(std::function<LocationSearch*()> index, std::function<bool()> paused, QObject* parent);

    static constexpr std::chrono::milliseconds kSlice{4};
    // Slices run so far, and whether one is due.
    int slices() const { return slices_; }
    bool active() const { return timer_.isActive(); }

private:
    void check();
    void slice();

    std::function<LocationSearch*()> index_;
    std::function<bool()> paused_;
    QTimer timer_;
    int slices_ = 0;
};
