#pragma once
// The bug-report file's text work: header lines of a report (read, compare, insert) and what
// becomes of the file's old content before a report is appended: a repeat of the new report
// is cut out (the new one carries its count instead) and the oldest reports go when the file
// is over its size. Portable (no <windows.h>); BugReportFile.h opens, maps and writes the file.
//
// Reports use CR LF line ends and begin with their "date/time" line; in the file each is
// followed by an empty line.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace crashui {

// The value of a report's header line "item   : value"; empty when absent.
std::string HeaderLineValue(std::string_view report, std::string_view item);
// Whether both reports give the item the same value (two absent values are equal).
bool SameHeaderValue(std::string_view report1, std::string_view report2, std::string_view item);
// Adds the line "item: value" after the anchor's line, its colon under the anchor's colon.
void InsertHeaderLine(std::string& report, std::string_view item, std::string_view anchor,
                      std::string_view value);
// The value of the header line found by "\r\n" + item + " ", trimmed; empty when absent.
std::string ReportHeaderField(std::string_view report, std::string_view item);

// The settings that decide how a report joins the file.
struct TBugReportRules {
    bool append = true;       // AppendBugReps
    uint32_t maxSize = 0;     // BugRepFileSize; 0: no limit
    bool noDupExcepts = true; // NoDupExcepts
    int dupExceptDef = 1;     // DupExceptDef: 0 first stack checksum, 1 two, else all three
    bool noDupFreezes = true; // NoDupFreezes
    int dupFreezeDef = 1;     // DupFreezeDef
};

// The part of the new report's "callstack crc" value that marks a repeat; empty when the rules
// (or a value that is not 31 characters long) ask for no merging.
std::string DuplicateKey(std::string_view report, const TBugReportRules& rules);

// Whether the file's old content must be read and changed before the report is appended.
bool OldContentNeedsWork(std::string_view report, uint64_t fileSize, const TBugReportRules& rules);

// Works on the file's old content in place: merges the latest repeat of `report` (cutting it
// out and inserting its count + 1 into `report` as a "count" line) and then drops the oldest
// reports until less than three quarters of the size limit remain. Returns the size of the
// content kept at the start of `content`.
size_t MergeAndTrim(char* content, size_t size, std::string& report, const TBugReportRules& rules);

} // namespace crashui
