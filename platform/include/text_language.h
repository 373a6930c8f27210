// Not of the Windows API: the language the player chose for the program's own texts, Japanese unless
// English was asked for (settings, or --lang). A Windows build has no such choice: its texts stay Japanese.
#pragma once

namespace platform {

bool EnglishTexts();
void SetEnglishTexts(bool english);

}  // namespace platform
