#pragma once
// The text rules of the task dialog, free of any window: task-dialog texts write a line break
// as the two characters backslash and n; a text's first line may be a heading.
#include "core/StringList.h"

#include <string>

namespace panels {

// When the text contains backslash, backslash, n, each such triple becomes backslash, n and
// nothing else changes; otherwise every backslash, n becomes a line feed.
std::string ExpandNewlineEscapes(const std::string& text);
// The text without leading and trailing spaces.
std::string TrimTaskText(const std::string& text);
// Cuts a text with backslash-n (else carriage-return) breaks into trimmed lines appended to
// `lines`; a text with neither is appended whole; an empty text or no list does nothing.
void SplitTaskLines(const std::string& text, classlib::TStrings* lines);
// Backslash-n and line feeds as "<br>" (texts shown through the HTML renderer); with
// `escapes` false only real line feeds count.
std::string LineBreaksToHtml(const std::string& text, bool escapes);
// Backslash-n as carriage return (plain texts measured and drawn with word breaks).
std::string EscapesToCarriageReturns(const std::string& text);
// An http, https or ftp address or a mailto link (letters case-insensitive): the only links
// the dialog hands to the shell.
bool IsWebLink(const std::string& link);
// The summary Ctrl+C copies: caption, instruction and the push buttons' captions (without "&",
// each followed by three spaces), each part between lines of 27 dashes.
std::string TaskDialogSummary(const std::string& caption, const std::string& instruction,
                              const classlib::TStrings& buttonCaptions);

} // namespace panels
