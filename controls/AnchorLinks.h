#pragma once
// Which clicked anchors the HTML controls hand to the shell by themselves.
#include <string>
#include <string_view>

namespace controls {

// True for web and mail targets (an "http://", "https://" or "mailto:" prefix, any case):
// those the controls open with the shell's "open" verb. Every other target, "file://" and
// other schemes included, goes to the control's OnAnchorClick, so a file or program named in
// markup (a device's name, say) never reaches the shell unless the application passes it on.
bool OpensInShell(std::string_view anchor);

// Opens a target for which OpensInShell holds (ShellExecute "open", shown normally, no owner
// window); the shell's result is not examined.
void OpenAnchorInShell(const std::string& anchor);

} // namespace controls
