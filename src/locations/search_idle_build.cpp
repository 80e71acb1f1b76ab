#include "search_idle_build.h"

#include <QAbstractEventDispatcher>

SearchIndexIdleBuild::SearchIndexIdleBuild(std::function<LocationSearch*()> index, std::function<bool()> paused,
                                           QObject* parent)
    : QObject(parent), index_(std::move(index)), paused_(std::move(paused))
{
    timer_.setInterval(0);
    connect(&timer_, &QTimer::timeout, this, &SearchIndexIdleBuild::slice);
    // The loop about to wait is the moment the program has nothing else to do. The check is
    // two comparisons, cheap enough for every wait.
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(thread()))
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &SearchIndexIdleBuild::check);
}

void SearchIndexIdleBuild::check()
{
    if (timer_.isActive() || paused_()) return;
    const LocationSearch* index = index_();
    if (index && !index->upToDate()) timer_.start();
}

void SearchIndexIdleBuild::slice()
{
    LocationSearch* index = index_();
    if (!index || paused_()) {
        timer_.stop(); // the next wait of the loop looks again
        return;
    }
    ++slices_;
    if (index->buildFor(kSlice)) timer_.stop();
}
