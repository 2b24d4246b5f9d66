#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Recordset.h"

class StickConnection;

// The stick tool's first action: every tag the stick holds, read in the form the stick shows
// them and sorted as the tag read options ask. Nothing reaches the register, and nothing here
// knows the window: it is given the options and a help line to say how far the read is, and
// hands back the table for the window to choose from and put out.
class StickTagRead {
public:
    // What the tag read options ask of a read itself (the choice of tags and the output are
    // the window's).
    struct Options {
        bool sortTags = false;
        bool includeGroupLabels = false;
    };
    using HelpLine = std::function<void(const std::string&)>;

    StickTagRead(const Options& options, HelpLine help, StickConnection& stick)
        : options_(options), help_(std::move(help)), stick_(stick) {}
    // The stick's tags, one row each; none (after the message that says why) when the stick
    // gave none. The port is closed again either way.
    std::optional<Recordset> Run();

private:
    Options options_;
    HelpLine help_;
    StickConnection& stick_;

    bool ReadDisplayFormat(long& displayFormat, std::string& serial);
    bool ReadStoredTags();
    static void TellUnread(const std::vector<std::string>& unread);
};
