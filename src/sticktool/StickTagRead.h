#pragma once
#include <string>

struct DateTime;
class Recordset;
class StickConnection;
class frmSimple;

// The stick tool's first action: every tag the stick holds, read in the form the stick shows
// them, sorted and chosen as the tag read options ask, and handed to the output they choose.
// Nothing reaches the register. The window's action buttons are off while it runs.
class StickTagRead {
public:
    StickTagRead(frmSimple& window, StickConnection& stick) : window_(window), stick_(stick) {}
    void Run();

private:
    frmSimple& window_;
    StickConnection& stick_;

    bool ReadDisplayFormat(long& displayFormat, std::string& serial);
    bool ReadStoredTags();
    void WriteOut(Recordset& table, const DateTime& readAt);
};
