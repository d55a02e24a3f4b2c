#pragma once
// The texts of a bug report (portable): the whole report assembled from its header and section
// lists, and the values of the header lines and fixed sections that are plain formatting.
#include "ExceptionPathUtils.h"
#include "QorReportLists.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace qor {

// The placeholder of a header line or section that is not computed yet.
constexpr std::string_view kCalculatedSoon = "will be calculated soon";
constexpr std::string_view kQorExceptVersion = "3.0l";

// Header lines "name<blanks> : value" with the colon column one blank after the longest name,
// then per section a blank line, its name (":" appended unless it holds one) and its lines.
// Each list is read under its access lock.
std::string AssembleReportText(TIQEFields& header, TIQEFields& sections);

// The three checksums as "$xxxxxxxx, $xxxxxxxx, $xxxxxxxx".
std::string CallstackCrcText(const std::array<uint32_t, 3>& checksums);
// "2026-12-11, 09:05:03, 7ms" (the report's creation time).
std::string ReportDateTimeText(const LocalTime& time);
// "2026-12-11 09:05" (a module file's last write).
std::string ModuleDateTimeText(const LocalTime& time);
// An exception message as one header value: a sentence, line breaks and runs of blanks turned
// into single blanks.
std::string HeaderMessageText(std::string_view message);
// "eax = 0000002a" and so on: eax, ebx, ecx, edx, esi, edi, eip, esp, ebp.
std::string CpuRegistersText(const std::array<uint32_t, 9>& registers);

// The class-filter group ("F1", "F2" or "Gn") whose comma-separated class list names the
// exception's class or one of its ancestors (`inherits` answers for one trimmed name).
std::string ClassFilterGroup(std::string_view f1Classes, std::string_view f2Classes,
                             const std::function<bool(const std::string&)>& inherits);

} // namespace qor
