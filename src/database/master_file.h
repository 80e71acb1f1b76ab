#pragma once
// The master location file "master_vmar.loc" of a database: one zlib stream holding the
// magic "VMARV100" and then tagged items, each location a run of field tags closed by
// tag 199. The program only reads it; every record goes into the location tree.
#include <functional>
#include <string>

#include <QString>

#include "memory_stream.h"
#include "node_store.h"

class TRealm_info;

constexpr const char* kMasterMagic = "VMARV100";
constexpr size_t kMasterMagicSize = 8;
constexpr int kMasterProgressTags = 1024; // the progress bar moves once per this many tags

// What the loader tells the window around it. Every hook may be left empty.
struct MasterFileHooks {
    // Shows the progress bar with this maximum (stream size div 1024; 0 before inflating).
    std::function<void(int maximum)> progressStart;
    std::function<void(int position)> progressPosition; // stream position div 1024
    std::function<void()> progressEnd;                  // hides the bar
    std::function<void(const std::string& line)> log;   // one log-memo line, Windows-1252
};

class MasterFileLoader {
public:
    MasterFileLoader(NodeStore& store, TRealm_info& realm, MasterFileHooks hooks = {});

    // Loads DatabaseLangDir + "master_vmar.loc" into the store and logs I11 or the timing
    // line I4. True when the file was read whole: found, inflated, the right magic and its
    // end tag 255 (message S38 for a file that ends without it). The merge of the additions
    // file depends on this and on the header value (tag 201).
    bool loadmaster2();

    // Reads an inflated master stream from position 0 up to tag 255 or its end, adding one
    // location per record. False (after message S35) when the magic is wrong, and when the
    // stream ends before tag 255.
    bool process_file(MemoryStream& stream);

    // Tag 202: days since 1899-12-30, the fraction the time of day. Left as it was by a
    // file without tag 202.
    double DatabaseDate = 0.0;

private:
    void log(const std::string& line) const;
    void logDatabaseDate(double days) const;

    NodeStore& store_;
    TRealm_info& realm_;
    bool badMagic_ = false;
    QString path_; // the file being read, named by the message of an unknown mark; empty when none
    MasterFileHooks hooks_;
};
